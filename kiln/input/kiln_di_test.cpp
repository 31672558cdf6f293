#include "kiln/input/kiln_di.h"

#include <gtest/gtest.h>

#include "kiln/base/class_ids.h"
#include "kiln/input/di_input.h"
#include "tests/support/fake_direct_input.h"

namespace Kiln {
namespace {

using KilnTest::FakeDirectInput;
using KilnTest::FakeDevice;
using KilnTest::KeyboardKind;

const HRESULT kNotReady = static_cast<HRESULT>(0x80070015);

template <class T>
KilnHandle<T> Own(T* created)
{
    return KilnHandle<T>::Adopt(created);
}

// The current COM reference count of an object.
ULONG RefsOf(IUnknown* object)
{
    object->AddRef();
    return object->Release();
}

// A service over the stand-in, initialised.
KilnHandle<IKilnDI> InitializedService(FakeDirectInput& fake)
{
    auto service = Own<IKilnDI>(new CKilnDI(fake.Factory()));
    EXPECT_TRUE(service->Initialize(nullptr));
    return service;
}

TEST(KilnDITest, RealDirectInputOpensTheKeyboardAndFindsNoController)
{
    auto service = Own<IKilnDI>(new CKilnDI);
    ASSERT_TRUE(service);
    EXPECT_EQ(service->CreateKeyboard(), nullptr);  // nothing before Initialize
    EXPECT_EQ(service->CreateInstance(ClassId::DirectInputObject), nullptr);

    ASSERT_TRUE(service->Initialize(::GetModuleHandleA(nullptr)));
    auto* directInput = reinterpret_cast<IDirectInput8A*>(service->CreateInstance(ClassId::DirectInputObject));
    ASSERT_NE(directInput, nullptr);
    const ULONG refs = RefsOf(directInput);
    service->CreateInstance(ClassId::DirectInputObject);
    EXPECT_EQ(RefsOf(directInput), refs);  // handed out without a reference
    EXPECT_EQ(service->CreateInstance(ClassId::DSSoundBuffer), nullptr);

    auto keyboard = Own(service->CreateKeyboard());
    ASSERT_TRUE(keyboard);
    EXPECT_EQ(keyboard->GetRefCount(), 1u);
    BYTE keys[256];
    EXPECT_EQ(keyboard->GetState(sizeof keys, keys), DI_OK);
    EXPECT_TRUE(SUCCEEDED(keyboard->Poll()));

    EXPECT_EQ(service->CreateJoystick(0), nullptr);  // this machine has no game controller
}

TEST(KilnDITest, InitializeAsksForDirectInput8)
{
    FakeDirectInput fake;
    auto service = Own<IKilnDI>(new CKilnDI(fake.Factory()));
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    ASSERT_TRUE(service->Initialize(instance));
    EXPECT_EQ(fake.createdFor, instance);
    EXPECT_EQ(fake.createdVersion, 0x0800u);
    EXPECT_TRUE(IsEqualIID(fake.createdInterface, IID_IDirectInput8A));
    EXPECT_EQ(fake.createdOuter, nullptr);
    EXPECT_EQ(fake.refs, 2u);
    EXPECT_EQ(reinterpret_cast<IDirectInput8A*>(service->CreateInstance(ClassId::DirectInputObject)),
              static_cast<IDirectInput8A*>(&fake));
    service.Reset();
    EXPECT_EQ(fake.refs, 1u);  // the destructor lets DirectInput go
}

TEST(KilnDITest, FailedInitializeKeepsWhatWasThereAndSuccessReplacesIt)
{
    FakeDirectInput first, second;
    auto failing = Own<IKilnDI>(new CKilnDI(first.Factory(DIERR_OLDDIRECTINPUTVERSION)));
    EXPECT_FALSE(failing->Initialize(nullptr));
    EXPECT_EQ(failing->CreateKeyboard(), nullptr);
    EXPECT_EQ(failing->CreateJoystick(0), nullptr);
    EXPECT_EQ(first.refs, 1u);

    // One service, its factory switching from success to failure to another object.
    int call = 0;
    auto service = Own<IKilnDI>(new CKilnDI([&](HINSTANCE i, DWORD v, REFIID r, void** out, IUnknown* o) {
        ++call;
        if (call == 2) {
            *out = nullptr;
            return DIERR_GENERIC;
        }
        return (call == 1 ? first : second).Factory()(i, v, r, out, o);
    }));
    ASSERT_TRUE(service->Initialize(nullptr));
    EXPECT_FALSE(service->Initialize(nullptr));
    EXPECT_EQ(service->CreateInstance(ClassId::DirectInputObject), reinterpret_cast<IKilnInterface*>(&first));
    EXPECT_EQ(first.refs, 2u);
    ASSERT_TRUE(service->Initialize(nullptr));
    EXPECT_EQ(first.refs, 1u);
    EXPECT_EQ(second.refs, 2u);
    EXPECT_EQ(service->CreateInstance(ClassId::DirectInputObject), reinterpret_cast<IKilnInterface*>(&second));
}

TEST(KilnDITest, KeyboardIsSharedInTheBackground)
{
    FakeDirectInput fake(0, KeyboardKind::Fake);
    auto service = InitializedService(fake);
    auto keyboard = Own(service->CreateKeyboard());
    ASSERT_TRUE(keyboard);
    FakeDevice* device = fake.Keyboard();
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->dataFormat, &c_dfDIKeyboard);
    EXPECT_TRUE(device->cooperativeLevelSet);
    EXPECT_EQ(device->cooperativeWindow, nullptr);
    EXPECT_EQ(device->cooperativeFlags, 0x0Au);
    EXPECT_EQ(device->acquires, 1);
    EXPECT_EQ(fake.enumerations, 0);
}

TEST(KilnDITest, SetUpFailuresStillGiveADevice)
{
    FakeDirectInput fake(1, KeyboardKind::Fake);
    fake.deviceSetupResult = DIERR_INVALIDPARAM;
    auto service = InitializedService(fake);
    EXPECT_TRUE(Own(service->CreateKeyboard()));
    EXPECT_TRUE(Own(service->CreateJoystick(0)));
    EXPECT_EQ(fake.Keyboard()->acquires, 1);
    EXPECT_EQ(fake.DeviceOf(0)->acquires, 1);
}

TEST(KilnDITest, MissingKeyboardGivesNull)
{
    FakeDirectInput fake(0, KeyboardKind::Missing);
    auto service = InitializedService(fake);
    EXPECT_EQ(service->CreateKeyboard(), nullptr);
    EXPECT_EQ(service->GetRefCount(), 1u);
}

TEST(KilnDITest, JoystickPositionCountsDownTheAttachedControllers)
{
    FakeDirectInput fake(3);
    auto service = InitializedService(fake);

    auto third = Own(service->CreateJoystick(2));
    ASSERT_TRUE(third);
    EXPECT_EQ(fake.enumeratedClass, static_cast<DWORD>(DI8DEVCLASS_GAMECTRL));
    EXPECT_EQ(fake.enumeratedFlags, static_cast<DWORD>(DIEDFL_ATTACHEDONLY));
    EXPECT_EQ(fake.devices.size(), 1u);
    EXPECT_NE(fake.DeviceOf(2), nullptr);

    auto first = Own(service->CreateJoystick(0));
    ASSERT_TRUE(first);
    EXPECT_NE(fake.DeviceOf(0), nullptr);
    EXPECT_EQ(fake.controllersReported, 4);  // the enumeration stops at the controller it opens

    EXPECT_EQ(service->CreateJoystick(3), nullptr);  // only three attached
    const int enumerations = fake.enumerations;
    EXPECT_EQ(service->CreateJoystick(16), nullptr);
    EXPECT_EQ(service->CreateJoystick(-1), nullptr);
    EXPECT_EQ(fake.enumerations, enumerations);  // out of range: not even enumerated
    EXPECT_EQ(fake.devices.size(), 2u);
}

TEST(KilnDITest, PositionFifteenIsTheLastOneTried)
{
    FakeDirectInput fake(17);
    auto service = InitializedService(fake);
    EXPECT_TRUE(Own(service->CreateJoystick(15)));
    EXPECT_NE(fake.DeviceOf(15), nullptr);
    EXPECT_FALSE(Own(service->CreateJoystick(16)));
}

TEST(KilnDITest, ControllerThatCannotBeOpenedGivesNull)
{
    FakeDirectInput fake(2);
    fake.controllers[0].failCreate = true;
    auto service = InitializedService(fake);
    EXPECT_EQ(service->CreateJoystick(0), nullptr);
    EXPECT_EQ(fake.controllersReported, 1);  // no fall-through to the next controller
    EXPECT_TRUE(Own(service->CreateJoystick(1)));
    EXPECT_NE(fake.DeviceOf(1), nullptr);
}

TEST(KilnDITest, JoystickIsSetUpWithAxesFromMinusToPlusThousand)
{
    FakeDirectInput fake(1);
    auto service = InitializedService(fake);
    auto joystick = Own(service->CreateJoystick(0));
    ASSERT_TRUE(joystick);
    FakeDevice* device = fake.DeviceOf(0);
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->dataFormat, &c_dfDIJoystick2);
    EXPECT_EQ(device->cooperativeWindow, nullptr);
    EXPECT_EQ(device->cooperativeFlags, 0x0Au);
    EXPECT_EQ(device->enumObjectsFlags, static_cast<DWORD>(DIDFT_AXIS));
    ASSERT_EQ(device->ranges.size(), device->axisTypes.size());
    for (size_t i = 0; i < device->ranges.size(); ++i) {
        const DIPROPRANGE& range = device->ranges[i];
        EXPECT_EQ(range.diph.dwSize, 24u);
        EXPECT_EQ(range.diph.dwHeaderSize, 16u);
        EXPECT_EQ(range.diph.dwObj, device->axisTypes[i]);
        EXPECT_EQ(range.diph.dwHow, static_cast<DWORD>(DIPH_BYID));
        EXPECT_EQ(range.lMin, -1000);
        EXPECT_EQ(range.lMax, 1000);
    }
    EXPECT_EQ(device->acquires, 1);
}

