// The graphics page ("設定") as a player uses it: what it shows for Game.ini's [General], what
// each control changes, and what every way of closing writes back.
#include <vector>

#include "tests/e2e/launcher_fixture.h"
#include "tests/support/ini_text.h"
#include "tests/support/x_input.h"

namespace {

using KilnTest::LauncherFixture;
using Entries = std::vector<std::string>;
using Lines = std::vector<std::string>;

class GraphicsPageTest : public LauncherFixture {
protected:
    // Opens the launcher on the graphics page (the first tab without an information page).
    HWND OpenPage()
    {
        if (!Open(""))
            return nullptr;
        return KilnTest::CurrentPage(window_);
    }
};

TEST_F(GraphicsPageTest, WithoutGameIniTheDefaultsShow)
{
    HWND page = OpenPage();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(KilnTest::ListEntries(page, IDC_VRAM_CACHE), (Entries{"最大", "大", "小"}));
    EXPECT_EQ(KilnTest::ListEntries(page, IDC_FILE_CACHE), (Entries{"大", "中", "小"}));
    EXPECT_EQ(KilnTest::ListEntries(page, IDC_SCREEN_SIZE), (Entries{"3.0", "2.5", "2.0", "1.5", "1.0"}));
    EXPECT_EQ(KilnTest::SelectedEntry(page, IDC_VRAM_CACHE), 0);   // 最大
    EXPECT_EQ(KilnTest::SelectedEntry(page, IDC_FILE_CACHE), 1);   // 中
    EXPECT_EQ(KilnTest::SelectedEntry(page, IDC_SCREEN_SIZE), 4);  // 1.0
    EXPECT_FALSE(KilnTest::IsChecked(page, IDC_FULL_SCREEN));
    EXPECT_TRUE(KilnTest::IsChecked(page, IDC_SHOW_MENU));
    EXPECT_FALSE(KilnTest::IsChecked(page, IDC_SHOW_FPS));
    EXPECT_TRUE(KilnTest::IsChecked(page, IDC_HIGH_QUALITY));
    EXPECT_FALSE(KilnTest::ItemVisible(page, IDC_HIGH_QUALITY));
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(page, IDC_HIGH_QUALITY)));
    EXPECT_FALSE(KilnTest::ItemVisible(page, IDC_HIGH_QUALITY_NOTE));
    EXPECT_EQ(KilnTest::ItemText(page, IDC_FULL_SCREEN), "フルスクリーンで起動する");
    EXPECT_EQ(KilnTest::ItemText(page, IDC_SHOW_MENU), "起動時にメニューを表示する");
    EXPECT_EQ(KilnTest::ItemText(page, IDC_SHOW_FPS), "FPSを表示する");

    CloseWith(IDCANCEL);
    EXPECT_EQ(KilnTest::IniSectionLines(game_.Read("Game.ini"), "General"),
              (Lines{"FullScreen=No", "ShowMenu=Yes", "ShowFPS=No", "MaxVRAMCacheSize=0", "MaxFileCacheSize=256",
                     "ScreenSize=0"}));
}

TEST_F(GraphicsPageTest, StoredValuesShowByTheirRulesAndSaveAsShown)
{
    struct Case {
        const char* general;
        int vramPosition, screenPosition;
        bool fullScreen;
        const char* savedVRAM;
        const char* savedScreenSize;
    };
    for (const Case& c : {Case{"MaxVRAMCacheSize=1024\r\nScreenSize=7\r\nFullScreen=YES\r\n", 2, 4, true, "256", "0"},
                          Case{"MaxVRAMCacheSize=512\r\nScreenSize=-1\r\nFullScreen=yes please\r\n", 1, 4, false, "512", "0"},
                          Case{"ScreenSize=3x\r\n", 0, 1, false, "0", "3"}}) {
        SCOPED_TRACE(c.general);
        game_.Write("Game.ini", std::string("[General]\r\n") + c.general);
        HWND page = OpenPage();
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(KilnTest::SelectedEntry(page, IDC_VRAM_CACHE), c.vramPosition);
        EXPECT_EQ(KilnTest::SelectedEntry(page, IDC_SCREEN_SIZE), c.screenPosition);
        EXPECT_EQ(KilnTest::IsChecked(page, IDC_FULL_SCREEN), c.fullScreen);
        CloseWith(IDOK);
        EXPECT_EQ(GameIniValue("General", "MaxVRAMCacheSize"), c.savedVRAM);
        EXPECT_EQ(GameIniValue("General", "ScreenSize"), c.savedScreenSize);
        EXPECT_EQ(GameIniValue("General", "FullScreen"), c.fullScreen ? "Yes" : "No");
    }
}

