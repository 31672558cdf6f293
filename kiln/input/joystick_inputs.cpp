#include "kiln/input/joystick_inputs.h"

namespace Kiln {

PovDirections DecodePov(uint32_t pov)
{
    PovDirections d;
    switch (pov) {
    case 0:
        d.up = true;
        break;
    case 4500:
        d.up = d.right = true;
        break;
    case 9000:
        d.right = true;
        break;
    case 13500:
        d.down = d.right = true;
        break;
    case 18000:
        d.down = true;
        break;
    case 22500:
        d.down = d.left = true;
        break;
    case 27000:
        d.left = true;
        break;
    case 31500:
        d.up = d.left = true;
        break;
    default:
        break;
    }
    return d;
}

JoystickInputRow DeriveJoystickInputs(const JoystickReading& r)
{
    JoystickInputRow row{};
    auto setAxis = [&row](int decreaseCode, int32_t value) {
        row[decreaseCode] = value < -kAxisThreshold ? 1 : 0;
        row[decreaseCode + 1] = value > kAxisThreshold ? 1 : 0;
    };
    // Vertical before horizontal on both sticks.
    setAxis(kStickUp, r.lY);
    setAxis(kStickLeft, r.lX);
    setAxis(kZDecrease, r.lZ);
    setAxis(kRightStickUp, r.lRy);
    setAxis(kRightStickLeft, r.lRx);
    setAxis(kRZDecrease, r.lRz);

    const PovDirections pov = DecodePov(r.pov);
    row[kPovUp] = pov.up;
    row[kPovDown] = pov.down;
    row[kPovLeft] = pov.left;
    row[kPovRight] = pov.right;

    for (int b = 0; b < kJoystickButtonsRead; ++b)
        row[kButton1 + b] = (r.buttons[b] & 0x80) ? 1 : 0;
    return row;
}

}  // namespace Kiln
