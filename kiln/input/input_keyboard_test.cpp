#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <memory>

#include "kiln/input/input.h"
#include "tests/support/x_input.h"

namespace Kiln {
namespace {

using KilnTest::HeldXKey;
using KilnTest::PumpUntil;
using KilnTest::TestWindow;

constexpr uint32_t kScanZ = 0x2C;

int KeysDown(const CInput& input)
{
    int down = 0;
    for (uint32_t k = 0; k < kKeyCount; ++k)
        down += input.IsKeyDown(k);
    return down;
}

int ButtonsOn(const CInput& input)
{
    int on = 0;
    for (int p = 1; p <= kMaxPlayers; ++p)
        for (int b = 0; b < kPlayerButtonCount; ++b)
            on += input.IsPlayerButtonOn(p, b);
    return on;
}

// CInput as the launcher uses it: the runtime's input service over the real DirectInput
// keyboard, and key presses that arrive as X events.
class KeyboardInputTest : public ::testing::Test {
protected:
    KilnHandle<IKilnDI> service_ = KilnHandle<IKilnDI>::Adopt(new CKilnDI);
};

TEST_F(KeyboardInputTest, RealKeyPressReachesTheKeyboardStateAndPlayerOne)
{
    TestWindow window("keyboard");
    ASSERT_TRUE(window.BringToFront());
    CInput input;
    ASSERT_TRUE(input.Initialize(window.Get(), ::GetModuleHandleA(nullptr), service_.Get()));
    EXPECT_EQ(input.GetDeviceCount(), 1u);  // no game controller on this machine
    EXPECT_FALSE(input.HasJoystick());
    ASSERT_TRUE(window.WhileInFront([&] { input.Update(); }));
    ASSERT_EQ(KeysDown(input), 0);

    const uint32_t before = ::timeGetTime();
    {
        HeldXKey z("z");
        ASSERT_TRUE(z.Pressed());
        ASSERT_TRUE(PumpUntil([&] {
            window.WhileInFront([&] { input.Update(); });
            return input.IsKeyDown(kScanZ);
        })) << "the Z press never showed in the keyboard state";
        const uint32_t seen = ::timeGetTime();
        EXPECT_EQ(KeysDown(input), 1);
        EXPECT_TRUE(input.IsPlayerButtonOn(1, kButtonBtn1));  // Z is player 1's BTN1
        EXPECT_EQ(ButtonsOn(input), 1);
        const uint32_t pressed = input.GetPressTime(1, kButtonBtn1);
        // Taken between the start of the press and the update that saw it; modular
        // arithmetic, so a time before `before` wraps to a large number and fails.
        EXPECT_NE(pressed, 0u);
        EXPECT_LE(pressed - before, seen - before);

        // Held down, it stays down, and the press time stays that of the press.
        ::Sleep(50);
        ASSERT_TRUE(window.WhileInFront([&] { input.Update(); }));
        EXPECT_TRUE(input.IsPlayerButtonOn(1, kButtonBtn1));
        EXPECT_EQ(input.GetPressTime(1, kButtonBtn1), pressed);
    }
    ASSERT_TRUE(PumpUntil([&] {
        window.WhileInFront([&] { input.Update(); });
        return !input.IsKeyDown(kScanZ);
    })) << "the Z release never showed";
    EXPECT_EQ(ButtonsOn(input), 0);
}

TEST_F(KeyboardInputTest, AnotherWindowInTheForegroundReadsEveryKeyOff)
{
    TestWindow window("keyboard");
    ASSERT_TRUE(window.BringToFront());
    CInput input;
    ASSERT_TRUE(input.Initialize(window.Get(), ::GetModuleHandleA(nullptr), service_.Get()));

    TestWindow other("elsewhere");
    ASSERT_TRUE(other.BringToFront());
    // A keyboard of its own shows that the key really is down meanwhile.
    auto witness = KilnHandle<IDIInput>::Adopt(service_.Get()->CreateKeyboard());
    ASSERT_TRUE(witness);
    BYTE keys[kKeyCount] = {};
    HeldXKey z("z");
    ASSERT_TRUE(z.Pressed());
    ASSERT_TRUE(PumpUntil([&] { return SUCCEEDED(witness->GetState(sizeof keys, keys)) && (keys[kScanZ] & 0x80); }));

    ASSERT_TRUE(other.WhileInFront([&] { input.Update(); }));
    EXPECT_EQ(KeysDown(input), 0);
    EXPECT_EQ(ButtonsOn(input), 0);
    EXPECT_EQ(input.GetPressTime(1, kButtonBtn1), 0u);
}

}  // namespace
}  // namespace Kiln
