// The key configuration pages with real key presses: X key events that the launcher reads
// through DirectInput, as a player's keyboard would give them.
#include "tests/e2e/launcher_fixture.h"
#include "tests/support/ini_text.h"
#include "tests/support/x_input.h"

namespace {

using KilnTest::LauncherFixture;
using Lines = std::vector<std::string>;

// Key boxes and labels of the page template.
constexpr int kUpBox = 1101;
constexpr int kDownBox = 1102;
constexpr int kBtn1Box = 1105;
constexpr int kBtn2Box = 1106;
constexpr int kUpLabel = 1053;
constexpr int kBtn1Label = 1057;
constexpr int kBtn12Label = 1068;

class KeyPageTest : public LauncherFixture {
protected:
    // Shows a key page and waits until its boxes have been filled (first capture tick).
    HWND ShowKeyPage(int tab)
    {
        HWND page = ShowTab(tab);
        if (page && !WaitForText(page, kUpBox, nullptr))
            return nullptr;
        return page;
    }

    static std::string BoxText(HWND page, int box) { return KilnTest::ControlText(::GetDlgItem(page, box)); }

    // Waits until a box shows `text` (any text when null).
    static bool WaitForText(HWND page, int box, const char* text)
    {
        return KilnTest::PumpUntil([&] {
            const std::string shown = BoxText(page, box);
            return text ? shown == text : !shown.empty();
        });
    }

    HWND Focused() const { return KilnTest::FocusedWindow(window_); }

    // Brings the window to the front and clicks into a box with the pointer.
    bool ClickInto(HWND page, int box)
    {
        HWND control = ::GetDlgItem(page, box);
        RECT rect;
        ::GetWindowRect(control, &rect);
        return KilnTest::BringToFront(window_, title_) &&
               KilnTest::XClick((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2) &&
               KilnTest::PumpUntil([&] { return Focused() == control; });
    }
};

TEST_F(KeyPageTest, PressedKeysGoIntoTheClickedBoxAndAreSaved)
{
    ASSERT_NE(Open("[KeyConfig]\r\nUP=yes\r\nBTN1=Yes\r\n"), nullptr);
    HWND page = ShowKeyPage(1);  // キー設定
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(BoxText(page, kUpBox), "Joy1: ↑");  // no Game.ini, nothing in System.ini: built-in
    EXPECT_EQ(BoxText(page, kBtn1Box), "Joy1: 1");
    EXPECT_EQ(KilnTest::ItemText(page, kUpLabel), "↑:");
    EXPECT_EQ(KilnTest::ItemText(page, kBtn12Label), "C2:");
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(page, kUpBox)));
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(page, kBtn1Box)));
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(page, kDownBox)));

    ASSERT_TRUE(ClickInto(page, kBtn1Box));
    ASSERT_TRUE(KilnTest::XPressKey("z"));
    EXPECT_TRUE(WaitForText(page, kBtn1Box, "Key: Z"));
    EXPECT_TRUE(KilnTest::PumpUntil([&] { return Focused() == ::GetDlgItem(page, kUpBox); }));

    {
        // Held across many polls: captured in UP once, not again in BTN1 where the focus went.
        KilnTest::HeldXKey x("x");
        ASSERT_TRUE(x.Pressed());
        EXPECT_TRUE(WaitForText(page, kUpBox, "Key: X"));
        KilnTest::PumpUntil([] { return false; }, 500);
        EXPECT_EQ(BoxText(page, kBtn1Box), "Key: Z");
        EXPECT_EQ(Focused(), ::GetDlgItem(page, kBtn1Box));
    }

    // Caps Lock has no name: never captured (pressed twice to leave the lock as it was).
    ASSERT_TRUE(KilnTest::XPressKey("Caps_Lock"));
    ASSERT_TRUE(KilnTest::XPressKey("Caps_Lock"));
    KilnTest::PumpUntil([] { return false; }, 300);
    EXPECT_EQ(BoxText(page, kBtn1Box), "Key: Z");
    EXPECT_EQ(Focused(), ::GetDlgItem(page, kBtn1Box));

    CloseWith(IDOK);
    EXPECT_EQ(GameIniValue("KeyConfig1", "BTN1"), "0,0x2C");
    EXPECT_EQ(GameIniValue("KeyConfig1", "UP"), "0,0x2D");
    EXPECT_EQ(GameIniValue("KeyConfig1", "DOWN"), "1,0x01");
}

