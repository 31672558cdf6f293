#include "kiln/input/input.h"

#include <gtest/gtest.h>

#include "tests/support/fake_direct_input.h"
#include "tests/support/x_input.h"

namespace Kiln {
namespace {

using KilnTest::FakeDevice;
using KilnTest::FakeDirectInput;
using KilnTest::KeyboardKind;
using KilnTest::TestWindow;

// CInput over a stand-in DirectInput: the keyboard is real unless a test says otherwise,
// the game controllers are the stand-in's. Update reads only while the test window is in
// the foreground, so these tests share the desktop's focus.
class InputTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(window_.BringToFront()); }

    bool Open(CInput& input, FakeDirectInput& fake)
    {
        service_ = KilnHandle<IKilnDI>::Adopt(new CKilnDI(fake.Factory()));
        return input.Initialize(window_.Get(), ::GetModuleHandleA(nullptr), service_.Get());
    }

    // Update with the test window in front.
    void Update(CInput& input)
    {
        ASSERT_TRUE(window_.WhileInFront([&] { input.Update(); }));
    }

    TestWindow window_{"input"};
    KilnHandle<IKilnDI> service_;
};

TEST_F(InputTest, RegistersAsTheOneInputObject)
{
    EXPECT_EQ(CInput::GetInstance(), nullptr);
    {
        CInput input;
        EXPECT_EQ(CInput::GetInstance(), &input);
        EXPECT_EQ(input.GetDeviceCount(), 0u);
        EXPECT_FALSE(input.HasJoystick());
        EXPECT_EQ(input.GetAssignment(1, kButtonUp), (InputCode{0, 0xC8}));
    }
    EXPECT_EQ(CInput::GetInstance(), nullptr);
}

TEST_F(InputTest, NoControllerLeavesTheKeyboardOnly)
{
    FakeDirectInput fake(0);
    CInput input;
    ASSERT_TRUE(Open(input, fake));
    EXPECT_EQ(input.GetDeviceCount(), 1u);
    EXPECT_FALSE(input.HasJoystick());
    EXPECT_EQ(fake.enumerations, 5);  // positions 0 to 4 were all tried
    Update(input);
    for (int d = 1; d <= 4; ++d)
        for (uint32_t code = 0; code < 32; ++code)
            EXPECT_EQ(input.GetJoystickInput(d, code), 0);
}

TEST_F(InputTest, PositionThatFailsLeavesNoGap)
{
    FakeDirectInput fake(3);
    fake.controllers[1].failCreate = true;
    CInput input;
    ASSERT_TRUE(Open(input, fake));
    ASSERT_EQ(input.GetDeviceCount(), 3u);
    EXPECT_TRUE(input.HasJoystick());

    // Controller 2 answers as joystick 2.
    fake.DeviceOf(0)->Joystick().rgbButtons[0] = 0x80;
    fake.DeviceOf(2)->Joystick().rgbButtons[2] = 0x80;
    Update(input);
    EXPECT_EQ(input.GetJoystickInput(1, 0x10), 1);
    EXPECT_EQ(input.GetJoystickInput(1, 0x12), 0);
    EXPECT_EQ(input.GetJoystickInput(2, 0x12), 1);
    EXPECT_EQ(input.GetJoystickInput(2, 0x10), 0);
    EXPECT_EQ(input.GetJoystickInput(3, 0x12), 0);
}

TEST_F(InputTest, FiveControllersOpenOnlyTheFirstFour)
{
    FakeDirectInput fake(6);
    CInput input;
    ASSERT_TRUE(Open(input, fake));
    EXPECT_EQ(input.GetDeviceCount(), 5u);
    // Position 4 was opened and let go at once; position 5 is never tried.
    ASSERT_NE(fake.DeviceOf(4), nullptr);
    EXPECT_EQ(fake.DeviceOf(4)->refs, 0u);
    EXPECT_EQ(fake.DeviceOf(4)->unacquires, 1);
    EXPECT_EQ(fake.DeviceOf(5), nullptr);

    for (size_t c = 0; c < 5; ++c)
        fake.DeviceOf(c)->Joystick().lX = 1000;
    Update(input);
    for (int d = 1; d <= 4; ++d)
        EXPECT_EQ(input.GetJoystickInput(d, kStickRight), 1) << d;
    EXPECT_EQ(fake.DeviceOf(4)->stateReads, 0);
    for (size_t c = 0; c < 4; ++c) {
        EXPECT_EQ(fake.DeviceOf(c)->polls, 1);
        EXPECT_EQ(fake.DeviceOf(c)->lastStateSize, 272u);
    }
}

