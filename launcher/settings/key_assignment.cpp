#include "launcher/settings/key_assignment.h"

#include <cstdio>

#include "kiln/input/input_code.h"

namespace Launcher {

std::string DefaultKeyAssignment(int player, size_t button)
{
    constexpr size_t kDirections = 4;
    constexpr uint32_t kFirstJoystickButton = 0x10;
    const uint32_t code = button < kDirections ? static_cast<uint32_t>(button)
                                               : kFirstJoystickButton + static_cast<uint32_t>(button - kDirections);
    return Kiln::FormatInputCode(player, code);
}

std::string UsableKeyAssignment(std::string_view text, int player, size_t button)
{
    if (Kiln::ParseInputCode(text))
        return std::string(text);
    return DefaultKeyAssignment(player, button);
}

std::string KeyConfigSection(int player)
{
    char section[32];
    std::snprintf(section, sizeof section, Kiln::Keys::kKeyConfigSectionFormat, player);
    return section;
}

}  // namespace Launcher