TEST(KilnDITest, DevicePassesPollAndStateResultsThrough)
{
    FakeDirectInput fake(1);
    auto service = InitializedService(fake);
    auto joystick = Own(service->CreateJoystick(0));
    ASSERT_TRUE(joystick);
    FakeDevice* device = fake.DeviceOf(0);
    device->Joystick().lX = 777;
    device->Joystick().rgbButtons[3] = 0x80;

    DIJOYSTATE2 state = {};
    EXPECT_EQ(joystick->Poll(), DI_OK);
    EXPECT_EQ(joystick->GetState(sizeof state, &state), DI_OK);
    EXPECT_EQ(device->lastStateSize, 272u);
    EXPECT_EQ(state.lX, 777);
    EXPECT_EQ(state.rgbButtons[3], 0x80);

    device->pollResult = DIERR_INPUTLOST;
    device->stateResult = DIERR_NOTACQUIRED;
    EXPECT_EQ(joystick->Poll(), DIERR_INPUTLOST);
    EXPECT_EQ(joystick->GetState(sizeof state, &state), DIERR_NOTACQUIRED);
    EXPECT_EQ(device->polls, 2);
    EXPECT_EQ(device->stateReads, 2);
}

TEST(KilnDITest, WrapperWithoutDeviceIsNotReady)
{
    FakeDirectInput fake;
    auto service = Own<IKilnDI>(new CKilnDI(fake.Factory()));
    auto input = Own<IDIInput>(new CDIInput(service.Get(), {}));
    EXPECT_EQ(service->GetRefCount(), 2u);
    BYTE buffer[256] = {};
    EXPECT_EQ(input->Poll(), kNotReady);
    EXPECT_EQ(input->GetState(sizeof buffer, buffer), kNotReady);
    input.Reset();
    EXPECT_EQ(service->GetRefCount(), 1u);
}

