#include "launcher/pages/key_page_rules.h"

#include <cstdio>

#include "kiln/base/text.h"

namespace Launcher {

std::string KeyLabelText(std::string_view configured, size_t button)
{
    const std::string label = configured.empty() ? std::string(kDefaultKeyLabels.at(button)) : std::string(configured);
    return Kiln::FormatTemplate("%1%:", label);
}

std::string KeyBoxText(const Kiln::InputCode& code)
{
    if (code.device == 0)
        return std::string("Key: ") + Kiln::KeyName(code.code);
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "Joy%d: ", static_cast<int>(code.device));
    return prefix + std::string(Kiln::JoystickInputName(code.code));
}

std::vector<std::string> AllKeyBoxTexts()
{
    std::vector<std::string> texts;
    for (uint32_t code = 0; code < Kiln::kKeyNameCount; ++code) {
        if (*Kiln::KeyName(code))
            texts.push_back(KeyBoxText({0, code}));
    }
    for (int32_t joystick = 1; joystick <= kPlayerCount; ++joystick) {
        for (uint32_t code = 0; code < Kiln::kJoystickNameCount; ++code)
            texts.push_back(KeyBoxText({joystick, code}));
    }
    return texts;
}

std::array<int, kButtonCount> NextKeyBoxes(const std::array<bool, kButtonCount>& enabled)
{
    std::array<int, kButtonCount> next;
    for (size_t box = 0; box < kButtonCount; ++box) {
        next[box] = kNoKeyBox;
        for (size_t step = 1; step <= kButtonCount; ++step) {
            const size_t candidate = (box + step) % kButtonCount;
            if (enabled[candidate]) {
                next[box] = static_cast<int>(candidate);
                break;
            }
        }
    }
    return next;
}

namespace {

// Updates one held flag; true when the input has just gone down.
bool Pressed(bool down, bool& held)
{
    const bool press = down && !held;
    held = down;
    return press;
}

}  // namespace

std::optional<Kiln::InputCode> TakePresses(const InputFlags& down, InputFlags& held)
{
    std::optional<Kiln::InputCode> last;
    for (uint32_t code = 0; code < down.keys.size(); ++code) {
        if (*Kiln::KeyName(code) == '\0')
            continue;
        if (Pressed(down.keys[code], held.keys[code]))
            last = Kiln::InputCode{0, code};
    }
    for (size_t joystick = 0; joystick < down.joysticks.size(); ++joystick) {
        for (uint32_t code = 0; code < down.joysticks[joystick].size(); ++code) {
            if (Pressed(down.joysticks[joystick][code], held.joysticks[joystick][code]))
                last = Kiln::InputCode{static_cast<int32_t>(joystick + 1), code};
        }
    }
    return last;
}

}  // namespace Launcher
