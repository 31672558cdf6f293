#pragma once

#include <cstdint>

// Display names of keyboard keys and joystick inputs (CP932). A key with an empty name can
// neither be captured nor shown.
namespace Kiln {

constexpr int kKeyNameCount = 256;
constexpr int kJoystickNameCount = 32;

// The name of a keyboard scan code; "" for unnamed codes and for codes above 0xFF.
const char* KeyName(uint32_t scanCode);

// The name of a joystick input code; "" for codes above 0x1F.
const char* JoystickInputName(uint32_t code);

}  // namespace Kiln
