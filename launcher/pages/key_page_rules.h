#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "kiln/input/input_code.h"
#include "kiln/input/input_names.h"
#include "launcher/settings/key_assignment.h"

// Decisions of the key configuration pages, in the button order of the key assignments.
namespace Launcher {

// Dialog items of each button: its read-only key box and its label.
inline constexpr std::array<int, kButtonCount> kKeyBoxIds = {1101, 1102, 1103, 1104, 1105, 1106, 1107, 1108,
                                                             1109, 1110, 1111, 1112, 1114, 1115, 1116, 1117};
inline constexpr std::array<int, kButtonCount> kKeyLabelIds = {1053, 1054, 1055, 1056, 1057, 1058, 1059, 1060,
                                                               1061, 1062, 1063, 1064, 1065, 1066, 1067, 1068};
inline constexpr std::array<const char*, kButtonCount> kDefaultKeyLabels = {
    "↑", "↓", "←", "→", "A", "B", "X", "Y", "L1", "L2", "R1", "R2", "S", "P", "C1", "C2"};

// The label of a button: the [KeyConfigLabel] text when there is one, else its default
// label, followed by a colon.
std::string KeyLabelText(std::string_view configured, size_t button);

// What a key box shows for an input code: "Key: " and the key name for the keyboard,
// "Joy<n>: " and the joystick input name for any other device number; an unnamed code shows
// nothing after the prefix.
std::string KeyBoxText(const Kiln::InputCode& code);

// Every text a capture can put in a key box: each named key, and each joystick input of
// joysticks 1 to 4. The boxes are made wide enough for the widest.
std::vector<std::string> AllKeyBoxTexts();

constexpr int kNoKeyBox = -1;

// For every box, the box that takes the focus after a capture in it: the first enabled box
// after it, going round, the box itself last; kNoKeyBox when none is enabled.
std::array<int, kButtonCount> NextKeyBoxes(const std::array<bool, kButtonCount>& enabled);

// Down flags of every input the capture looks at, or the same inputs' held flags.
struct InputFlags {
    std::array<bool, Kiln::kKeyNameCount> keys{};
    // joystick 1 to 4 at index 0 to 3
    std::array<std::array<bool, Kiln::kJoystickNameCount>, kPlayerCount> joysticks{};
};

// One capture poll over the inputs that are down now. An input counts once, when it goes
// down: it is captured when it is down and not held, and its held flag follows it. Keys
// without a name are neither captured nor tracked. Keyboard scan codes come first, in
// ascending order, then joysticks 1 to 4 with their codes in ascending order; of several
// inputs that go down in the same poll the last one is returned.
std::optional<Kiln::InputCode> TakePresses(const InputFlags& down, InputFlags& held);

}  // namespace Launcher
