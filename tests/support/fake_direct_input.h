#pragma once

#include "kiln/input/kiln_di.h"

#include <memory>
#include <vector>

// A stand-in for DirectInput 8 with game controllers, for a machine that has none. It
// implements the same COM interfaces the service talks to; the keyboard can be the real one
// (through a real DirectInput object) or a fake device as well.
namespace KilnTest {

// A device the fake hands out. It counts its references but never frees itself: the fake
// keeps every device it made, so tests can look at a device after the code let it go.
class FakeDevice : public IDirectInputDevice8A {
public:
    explicit FakeDevice(const GUID& instance) : instance(instance) {}

    GUID instance;
    ULONG refs = 1;
    // recorded set-up
    const DIDATAFORMAT* dataFormat = nullptr;
    bool cooperativeLevelSet = false;
    HWND cooperativeWindow = nullptr;
    DWORD cooperativeFlags = 0;
    DWORD enumObjectsFlags = 0;
    std::vector<DIPROPRANGE> ranges;  // every DIPROP_RANGE set
    int acquires = 0;
    int unacquires = 0;
    // the objects EnumObjects reports (their dwType), axes only
    std::vector<DWORD> axisTypes = {DIDFT_ABSAXIS | DIDFT_MAKEINSTANCE(0), DIDFT_ABSAXIS | DIDFT_MAKEINSTANCE(1),
                                    DIDFT_ABSAXIS | DIDFT_MAKEINSTANCE(5)};
    HRESULT setupResult = DI_OK;  // what the set-up calls answer
    // reading
    int polls = 0;
    int stateReads = 0;
    HRESULT pollResult = DI_OK;
    HRESULT stateResult = DI_OK;
    std::vector<BYTE> state;  // copied out by GetDeviceState when the sizes match
    DWORD lastStateSize = 0;

    // A joystick state record in `state`.
    DIJOYSTATE2& Joystick();

