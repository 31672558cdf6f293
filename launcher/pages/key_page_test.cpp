// The key pages' capture over the input service, with the stand-in DirectInput for the
// joysticks and the keyboard this machine cannot press on its own.
#include "launcher/pages/key_page.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "tests/support/fake_direct_input.h"
#include "tests/support/x_input.h"

namespace Launcher {
namespace {

using KilnTest::FakeDirectInput;
using KilnTest::KeyboardKind;

constexpr size_t kUp = 0;
constexpr size_t kBtn1 = 4;

class KeyCaptureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(window_.BringToFront());
        service_ = Kiln::KilnHandle<Kiln::IKilnDI>::Adopt(new Kiln::CKilnDI(fake_.Factory()));
        ASSERT_TRUE(input_.Initialize(window_.Get(), ::GetModuleHandleA(nullptr), service_.Get()));
        ASSERT_EQ(input_.GetDeviceCount(), 3u);  // the keyboard and two joysticks
    }

    // A page of 16 boxes for this player index with only UP and BTN1 enabled.
    std::array<HWND, kButtonCount> AddPage(int playerIndex)
    {
        std::array<HWND, kButtonCount> boxes;
        std::array<bool, kButtonCount> enabled{};
        enabled[kUp] = enabled[kBtn1] = true;
        for (size_t button = 0; button < kButtonCount; ++button) {
            boxes[button] = ::CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_READONLY, 0,
                                              static_cast<int>(button) * 10, 80, 10, window_.Get(), nullptr,
                                              ::GetModuleHandleA(nullptr), nullptr);
            ::EnableWindow(boxes[button], enabled[button]);
        }
        capture_.AddPage(playerIndex, boxes, NextKeyBoxes(enabled));
        return boxes;
    }

    // One poll with the test window in front; what it stored.
    std::map<std::pair<int, size_t>, std::string> Poll()
    {
        std::map<std::pair<int, size_t>, std::string> stored;
        EXPECT_TRUE(window_.WhileInFront([&] {
            stored.clear();
            capture_.Poll(input_, [&](int player, size_t button, const std::string& text) {
                stored[{player, button}] = text;
            });
        }));
        return stored;
    }

    static std::string Text(HWND box)
    {
        char text[64] = {};
        ::GetWindowTextA(box, text, sizeof text);
        return text;
    }

    KilnTest::TestWindow window_{"key_capture"};
    FakeDirectInput fake_{2, KeyboardKind::Fake};
    Kiln::KilnHandle<Kiln::IKilnDI> service_;
    Kiln::CInput input_;
    KeyCapture capture_;
};

TEST_F(KeyCaptureTest, JoystickButtonGoesIntoTheFocusedBoxOnce)
{
    AddPage(0);
    const auto boxes = AddPage(1);
    ::SetFocus(boxes[kBtn1]);
    fake_.DeviceOf(1)->Joystick().rgbButtons[2] = 0x80;  // joystick 2, button 3

    using Stored = std::map<std::pair<int, size_t>, std::string>;
    EXPECT_EQ(Poll(), (Stored{{{1, kBtn1}, "2,0x12"}}));
    EXPECT_EQ(Text(boxes[kBtn1]), "Joy2: 3");
    EXPECT_EQ(::GetFocus(), boxes[kUp]);

    EXPECT_EQ(Poll(), Stored{});  // held: not again, in the box that has the focus now
    EXPECT_EQ(Text(boxes[kUp]), "");
    EXPECT_EQ(::GetFocus(), boxes[kUp]);

    fake_.DeviceOf(1)->Joystick().rgbButtons[2] = 0;
    EXPECT_EQ(Poll(), Stored{});
    fake_.DeviceOf(1)->Joystick().rgbButtons[2] = 0x80;  // pressed again
    EXPECT_EQ(Poll(), (Stored{{{1, kUp}, "2,0x12"}}));
    EXPECT_EQ(::GetFocus(), boxes[kBtn1]);
}

TEST_F(KeyCaptureTest, NothingIsReadWhileNoKeyBoxHasTheFocus)
{
    const auto boxes = AddPage(0);
    ::SetFocus(window_.Get());
    fake_.Keyboard()->state[0x2C] = 0x80;  // Z, down before any box has the focus
    const int reads = fake_.Keyboard()->stateReads;
    EXPECT_TRUE(Poll().empty());
    EXPECT_EQ(fake_.Keyboard()->stateReads, reads);

    ::SetFocus(boxes[kUp]);
    using Stored = std::map<std::pair<int, size_t>, std::string>;
    EXPECT_EQ(Poll(), (Stored{{{0, kUp}, "0,0x2C"}}));
    EXPECT_EQ(Text(boxes[kUp]), "Key: Z");
    EXPECT_EQ(::GetFocus(), boxes[kBtn1]);
}

}  // namespace
}  // namespace Launcher
