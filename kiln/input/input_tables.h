#pragma once

#include <array>
#include <cstdint>

#include "kiln/input/input_code.h"
#include "kiln/input/joystick_inputs.h"

// The tables behind the input state object: what the devices last reported, the derived
// joystick inputs, and each player's 16 logical buttons with their assignments. Reading the
// devices is the Windows side's; everything decided from the readings is here.
namespace Kiln {

constexpr int kKeyCount = 256;
constexpr int kMaxJoysticks = 4;
constexpr int kDeviceSlots = 1 + kMaxJoysticks;  // indexed by device number; 0 is the keyboard
constexpr int kMaxPlayers = 4;
constexpr int kPlayerSlots = 1 + kMaxPlayers;  // indexed by player number 1 to 4
constexpr int kPlayerButtonCount = 16;

// A player's logical buttons, in index order.
enum PlayerButton : int {
    kButtonUp,
    kButtonDown,
    kButtonLeft,
    kButtonRight,
    kButtonBtn1,  // to BTN12 at index 15
};

// Key-map entries pack (player << 8) | button; player 0 means unmapped.
constexpr int32_t KeyMapEntry(int player, int button)
{
    return (player << 8) | button;
}

class InputTables {
public:
    // Every table zero; player 1 gets the keyboard: arrows, Z, X, left Shift, right Ctrl,
    // A, S, D, F, Q, W, E, R. Players 2 to 4 point at scan code 0, which is never down.
    InputTables();

    // What a reading that must not happen looks like: keyboard, joystick inputs and player
    // buttons all off.
    void ClearReadings();
    // All keys up.
    void ClearKeyboard();
    // Keyboard state and key map, before the devices are opened.
    void ClearKeyboardAndKeyMap();

    // The 256-byte buffer the keyboard device fills.
    uint8_t* KeyboardBuffer() { return keyboardState_.data(); }
    // Recomputes the inputs of joystick `device` (1 to 4) from its raw state.
    void SetJoystickReading(int device, const JoystickReading& reading);
    // Player buttons from the assignments, then the key map (which only adds), then the
    // press time of every button that went down since the last update.
    void UpdatePlayerButtons(uint32_t nowMs);

    uint8_t KeyState(uint32_t scanCode) const;
    bool IsKeyDown(uint32_t scanCode) const { return (KeyState(scanCode) & 0x80) != 0; }
    // 1 or 0; 0 for the keyboard row and anything out of range.
    int32_t JoystickInput(int device, uint32_t code) const;
    bool IsPlayerButtonOn(int player, int button) const;
    uint32_t PressTime(int player, int button) const;
    InputCode Assignment(int player, int button) const;

    // False (and no change) for a player or button out of range.
    bool Assign(int player, int button, uint8_t device, uint8_t code);
    // False for a scan code above 0xFF. Only entries naming player 1 to 4 and button 0 to 15
    // take effect.
    bool SetKeyMap(uint32_t scanCode, int32_t entry);

private:
    static bool ValidPlayerButton(int player, int button);
    bool AssignedInputOn(int player, int button) const;

    std::array<uint8_t, kKeyCount> keyboardState_{};
    std::array<int32_t, kKeyCount> keyMap_{};
    std::array<JoystickInputRow, kDeviceSlots> joystickInputs_{};
    std::array<std::array<uint8_t, kPlayerButtonCount>, kPlayerSlots> playerButtons_{};
    std::array<std::array<uint8_t, kPlayerButtonCount>, kPlayerSlots> assignedDevice_{};
    std::array<std::array<uint8_t, kPlayerButtonCount>, kPlayerSlots> assignedCode_{};
    std::array<std::array<uint8_t, kPlayerButtonCount>, kPlayerSlots> previousButtons_{};
    std::array<std::array<uint32_t, kPlayerButtonCount>, kPlayerSlots> pressTime_{};
};

}  // namespace Kiln
