#pragma once

#include <array>
#include <cstdint>

// The 32 on/off inputs of a joystick, derived from its raw state.
namespace Kiln {

constexpr int kJoystickInputCount = 32;
constexpr int kJoystickButtonsRead = 16;
// Axes are opened with the range -1000 to +1000; a half is on strictly beyond this.
constexpr int32_t kAxisThreshold = 500;
constexpr int32_t kAxisRangeMin = -1000;
constexpr int32_t kAxisRangeMax = 1000;

// The joystick input codes.
enum JoystickInput : int {
    kStickUp = 0x00,
    kStickDown = 0x01,
    kStickLeft = 0x02,
    kStickRight = 0x03,
    kZDecrease = 0x04,
    kZIncrease = 0x05,
    kRightStickUp = 0x06,
    kRightStickDown = 0x07,
    kRightStickLeft = 0x08,
    kRightStickRight = 0x09,
    kRZDecrease = 0x0A,
    kRZIncrease = 0x0B,
    kPovUp = 0x0C,
    kPovDown = 0x0D,
    kPovLeft = 0x0E,
    kPovRight = 0x0F,
    kButton1 = 0x10,  // to button 16 at 0x1F
};

// The fields of DirectInput's DIJOYSTATE2 that the rules read, so that the rules build
// without DirectInput; the Windows side copies them out of the real record.
struct JoystickReading {
    int32_t lX = 0;
    int32_t lY = 0;
    int32_t lZ = 0;
    int32_t lRx = 0;
    int32_t lRy = 0;
    int32_t lRz = 0;
    uint32_t pov = 0;  // rgdwPOV[0]; the other hats are not read
    std::array<uint8_t, kJoystickButtonsRead> buttons{};
};

struct PovDirections {
    bool up = false;
    bool down = false;
    bool left = false;
    bool right = false;
};

// Only the eight exact angles (hundredths of a degree, clockwise from up) give a direction;
// the centred value and every angle in between give none.
PovDirections DecodePov(uint32_t pov);

// Flags are 1 or 0, indexed by joystick input code.
using JoystickInputRow = std::array<int32_t, kJoystickInputCount>;
JoystickInputRow DeriveJoystickInputs(const JoystickReading& reading);

}  // namespace Kiln