TEST_F(KeyPageTest, UnreadableValuesShowTheDefaultAndDefaultsComeFromSystemIni)
{
    const std::string system = "[KeyConfigLabel]\r\nBTN1=決定\r\n[KeyConfig1]\r\nBTN1=0,0x2D\r\nBTN2=junk\r\n";
    game_.Write("Game.ini", "[KeyConfig1]\r\nUP=abc\r\nBTN1=0,0x10\r\nBTN2=0,0x1FF\r\n");
    ASSERT_NE(Open(system), nullptr);
    HWND page = ShowKeyPage(1);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(BoxText(page, kUpBox), "Joy1: ↑");
    EXPECT_EQ(BoxText(page, kBtn1Box), "Key: Q");
    EXPECT_EQ(BoxText(page, kBtn2Box), "Key: ");  // a code beyond the keyboard: no name
    EXPECT_EQ(KilnTest::ItemText(page, kBtn1Label), "決定:");
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(page, kUpBox)));  // no [KeyConfig] at all
    CloseWith(IDCANCEL);
    EXPECT_EQ(GameIniValue("KeyConfig1", "UP"), "1,0x00");
    EXPECT_EQ(GameIniValue("KeyConfig1", "BTN1"), "0,0x10");
    EXPECT_EQ(GameIniValue("KeyConfig1", "BTN2"), "0,0x1FF");

    ASSERT_NE(Open(system), nullptr);
    page = ShowKeyPage(1);
    ASSERT_NE(page, nullptr);
    KilnTest::Click(page, IDC_KEY_DEFAULTS);  // デフォルト
    EXPECT_TRUE(WaitForText(page, kBtn1Box, "Key: X"));
    EXPECT_TRUE(WaitForText(page, kBtn2Box, "Joy1: 2"));  // unreadable in System.ini too
    CloseWith(IDCANCEL);
    EXPECT_EQ(GameIniValue("KeyConfig1", "BTN1"), "0,0x2D");
    EXPECT_EQ(GameIniValue("KeyConfig1", "BTN2"), "1,0x11");
}

TEST_F(KeyPageTest, EachPlayersPageSavesToItsOwnSection)
{
    game_.Write("Game.ini", "[KeyConfig2]\r\nUP=0,0x11\r\n[KeyConfig3]\r\nUP=0,0x10\r\n");
    ASSERT_NE(Open("[Launcher]\r\nPlayerNum=4\r\n[KeyConfig]\r\nBTN1=yes\r\n"), nullptr);
    ASSERT_NE(ShowKeyPage(1), nullptr);  // キー設定(1P)
    ASSERT_NE(ShowKeyPage(4), nullptr);  // キー設定(4P); 3P is never opened
    HWND second = ShowKeyPage(2);        // キー設定(2P)
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(BoxText(second, kUpBox), "Key: W");

    ASSERT_TRUE(ClickInto(second, kBtn1Box));
    ASSERT_TRUE(KilnTest::XPressKey("z"));
    EXPECT_TRUE(WaitForText(second, kBtn1Box, "Key: Z"));
    EXPECT_EQ(Focused(), ::GetDlgItem(second, kBtn1Box));  // the only enabled box follows itself

    CloseWith(IDOK);
    EXPECT_EQ(GameIniValue("KeyConfig1", "UP"), "1,0x00");
    EXPECT_EQ(GameIniValue("KeyConfig1", "BTN1"), "1,0x10");
    EXPECT_EQ(GameIniValue("KeyConfig2", "UP"), "0,0x11");
    EXPECT_EQ(GameIniValue("KeyConfig2", "DOWN"), "2,0x01");
    EXPECT_EQ(GameIniValue("KeyConfig2", "BTN1"), "0,0x2C");
    EXPECT_EQ(KilnTest::IniSectionLines(game_.Read("Game.ini"), "KeyConfig3"), Lines{"UP=0,0x10"});
    EXPECT_EQ(GameIniValue("KeyConfig4", "UP"), "4,0x00");
    EXPECT_EQ(GameIniValue("KeyConfig4", "BTN12"), "4,0x1B");
}

}  // namespace