TEST_F(InputTest, JoystickStatesDriveInputsAndAssignedPlayerButtons)
{
    FakeDirectInput fake(2);
    CInput input;
    ASSERT_TRUE(Open(input, fake));
    ASSERT_TRUE(input.Assign(2, kButtonUp, 2, kStickUp));
    ASSERT_TRUE(input.Assign(2, kButtonRight, 2, kPovRight));
    ASSERT_TRUE(input.Assign(3, kButtonBtn1 + 2, 1, kButton1 + 2));

    DIJOYSTATE2& second = fake.DeviceOf(1)->Joystick();
    second.lY = -501;
    second.rgdwPOV[0] = 4500;
    fake.DeviceOf(0)->Joystick().rgbButtons[2] = 0x80;
    Update(input);
    EXPECT_EQ(input.GetJoystickInput(2, kStickUp), 1);
    EXPECT_EQ(input.GetJoystickInput(2, kPovUp), 1);
    EXPECT_EQ(input.GetJoystickInput(2, kPovRight), 1);
    EXPECT_TRUE(input.IsPlayerButtonOn(2, kButtonUp));
    EXPECT_TRUE(input.IsPlayerButtonOn(2, kButtonRight));
    EXPECT_TRUE(input.IsPlayerButtonOn(3, kButtonBtn1 + 2));
    EXPECT_NE(input.GetPressTime(3, kButtonBtn1 + 2), 0u);

    second.lY = -500;  // exactly at the threshold: off
    second.rgdwPOV[0] = 1000;
    Update(input);
    EXPECT_EQ(input.GetJoystickInput(2, kStickUp), 0);
    EXPECT_EQ(input.GetJoystickInput(2, kPovUp), 0);
    EXPECT_FALSE(input.IsPlayerButtonOn(2, kButtonUp));
    EXPECT_FALSE(input.IsPlayerButtonOn(2, kButtonRight));
}

TEST_F(InputTest, FailedReadsKeepThePreviousRecord)
{
    FakeDirectInput fake(1);
    CInput input;
    ASSERT_TRUE(Open(input, fake));
    FakeDevice* joystick = fake.DeviceOf(0);
    joystick->Joystick().rgbButtons[0] = 0x80;
    Update(input);
    ASSERT_EQ(input.GetJoystickInput(1, kButton1), 1);

    // A failing Poll does not stop the read; a failing read keeps what was read before.
    joystick->pollResult = DIERR_INPUTLOST;
    joystick->stateResult = DIERR_NOTACQUIRED;
    joystick->Joystick().rgbButtons[0] = 0;
    joystick->Joystick().lX = 1000;
    Update(input);
    EXPECT_EQ(joystick->polls, 2);
    EXPECT_EQ(joystick->stateReads, 2);
    EXPECT_EQ(input.GetJoystickInput(1, kButton1), 1);
    EXPECT_EQ(input.GetJoystickInput(1, kStickRight), 0);

    joystick->stateResult = DI_OK;
    Update(input);
    EXPECT_EQ(input.GetJoystickInput(1, kButton1), 0);
    EXPECT_EQ(input.GetJoystickInput(1, kStickRight), 1);
}

TEST_F(InputTest, JoystickNeverReadHoldsNothingNotEvenItsHat)
{
    FakeDirectInput fake(1);
    CInput input;
    ASSERT_TRUE(Open(input, fake));
    ASSERT_TRUE(input.Assign(1, kButtonUp, 1, kPovUp));
    FakeDevice* joystick = fake.DeviceOf(0);
    joystick->stateResult = DIERR_NOTACQUIRED;
    Update(input);
    Update(input);
    ASSERT_EQ(joystick->stateReads, 2);
    for (uint32_t code = 0; code < 32; ++code)
        EXPECT_EQ(input.GetJoystickInput(1, code), 0) << "joystick input " << code;
    EXPECT_FALSE(input.IsPlayerButtonOn(1, kButtonUp));
}

TEST_F(InputTest, KeyboardStateDrivesPlayerOneAndTheKeyMap)
{
    FakeDirectInput fake(0, KeyboardKind::Fake);
    CInput input;
    ASSERT_TRUE(Open(input, fake));
    FakeDevice* keyboard = fake.Keyboard();
    ASSERT_NE(keyboard, nullptr);
    ASSERT_TRUE(input.SetKeyMap(0x39, KeyMapEntry(4, kButtonBtn1 + 11)));
    keyboard->state[0xC8] = 0x80;  // up arrow
    keyboard->state[0x39] = 0x80;  // space
    Update(input);
    EXPECT_EQ(keyboard->lastStateSize, 256u);
    EXPECT_TRUE(input.IsKeyDown(0xC8));
    EXPECT_EQ(input.GetKeyState(0x39), 0x80);
    EXPECT_TRUE(input.IsPlayerButtonOn(1, kButtonUp));
    EXPECT_TRUE(input.IsPlayerButtonOn(4, kButtonBtn1 + 11));
    EXPECT_FALSE(input.IsPlayerButtonOn(1, kButtonDown));
}