TEST(KilnDITest, DevicesKeepTheServiceAliveAfterFinalize)
{
    FakeDirectInput fake(1, KeyboardKind::Fake);
    auto* service = new CKilnDI(fake.Factory());
    ASSERT_TRUE(service->Initialize(nullptr));
    auto keyboard = Own(service->CreateKeyboard());
    auto joystick = Own(service->CreateJoystick(0));
    ASSERT_TRUE(keyboard && joystick);
    EXPECT_EQ(service->GetRefCount(), 3u);

    service->Finalize();
    EXPECT_EQ(fake.refs, 1u);  // DirectInput itself is let go...
    EXPECT_EQ(service->CreateKeyboard(), nullptr);
    EXPECT_EQ(service->CreateJoystick(0), nullptr);
    EXPECT_EQ(service->Release(), 2u);  // ...the creator's reference goes...
    fake.DeviceOf(0)->Joystick().lY = -900;
    DIJOYSTATE2 state = {};
    EXPECT_EQ(joystick->GetState(sizeof state, &state), DI_OK);  // ...and the devices still work
    EXPECT_EQ(state.lY, -900);

    FakeDevice* joystickDevice = fake.DeviceOf(0);
    joystick.Reset();
    EXPECT_EQ(joystickDevice->unacquires, 1);
    EXPECT_EQ(joystickDevice->refs, 0u);
    EXPECT_EQ(service->GetRefCount(), 1u);
    keyboard.Reset();  // the last device takes the service with it
    EXPECT_EQ(fake.Keyboard()->refs, 0u);
    EXPECT_EQ(fake.Keyboard()->unacquires, 1);
}

}  // namespace
}  // namespace Kiln
