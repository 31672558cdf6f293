#pragma once

#ifndef DIRECTINPUT_VERSION
#define DIRECTINPUT_VERSION 0x0800
#endif
#include <windows.h>
#include <dinput.h>

#include <functional>

#include "kiln/base/guid.h"
#include "kiln/base/kiln_interface.h"
#include "kiln/base/scoped_win.h"

namespace Kiln {

// One open DirectInput device.
class IDIInput : public IKilnInterface {
public:
    // The device's Poll; HRESULT_FROM_WIN32(ERROR_NOT_READY) when there is no device.
    virtual HRESULT Poll() = 0;
    // The device's GetDeviceState into `buffer` of `size` bytes; HRESULT_FROM_WIN32(
    // ERROR_NOT_READY) when there is no device.
    virtual HRESULT GetState(DWORD size, void* buffer) = 0;
};

// The DirectInput service. It holds no DirectInput object until Initialize; the input state
// object opens the devices once the launcher window exists.
class IKilnDI : public IKilnInterface {
public:
    // The service's own IDirectInput8A (no reference added) for ClassId::DirectInputObject;
    // null for any other class id.
    virtual IKilnInterface* CreateInstance(const Guid& classId) = 0;
    virtual bool Initialize(HINSTANCE instance) = 0;
    // Releases the DirectInput object. Devices still open keep working and keep the service.
    virtual void Finalize() = 0;
    // The system keyboard, non-exclusive and in the background; one reference for the caller.
    virtual IDIInput* CreateKeyboard() = 0;
    // The attached game controller at this place (0 to 15) in DirectInput's enumeration
    // order, axes ranged -1000 to +1000; null when there is none there or it cannot be opened.
    virtual IDIInput* CreateJoystick(int position) = 0;
};

// DirectInput8Create's shape.
using DirectInputFactory = std::function<HRESULT(HINSTANCE, DWORD, REFIID, void**, IUnknown*)>;

class CKilnDI : public RefCounted<IKilnDI> {
public:
    CKilnDI();
    // Makes its DirectInput object through `factory`: this is how the joystick paths are
    // exercised on machines without a game controller.
    explicit CKilnDI(DirectInputFactory factory);
    ~CKilnDI() override;

    IKilnInterface* CreateInstance(const Guid& classId) override;
    bool Initialize(HINSTANCE instance) override;
    void Finalize() override;
    IDIInput* CreateKeyboard() override;
    IDIInput* CreateJoystick(int position) override;

private:
    static BOOL CALLBACK OnGameController(LPCDIDEVICEINSTANCEA controller, LPVOID context);
    static BOOL CALLBACK OnAxis(LPCDIDEVICEOBJECTINSTANCEA axis, LPVOID context);

    DirectInputFactory factory_;
    ComPtr<IDirectInput8A> directInput_;
    // Used only while a joystick is being opened: how many controllers the enumeration
    // still has to pass, and the device made from the one it stopped at.
    int countdown_ = -1;
    ComPtr<IDirectInputDevice8A> found_;
};

}  // namespace Kiln