TEST_F(InputTest, KeyboardThatCannotBeReadHoldsNoKey)
{
    FakeDirectInput fake(0, KeyboardKind::Fake);
    CInput input;
    ASSERT_TRUE(Open(input, fake));
    FakeDevice* keyboard = fake.Keyboard();
    keyboard->state[0x2C] = 0x80;
    Update(input);
    ASSERT_TRUE(input.IsPlayerButtonOn(1, kButtonBtn1));
    keyboard->stateResult = DIERR_INPUTLOST;
    Update(input);
    EXPECT_FALSE(input.IsKeyDown(0x2C));
    EXPECT_FALSE(input.IsPlayerButtonOn(1, kButtonBtn1));
}

TEST_F(InputTest, WindowInTheBackgroundReadsNothing)
{
    FakeDirectInput fake(1, KeyboardKind::Fake);
    CInput input;
    ASSERT_TRUE(Open(input, fake));
    FakeDevice* keyboard = fake.Keyboard();
    FakeDevice* joystick = fake.DeviceOf(0);
    keyboard->state[0x2C] = 0x80;
    joystick->Joystick().rgbButtons[0] = 0x80;
    ASSERT_TRUE(input.Assign(2, kButtonBtn1, 1, kButton1));
    Update(input);
    ASSERT_TRUE(input.IsKeyDown(0x2C));
    ASSERT_TRUE(input.IsPlayerButtonOn(2, kButtonBtn1));

    TestWindow other("other");
    ASSERT_TRUE(other.BringToFront());
    const int keyboardReads = keyboard->stateReads, joystickReads = joystick->stateReads;
    ASSERT_TRUE(other.WhileInFront([&] { input.Update(); }));
    EXPECT_FALSE(input.IsKeyDown(0x2C));
    EXPECT_EQ(input.GetJoystickInput(1, kButton1), 0);
    EXPECT_FALSE(input.IsPlayerButtonOn(1, kButtonBtn1));
    EXPECT_FALSE(input.IsPlayerButtonOn(2, kButtonBtn1));
    EXPECT_EQ(keyboard->stateReads, keyboardReads);
    EXPECT_EQ(joystick->stateReads, joystickReads);
    EXPECT_EQ(joystick->polls, 1);

    // Back in front, what is still held counts as a fresh press.
    Update(input);
    EXPECT_TRUE(input.IsPlayerButtonOn(2, kButtonBtn1));
}

TEST_F(InputTest, InitializeFailsWithoutDirectInput)
{
    FakeDirectInput fake(1);
    CInput input;
    service_ = KilnHandle<IKilnDI>::Adopt(new CKilnDI(fake.Factory(DIERR_OLDDIRECTINPUTVERSION)));
    EXPECT_FALSE(input.Initialize(window_.Get(), nullptr, service_.Get()));
    EXPECT_FALSE(input.Initialize(window_.Get(), nullptr, nullptr));
    EXPECT_EQ(input.GetDeviceCount(), 0u);
    Update(input);  // only clears
    EXPECT_FALSE(input.IsPlayerButtonOn(1, kButtonUp));
}

TEST_F(InputTest, InitializeFailsWithoutKeyboardAndOpensNoJoystick)
{
    FakeDirectInput fake(2, KeyboardKind::Missing);
    CInput input;
    EXPECT_FALSE(Open(input, fake));
    EXPECT_EQ(input.GetDeviceCount(), 0u);
    EXPECT_TRUE(fake.devices.empty());
    EXPECT_EQ(fake.enumerations, 0);
}

TEST_F(InputTest, DestructionReleasesEveryDevice)
{
    FakeDirectInput fake(2, KeyboardKind::Fake);
    {
        CInput input;
        ASSERT_TRUE(Open(input, fake));
        EXPECT_EQ(service_->GetRefCount(), 4u);
        for (const auto& device : fake.devices)
            EXPECT_EQ(device->refs, 1u);
    }
    for (const auto& device : fake.devices) {
        EXPECT_EQ(device->refs, 0u);
        EXPECT_EQ(device->unacquires, 1);
    }
    EXPECT_EQ(service_->GetRefCount(), 1u);
}

TEST_F(InputTest, SecondInitializeStartsOver)
{
    FakeDirectInput fake(2, KeyboardKind::Fake);
    CInput input;
    ASSERT_TRUE(Open(input, fake));
    fake.DeviceOf(1)->Joystick().rgbButtons[0] = 0x80;
    Update(input);
    ASSERT_EQ(input.GetJoystickInput(2, kButton1), 1);

    fake.controllers[1].failCreate = true;
    ASSERT_TRUE(input.Initialize(window_.Get(), nullptr, service_.Get()));
    EXPECT_EQ(input.GetDeviceCount(), 2u);
    for (size_t d = 0; d < 3; ++d)
        EXPECT_EQ(fake.devices[d]->refs, 0u) << d;  // the first keyboard and joysticks are gone
    EXPECT_EQ(input.GetJoystickInput(2, kButton1), 0);  // nothing left over from joystick 2
    Update(input);
    EXPECT_EQ(input.GetJoystickInput(2, kButton1), 0);
}

}  // namespace
}  // namespace Kiln
