#include "kiln/input/input_tables.h"

namespace Kiln {
namespace {

// Player 1's keyboard, by button index.
constexpr std::array<uint8_t, kPlayerButtonCount> kPlayerOneKeys = {
    0xC8, 0xD0, 0xCB, 0xCD,  // arrows
    0x2C, 0x2D, 0x2A, 0x9D,  // Z, X, Shift(Left), Ctrl(Right)
    0x1E, 0x1F, 0x20, 0x21,  // A, S, D, F
    0x10, 0x11, 0x12, 0x13,  // Q, W, E, R
};

}  // namespace

InputTables::InputTables()
{
    assignedCode_[1] = kPlayerOneKeys;
}

void InputTables::ClearReadings()
{
    ClearKeyboard();
    joystickInputs_ = {};
    playerButtons_ = {};
    // Whatever is held when reading resumes counts as a new press.
    previousButtons_ = {};
}

void InputTables::ClearKeyboard()
{
    keyboardState_.fill(0);
}

void InputTables::ClearKeyboardAndKeyMap()
{
    ClearKeyboard();
    keyMap_.fill(0);
}

void InputTables::SetJoystickReading(int device, const JoystickReading& reading)
{
    if (device >= 1 && device < kDeviceSlots)
        joystickInputs_[device] = DeriveJoystickInputs(reading);
}

void InputTables::UpdatePlayerButtons(uint32_t nowMs)
{
    for (int p = 1; p < kPlayerSlots; ++p)
        for (int b = 0; b < kPlayerButtonCount; ++b)
            playerButtons_[p][b] = AssignedInputOn(p, b) ? 1 : 0;

    for (int k = 0; k < kKeyCount; ++k) {
        const auto entry = static_cast<uint32_t>(keyMap_[k]);
        const int player = static_cast<int>((entry >> 8) & 0xFF);
        const int button = static_cast<int>(entry & 0xFF);
        if (ValidPlayerButton(player, button) && IsKeyDown(static_cast<uint32_t>(k)))
            playerButtons_[player][button] = 1;
    }

    for (int p = 1; p < kPlayerSlots; ++p) {
        for (int b = 0; b < kPlayerButtonCount; ++b) {
            if (playerButtons_[p][b] && !previousButtons_[p][b])
                pressTime_[p][b] = nowMs;
        }
    }
    previousButtons_ = playerButtons_;
}

bool InputTables::AssignedInputOn(int player, int button) const
{
    const int device = assignedDevice_[player][button];
    const uint8_t code = assignedCode_[player][button];
    if (device == 0)
        return IsKeyDown(code);
    return JoystickInput(device, code) != 0;
}

uint8_t InputTables::KeyState(uint32_t scanCode) const
{
    return scanCode < keyboardState_.size() ? keyboardState_[scanCode] : 0;
}

int32_t InputTables::JoystickInput(int device, uint32_t code) const
{
    if (device < 1 || device >= kDeviceSlots || code >= static_cast<uint32_t>(kJoystickInputCount))
        return 0;
    return joystickInputs_[device][code];
}

bool InputTables::ValidPlayerButton(int player, int button)
{
    return player >= 1 && player < kPlayerSlots && button >= 0 && button < kPlayerButtonCount;
}

bool InputTables::IsPlayerButtonOn(int player, int button) const
{
    return ValidPlayerButton(player, button) && playerButtons_[player][button] != 0;
}

uint32_t InputTables::PressTime(int player, int button) const
{
    return ValidPlayerButton(player, button) ? pressTime_[player][button] : 0;
}

InputCode InputTables::Assignment(int player, int button) const
{
    if (!ValidPlayerButton(player, button))
        return {};
    return InputCode{assignedDevice_[player][button], assignedCode_[player][button]};
}

bool InputTables::Assign(int player, int button, uint8_t device, uint8_t code)
{
    if (!ValidPlayerButton(player, button))
        return false;
    assignedDevice_[player][button] = device;
    assignedCode_[player][button] = code;
    return true;
}

bool InputTables::SetKeyMap(uint32_t scanCode, int32_t entry)
{
    if (scanCode >= keyMap_.size())
        return false;
    keyMap_[scanCode] = entry;
    return true;
}

}  // namespace Kiln