TEST_F(GraphicsPageTest, ChangesAreSavedOnEveryWayOfClosing)
{
    struct CloseWay {
        const char* name;
        void (*close)(HWND window);
    };
    for (const CloseWay& way : {CloseWay{"start", [](HWND w) { KilnTest::Click(w, IDOK); }},
                                CloseWay{"quit", [](HWND w) { KilnTest::Click(w, IDCANCEL); }},
                                CloseWay{"close box", [](HWND w) { KilnTest::PressCloseBox(w); }},
                                CloseWay{"enter", [](HWND w) { KilnTest::PressKey(w, VK_RETURN); }},
                                CloseWay{"escape", [](HWND w) { KilnTest::PressKey(w, VK_ESCAPE); }}}) {
        SCOPED_TRACE(way.name);
        game_.Write("Game.ini", "[General]\r\nShowFPS=No\r\n");
        HWND page = OpenPage();
        ASSERT_NE(page, nullptr);
        KilnTest::ChooseEntry(page, IDC_VRAM_CACHE, 1);   // 大
        KilnTest::ChooseEntry(page, IDC_FILE_CACHE, 2);   // 小
        KilnTest::ChooseEntry(page, IDC_SCREEN_SIZE, 0);  // 3.0
        KilnTest::ChooseEntry(page, IDC_SCREEN_SIZE, 2);  // 2.0
        KilnTest::PressButton(page, IDC_FULL_SCREEN);
        KilnTest::PressButton(page, IDC_SHOW_MENU);
        KilnTest::PressButton(page, IDC_SHOW_FPS);
        way.close(window_);
        EXPECT_EQ(launcher_->WaitForExit(), 0);
        EXPECT_EQ(KilnTest::IniSectionLines(game_.Read("Game.ini"), "General"),
                  (Lines{"ShowFPS=Yes", "FullScreen=Yes", "ShowMenu=No", "MaxVRAMCacheSize=512",
                         "MaxFileCacheSize=128", "ScreenSize=2"}));
    }
}

TEST_F(GraphicsPageTest, UntickingHighQualityAsksFirst)
{
    HWND page = OpenPage();
    ASSERT_NE(page, nullptr);
    HWND box = ::GetDlgItem(page, IDC_HIGH_QUALITY);
    for (const int answer : {IDNO, IDYES}) {
        ::SendMessageA(box, BM_SETCHECK, BST_UNCHECKED, 0);
        KilnTest::Click(page, IDC_HIGH_QUALITY);
        HWND question = KilnTest::WaitForDialog(launcher_->Id(), "確認");
        ASSERT_NE(question, nullptr);
        EXPECT_EQ(KilnTest::MessageBoxText(question),
                  "このパラメータをオフにするとパフォーマンスが低下したり\n画質が著しく低下します。続行しますか？");
        EXPECT_EQ(::GetWindow(question, GW_OWNER), window_);
        ::PostMessageA(question, WM_COMMAND, answer, 0);
        ASSERT_TRUE(KilnTest::PumpUntil([&] { return !::IsWindow(question); }));
        // No ticks the box again; Yes leaves it unticked.
        EXPECT_EQ(KilnTest::IsChecked(page, IDC_HIGH_QUALITY), answer == IDNO);
    }
    CloseWith(IDCANCEL);
}

// Pixels of a window, as the screen shows them, that are clearly red.
int RedPixels(HWND window)
{
    RECT rect;
    ::GetWindowRect(window, &rect);
    HDC screen = ::GetDC(nullptr);
    int red = 0;
    for (int y = rect.top; y < rect.bottom; ++y) {
        for (int x = rect.left; x < rect.right; ++x) {
            const COLORREF pixel = ::GetPixel(screen, x, y);
            if (GetRValue(pixel) >= 200 && GetGValue(pixel) <= 80 && GetBValue(pixel) <= 80)
                ++red;
        }
    }
    ::ReleaseDC(nullptr, screen);
    return red;
}

TEST_F(GraphicsPageTest, HighQualityNoteIsRedAndScreenSizesDropDownInFull)
{
    HWND page = OpenPage();
    ASSERT_NE(page, nullptr);
    HWND note = ::GetDlgItem(page, IDC_HIGH_QUALITY_NOTE);
    ::ShowWindow(note, SW_SHOW);  // created hidden
    EXPECT_TRUE(KilnTest::PumpUntil([&] { return RedPixels(note) > 20; }));
    EXPECT_EQ(RedPixels(::GetDlgItem(page, IDC_FULL_SCREEN)), 0);

    // The screen size list opens tall enough for its five entries and two pixels more.
    HWND sizes = ::GetDlgItem(page, IDC_SCREEN_SIZE);
    RECT closed, dropped = {};
    ::GetWindowRect(sizes, &closed);
    ::SendMessageA(sizes, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
    const LRESULT itemHeight = ::SendMessageA(sizes, CB_GETITEMHEIGHT, 0, 0);
    const LONG closedHeight = closed.bottom - closed.top;
    const LONG height = closedHeight + 5 * static_cast<LONG>(itemHeight) + 2;
    // Windows reports the whole control's height; Wine leaves the closed part out.
    const LONG reported = dropped.bottom - dropped.top;
    EXPECT_TRUE(reported == height || reported == height - closedHeight)
        << reported << " for a height of " << height << " (closed " << closedHeight << ")";
    CloseWith(IDCANCEL);
}

}  // namespace
