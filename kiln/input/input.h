#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <vector>

#include "kiln/base/kiln_interface.h"
#include "kiln/base/singleton.h"
#include "kiln/input/input_tables.h"
#include "kiln/input/kiln_di.h"

namespace Kiln {

// The input state of the runtime: the keyboard and up to four joysticks, read together on
// Update and turned into joystick inputs and the 16 logical buttons of each of four players.
// Reading is gated on the window given to Initialize being in the foreground.
class CInput : public singleton<CInput> {
public:
    CInput();
    // Releases the devices in list order.
    ~CInput() override;

    // Opens DirectInput through the given input service (normally the runtime bootstrap's),
    // the keyboard as device 0 and the joysticks at enumeration positions 0 to 4 as devices
    // 1 to 4 (a position that yields nothing leaves no gap; at most four). False when there
    // is no service or DirectInput or the keyboard cannot be opened; a missing joystick is no
    // error.
    bool Initialize(HWND window, HINSTANCE instance, IKilnDI* service);

    // Reads every device and recomputes the joystick inputs and player buttons; with the
    // window in the background everything reads off and the devices are left alone.
    void Update();

    // The keyboard state byte of a scan code; down when bit 7 is set.
    uint8_t GetKeyState(uint32_t scanCode) const { return tables_.KeyState(scanCode); }
    bool IsKeyDown(uint32_t scanCode) const { return tables_.IsKeyDown(scanCode); }
    // 1 or 0 for (joystick 1 to 4, joystick input code 0 to 31).
    int32_t GetJoystickInput(int device, uint32_t code) const { return tables_.JoystickInput(device, code); }
    // Open devices, keyboard included.
    size_t GetDeviceCount() const { return devices_.size(); }
    bool HasJoystick() const { return devices_.size() >= 2; }

    bool IsPlayerButtonOn(int player, int button) const { return tables_.IsPlayerButtonOn(player, button); }
    // timeGetTime of the last press of a player button.
    uint32_t GetPressTime(int player, int button) const { return tables_.PressTime(player, button); }
    InputCode GetAssignment(int player, int button) const { return tables_.Assignment(player, button); }
    bool Assign(int player, int button, uint8_t device, uint8_t code)
    {
        return tables_.Assign(player, button, device, code);
    }
    // Adds a keyboard key to a player button on top of the assignments (KeyMapEntry).
    bool SetKeyMap(uint32_t scanCode, int32_t entry) { return tables_.SetKeyMap(scanCode, entry); }

private:
    void ReleaseDevices();

    std::vector<KilnHandle<IDIInput>> devices_;
    HWND window_ = nullptr;
    InputTables tables_;
    // The last raw state read per device number (entry 0 unused).
    std::array<DIJOYSTATE2, kDeviceSlots> joystickStates_{};
};

}  // namespace Kiln
