#include "tests/support/fake_direct_input.h"

#include <cstring>

namespace KilnTest {
namespace {

GUID ControllerGuid(size_t index)
{
    GUID guid = {0x4B494C4E, 0x4A4F, 0x5900, {0, 0, 0, 0, 0, 0, 0, static_cast<BYTE>(index)}};
    return guid;
}

}  // namespace

DIJOYSTATE2& FakeDevice::Joystick()
{
    if (state.size() != sizeof(DIJOYSTATE2)) {
        state.assign(sizeof(DIJOYSTATE2), 0);
        reinterpret_cast<DIJOYSTATE2*>(state.data())->rgdwPOV[0] = 0xFFFFFFFF;  // centred
    }
    return *reinterpret_cast<DIJOYSTATE2*>(state.data());
}

HRESULT FakeDevice::QueryInterface(REFIID riid, void** object)
{
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDirectInputDevice8A)) {
        *object = this;
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT FakeDevice::EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA callback, LPVOID context, DWORD flags)
{
    enumObjectsFlags = flags;
    if (!(flags & DIDFT_AXIS))
        return DI_OK;
    for (DWORD type : axisTypes) {
        DIDEVICEOBJECTINSTANCEA object = {};
        object.dwSize = sizeof object;
        object.guidType = GUID_XAxis;
        object.dwType = type;
        if (callback(&object, context) == DIENUM_STOP)
            break;
    }
    return DI_OK;
}

HRESULT FakeDevice::SetProperty(REFGUID property, LPCDIPROPHEADER header)
{
    if (&property == &DIPROP_RANGE) {
        DIPROPRANGE range = {};
        std::memcpy(&range, header, sizeof range);
        ranges.push_back(range);
    }
    return setupResult;
}

HRESULT FakeDevice::Acquire()
{
    ++acquires;
    return setupResult;
}

HRESULT FakeDevice::Unacquire()
{
    ++unacquires;
    return DI_OK;
}

HRESULT FakeDevice::GetDeviceState(DWORD size, LPVOID data)
{
    ++stateReads;
    lastStateSize = size;
    if (FAILED(stateResult))
        return stateResult;
    if (size != state.size())
        return DIERR_INVALIDPARAM;
    std::memcpy(data, state.data(), size);
    return stateResult;
}

HRESULT FakeDevice::SetDataFormat(LPCDIDATAFORMAT format)
{
    dataFormat = format;
    return setupResult;
}

HRESULT FakeDevice::SetCooperativeLevel(HWND window, DWORD flags)
{
    cooperativeLevelSet = true;
    cooperativeWindow = window;
    cooperativeFlags = flags;
    return setupResult;
}

HRESULT FakeDevice::Poll()
{
    ++polls;
    return pollResult;
}

FakeDirectInput::FakeDirectInput(int controllerCount, KeyboardKind keyboard) : keyboardKind(keyboard)
{
    for (int i = 0; i < controllerCount; ++i)
        controllers.push_back({ControllerGuid(static_cast<size_t>(i))});
}

FakeDirectInput::~FakeDirectInput() = default;

Kiln::DirectInputFactory FakeDirectInput::Factory(HRESULT result)
{
    return [this, result](HINSTANCE instance, DWORD version, REFIID riid, void** out, IUnknown* outer) {
        ++creations;
        createdFor = instance;
        createdVersion = version;
        createdInterface = riid;
        createdOuter = outer;
        if (FAILED(result)) {
            *out = nullptr;
            return result;
        }
        AddRef();
        *out = static_cast<IDirectInput8A*>(this);
        return result;
    };
}

FakeDevice* FakeDirectInput::DeviceOf(size_t controller) const
{
    if (controller >= controllers.size())
        return nullptr;
    for (const auto& device : devices) {
        if (IsEqualGUID(device->instance, controllers[controller].instance))
            return device.get();
    }
    return nullptr;
}

FakeDevice* FakeDirectInput::Keyboard() const
{
    for (const auto& device : devices) {
        if (IsEqualGUID(device->instance, GUID_SysKeyboard))
            return device.get();
    }
    return nullptr;
}

HRESULT FakeDirectInput::QueryInterface(REFIID riid, void** object)
{
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDirectInput8A)) {
        *object = this;
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT FakeDirectInput::CreateDevice(REFGUID guid, LPDIRECTINPUTDEVICE8A* device, LPUNKNOWN outer)
{
    *device = nullptr;
    if (IsEqualGUID(guid, GUID_SysKeyboard)) {
        switch (keyboardKind) {
        case KeyboardKind::Missing:
            return DIERR_DEVICENOTREG;
        case KeyboardKind::Real:
            if (!real_ && FAILED(::DirectInput8Create(::GetModuleHandleA(nullptr), DIRECTINPUT_VERSION,
                                                       IID_IDirectInput8A,
                                                       reinterpret_cast<void**>(real_.Receive()), nullptr)))
                return DIERR_NOTINITIALIZED;
            return real_->CreateDevice(guid, device, outer);
        case KeyboardKind::Fake:
            devices.push_back(std::make_unique<FakeDevice>(GUID_SysKeyboard));
            devices.back()->state.assign(256, 0);
            devices.back()->setupResult = deviceSetupResult;
            *device = devices.back().get();
            return DI_OK;
        }
    }
    for (const Controller& controller : controllers) {
        if (!IsEqualGUID(guid, controller.instance))
            continue;
        if (controller.failCreate)
            return DIERR_DEVICENOTREG;
        devices.push_back(std::make_unique<FakeDevice>(controller.instance));
        devices.back()->Joystick();
        devices.back()->setupResult = deviceSetupResult;
        *device = devices.back().get();
        return DI_OK;
    }
    return DIERR_DEVICENOTREG;
}

HRESULT FakeDirectInput::EnumDevices(DWORD type, LPDIENUMDEVICESCALLBACKA callback, LPVOID context, DWORD flags)
{
    ++enumerations;
    enumeratedClass = type;
    enumeratedFlags = flags;
    if (type != DI8DEVCLASS_GAMECTRL)
        return DI_OK;
    for (const Controller& controller : controllers) {
        DIDEVICEINSTANCEA instance = {};
        instance.dwSize = sizeof instance;
        instance.guidInstance = controller.instance;
        instance.guidProduct = controller.instance;
        instance.dwDevType = DI8DEVTYPE_GAMEPAD;
        std::strcpy(instance.tszInstanceName, "Fake controller");
        std::strcpy(instance.tszProductName, "Fake controller");
        ++controllersReported;
        if (callback(&instance, context) == DIENUM_STOP)
            break;
    }
    return DI_OK;
}

}  // namespace KilnTest
