#include "launcher/settings/key_assignment.h"

#include <cstdio>

#include "launcher/settings/profile_scan.h"

namespace Launcher {

std::optional<KeyAssignment> ParseKeyAssignment(std::string_view text)
{
    size_t pos = 0;
    const std::optional<int> device = ProfileScan::ScanDecimal(text, pos);
    if (!device)
        return std::nullopt;
    ProfileScan::SkipBlanks(text, pos);
    if (pos == text.size())
        return std::nullopt;
    ++pos;  // the separator, whatever it is
    const std::optional<uint32_t> code = ProfileScan::ScanHex(text, pos);
    if (!code)
        return std::nullopt;
    return KeyAssignment{*device, *code};
}

std::string FormatKeyAssignment(int device, uint32_t code)
{
    char text[32];
    std::snprintf(text, sizeof text, "%d,0x%02X", device, static_cast<unsigned>(code));
    return text;
}

std::string DefaultKeyAssignment(int player, size_t button)
{
    constexpr size_t kDirections = 4;
    constexpr uint32_t kFirstJoystickButton = 0x10;
    const uint32_t code = button < kDirections ? static_cast<uint32_t>(button)
                                               : kFirstJoystickButton + static_cast<uint32_t>(button - kDirections);
    return FormatKeyAssignment(player, code);
}

std::string UsableKeyAssignment(std::string_view text, int player, size_t button)
{
    if (ParseKeyAssignment(text))
        return std::string(text);
    return DefaultKeyAssignment(player, button);
}

std::string KeyConfigSection(int player)
{
    char section[32];
    std::snprintf(section, sizeof section, "KeyConfig%d", player);
    return section;
}

}  // namespace Launcher