    // IUnknown
    STDMETHOD(QueryInterface)(REFIID riid, void** object) override;
    STDMETHOD_(ULONG, AddRef)() override { return ++refs; }
    STDMETHOD_(ULONG, Release)() override { return --refs; }
    // IDirectInputDevice8A, the calls the service makes
    STDMETHOD(EnumObjects)(LPDIENUMDEVICEOBJECTSCALLBACKA callback, LPVOID context, DWORD flags) override;
    STDMETHOD(SetProperty)(REFGUID property, LPCDIPROPHEADER header) override;
    STDMETHOD(Acquire)() override;
    STDMETHOD(Unacquire)() override;
    STDMETHOD(GetDeviceState)(DWORD size, LPVOID data) override;
    STDMETHOD(SetDataFormat)(LPCDIDATAFORMAT format) override;
    STDMETHOD(SetCooperativeLevel)(HWND window, DWORD flags) override;
    STDMETHOD(Poll)() override;
    // and the rest, which it never makes
    STDMETHOD(GetCapabilities)(LPDIDEVCAPS) override { return E_NOTIMPL; }
    STDMETHOD(GetProperty)(REFGUID, LPDIPROPHEADER) override { return E_NOTIMPL; }
    STDMETHOD(GetDeviceData)(DWORD, LPDIDEVICEOBJECTDATA, LPDWORD, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(SetEventNotification)(HANDLE) override { return E_NOTIMPL; }
    STDMETHOD(GetObjectInfo)(LPDIDEVICEOBJECTINSTANCEA, DWORD, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(GetDeviceInfo)(LPDIDEVICEINSTANCEA) override { return E_NOTIMPL; }
    STDMETHOD(RunControlPanel)(HWND, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(Initialize)(HINSTANCE, DWORD, REFGUID) override { return E_NOTIMPL; }
    STDMETHOD(CreateEffect)(REFGUID, LPCDIEFFECT, LPDIRECTINPUTEFFECT*, LPUNKNOWN) override { return E_NOTIMPL; }
    STDMETHOD(EnumEffects)(LPDIENUMEFFECTSCALLBACKA, LPVOID, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(GetEffectInfo)(LPDIEFFECTINFOA, REFGUID) override { return E_NOTIMPL; }
    STDMETHOD(GetForceFeedbackState)(LPDWORD) override { return E_NOTIMPL; }
    STDMETHOD(SendForceFeedbackCommand)(DWORD) override { return E_NOTIMPL; }
    STDMETHOD(EnumCreatedEffectObjects)(LPDIENUMCREATEDEFFECTOBJECTSCALLBACK, LPVOID, DWORD) override
    {
        return E_NOTIMPL;
    }
    STDMETHOD(Escape)(LPDIEFFESCAPE) override { return E_NOTIMPL; }
    STDMETHOD(SendDeviceData)(DWORD, LPCDIDEVICEOBJECTDATA, LPDWORD, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(EnumEffectsInFile)(LPCSTR, LPDIENUMEFFECTSINFILECALLBACK, LPVOID, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(WriteEffectToFile)(LPCSTR, DWORD, LPDIFILEEFFECT, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(BuildActionMap)(LPDIACTIONFORMATA, LPCSTR, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(SetActionMap)(LPDIACTIONFORMATA, LPCSTR, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(GetImageInfo)(LPDIDEVICEIMAGEINFOHEADERA) override { return E_NOTIMPL; }
};

enum class KeyboardKind { Real, Fake, Missing };

class FakeDirectInput : public IDirectInput8A {
public:
    explicit FakeDirectInput(int controllers = 0, KeyboardKind keyboard = KeyboardKind::Real);
    ~FakeDirectInput();
    FakeDirectInput(const FakeDirectInput&) = delete;
    FakeDirectInput& operator=(const FakeDirectInput&) = delete;

    // A factory for CKilnDI that hands out this object (one more reference each time) and
    // records how it was asked; `result` other than DI_OK makes it fail.
    Kiln::DirectInputFactory Factory(HRESULT result = DI_OK);

    // Game controllers in enumeration order; `failCreate` makes CreateDevice refuse one.
    struct Controller {
        GUID instance;
        bool failCreate = false;
    };
    std::vector<Controller> controllers;
    KeyboardKind keyboardKind;
    // What the set-up calls of the devices made from now on answer.
    HRESULT deviceSetupResult = DI_OK;

    ULONG refs = 1;
    // what the factory was asked
    int creations = 0;
    HINSTANCE createdFor = nullptr;
    DWORD createdVersion = 0;
    IID createdInterface = {};
    IUnknown* createdOuter = reinterpret_cast<IUnknown*>(1);
    // what EnumDevices was asked and how many controllers it reported
    int enumerations = 0;
    DWORD enumeratedClass = 0;
    DWORD enumeratedFlags = 0;
    int controllersReported = 0;

    // Every device made, in order (the fake keyboard included).
    std::vector<std::unique_ptr<FakeDevice>> devices;
    // The device made for a controller, or null.
    FakeDevice* DeviceOf(size_t controller) const;
    FakeDevice* Keyboard() const;

    // IUnknown
    STDMETHOD(QueryInterface)(REFIID riid, void** object) override;
    STDMETHOD_(ULONG, AddRef)() override { return ++refs; }
    STDMETHOD_(ULONG, Release)() override { return --refs; }
    // IDirectInput8A
    STDMETHOD(CreateDevice)(REFGUID guid, LPDIRECTINPUTDEVICE8A* device, LPUNKNOWN outer) override;
    STDMETHOD(EnumDevices)(DWORD type, LPDIENUMDEVICESCALLBACKA callback, LPVOID context, DWORD flags) override;
    STDMETHOD(GetDeviceStatus)(REFGUID) override { return E_NOTIMPL; }
    STDMETHOD(RunControlPanel)(HWND, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(Initialize)(HINSTANCE, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(FindDevice)(REFGUID, LPCSTR, LPGUID) override { return E_NOTIMPL; }
    STDMETHOD(EnumDevicesBySemantics)(LPCSTR, LPDIACTIONFORMATA, LPDIENUMDEVICESBYSEMANTICSCBA, LPVOID, DWORD) override
    {
        return E_NOTIMPL;
    }
    STDMETHOD(ConfigureDevices)(LPDICONFIGUREDEVICESCALLBACK, LPDICONFIGUREDEVICESPARAMSA, DWORD, LPVOID) override
    {
        return E_NOTIMPL;
    }

private:
    Kiln::ComPtr<IDirectInput8A> real_;
};

}  // namespace KilnTest
