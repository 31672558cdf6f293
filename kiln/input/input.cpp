#include "kiln/input/input.h"

#include <mmsystem.h>

namespace Kiln {
namespace {

constexpr int kJoystickPositionsTried = 5;

// The record a joystick has before its first good read: no axis moved, no button, every hat
// centred (DirectInput's 0xFFFFFFFF; 0 would be a hat held up).
DIJOYSTATE2 RestingJoystickState()
{
    DIJOYSTATE2 state = {};
    for (DWORD& pov : state.rgdwPOV)
        pov = 0xFFFFFFFF;
    return state;
}

JoystickReading ReadingOf(const DIJOYSTATE2& state)
{
    JoystickReading reading;
    reading.lX = state.lX;
    reading.lY = state.lY;
    reading.lZ = state.lZ;
    reading.lRx = state.lRx;
    reading.lRy = state.lRy;
    reading.lRz = state.lRz;
    reading.pov = state.rgdwPOV[0];
    for (int b = 0; b < kJoystickButtonsRead; ++b)
        reading.buttons[b] = state.rgbButtons[b];
    return reading;
}

}  // namespace

CInput::CInput() = default;

CInput::~CInput()
{
    ReleaseDevices();
}

void CInput::ReleaseDevices()
{
    for (KilnHandle<IDIInput>& device : devices_)
        device.Reset();
    devices_.clear();
}

bool CInput::Initialize(HWND window, HINSTANCE instance, IKilnDI* service)
{
    // A second call starts over instead of stacking a second keyboard behind the first.
    ReleaseDevices();
    if (!service || !service->Initialize(instance))
        return false;
    // The runtime has no main-window object of its own to fall back on.
    window_ = window;

    auto keyboard = KilnHandle<IDIInput>::Adopt(service->CreateKeyboard());
    if (!keyboard)
        return false;
    devices_.push_back(std::move(keyboard));

    tables_.ClearReadings();  // nothing stale from an earlier set of devices
    tables_.ClearKeyboardAndKeyMap();
    joystickStates_.fill(RestingJoystickState());

    for (int position = 0; position < kJoystickPositionsTried; ++position) {
        auto joystick = KilnHandle<IDIInput>::Adopt(service->CreateJoystick(position));
        // Device numbers stop at 4: a fifth joystick is let go at once.
        if (joystick && devices_.size() < static_cast<size_t>(kDeviceSlots))
            devices_.push_back(std::move(joystick));
    }
    return true;
}

void CInput::Update()
{
    if (window_ != ::GetForegroundWindow() || devices_.empty()) {
        tables_.ClearReadings();
        return;
    }

    // A keyboard that cannot be read must not leave keys held from its last reading.
    if (FAILED(devices_[0]->GetState(kKeyCount, tables_.KeyboardBuffer())))
        tables_.ClearKeyboard();

    for (size_t d = 1; d < devices_.size(); ++d) {
        // A failed read leaves the previous record in place.
        devices_[d]->Poll();
        devices_[d]->GetState(sizeof(DIJOYSTATE2), &joystickStates_[d]);
        tables_.SetJoystickReading(static_cast<int>(d), ReadingOf(joystickStates_[d]));
    }
    tables_.UpdatePlayerButtons(::timeGetTime());
}

}  // namespace Kiln
