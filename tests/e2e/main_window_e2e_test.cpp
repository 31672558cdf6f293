// The launcher window as a player sees it: tabs, lazily made pages, tiny mode and the keys
// that close it.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "kiln/core/image_writers.h"

#include "resources/resource.h"
#include "tests/support/game_folder.h"
#include "tests/support/ui_driver.h"

namespace {

using KilnTest::GameFolder;
using KilnTest::Process;

constexpr char kTitle[] = "ウィンドウ試験";

// The page dialogs the main window has made so far, and which of them are visible.
struct Pages {
    int made = 0;
    int visible = 0;
};

BOOL CALLBACK CountPage(HWND child, LPARAM context)
{
    char className[32] = {};
    ::GetClassNameA(child, className, sizeof className);
    if (std::string(className) == "#32770") {
        auto* pages = reinterpret_cast<Pages*>(context);
        ++pages->made;
        if (::IsWindowVisible(child))
            ++pages->visible;
    }
    return TRUE;
}

Pages CountPages(HWND window)
{
    Pages pages;
    ::EnumChildWindows(window, CountPage, reinterpret_cast<LPARAM>(&pages));
    return pages;
}

RECT ScreenRect(HWND window)
{
    RECT rect = {};
    ::GetWindowRect(window, &rect);
    return rect;
}

bool Contains(const RECT& outer, const RECT& inner)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

bool Intersect(const RECT& a, const RECT& b)
{
    RECT both;
    return ::IntersectRect(&both, &a, &b) != FALSE;
}

std::string Describe(const RECT& r)
{
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

struct ControlsOutside {
    RECT page;
    std::vector<std::string> found;
};

BOOL CALLBACK CheckControlInPage(HWND control, LPARAM context)
{
    auto* check = reinterpret_cast<ControlsOutside*>(context);
    const RECT rect = ScreenRect(control);
    if (!Contains(check->page, rect))
        check->found.push_back("control " + std::to_string(::GetDlgCtrlID(control)) + " at " + Describe(rect));
    return TRUE;
}

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest()
        : game_(std::string("window_") + ::testing::UnitTest::GetInstance()->current_test_info()->name())
    {
        game_.AddLauncher();
        game_.AddRecordingEngines();
    }

    // Starts the launcher with these [Launcher] lines and waits for its window.
    HWND Open(const std::string& launcherSection)
    {
        game_.Write("System.ini", std::string("[Game]\r\nTitle=") + kTitle + "\r\n[Launcher]\r\n" + launcherSection);
        launcher_ = std::make_unique<Process>(game_.PathOf("Launcher.exe"), "");
        HWND window = KilnTest::WaitForDialog(launcher_->Id(), kTitle);
        tab_ = window ? ::GetDlgItem(window, IDC_TAB) : nullptr;
        return window;
    }

    GameFolder game_;
    std::unique_ptr<Process> launcher_;
    HWND tab_ = nullptr;
};

TEST_F(MainWindowTest, TabsFollowTheSwitchesAndPlayerCount)
{
    HWND window = Open("EnableInformation=yes\r\nEnableTwitter=YES\r\nPlayerNum=4\r\n");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(KilnTest::TabCaptions(tab_),
              (std::vector<std::string>{"情報", "設定", "キー設定(1P)", "キー設定(2P)", "キー設定(3P)",
                                        "キー設定(4P)", "ハード情報", "Twitter"}));
    EXPECT_EQ(KilnTest::SelectedTab(tab_), 0);
    KilnTest::PressCloseBox(window);
    EXPECT_EQ(launcher_->WaitForExit(), 0);
}

TEST_F(MainWindowTest, PagesAreMadeWhenTheirTabIsFirstChosen)
{
    HWND window = Open("PlayerNum=2\r\n");
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(KilnTest::TabCaptions(tab_).size(), 4u);
    Pages pages = CountPages(window);
    EXPECT_EQ(pages.made, 1);
    EXPECT_EQ(pages.visible, 1);

    KilnTest::SelectTab(tab_, 3);
    EXPECT_EQ(KilnTest::SelectedTab(tab_), 3);
    pages = CountPages(window);
    EXPECT_EQ(pages.made, 2);
    EXPECT_EQ(pages.visible, 1);

    KilnTest::SelectTab(tab_, 0);  // back to a page that exists: shown again, not made again
    pages = CountPages(window);
    EXPECT_EQ(pages.made, 2);
    EXPECT_EQ(pages.visible, 1);

    KilnTest::Click(window, IDCANCEL);
    EXPECT_EQ(launcher_->WaitForExit(), 0);
}

TEST_F(MainWindowTest, KeysDoNothingWhileAKeyPageIsCurrent)
{
    HWND window = Open("");
    ASSERT_NE(window, nullptr);
    KilnTest::SelectTab(tab_, 1);  // キー設定
    KilnTest::PressKey(window, VK_RETURN);
    KilnTest::PressKey(window, VK_ESCAPE);
    EXPECT_EQ(launcher_->WaitForExit(1000), -1);  // still open

    KilnTest::SelectTab(tab_, 2);  // ハード情報
    KilnTest::PressKey(window, VK_ESCAPE);
    EXPECT_EQ(launcher_->WaitForExit(), 0);
    EXPECT_EQ(game_.EngineRecord(), "");
}

TEST_F(MainWindowTest, TinyModeUsesTheCompactWindowWithoutPictures)
{
    HWND normal = Open("");
    ASSERT_NE(normal, nullptr);
    EXPECT_NE(::GetDlgItem(normal, IDC_PICTURE_FRAME), nullptr);
    RECT normalSize;
    ::GetClientRect(normal, &normalSize);
    KilnTest::PressCloseBox(normal);
    ASSERT_EQ(launcher_->WaitForExit(), 0);

    HWND tiny = Open("EnableTinyMode=Yes\r\n");
    ASSERT_NE(tiny, nullptr);
    EXPECT_EQ(::GetDlgItem(tiny, IDC_PICTURE_FRAME), nullptr);
    RECT tinySize;
    ::GetClientRect(tiny, &tinySize);
    EXPECT_LT(tinySize.right, normalSize.right);
    EXPECT_EQ(tinySize.bottom, normalSize.bottom);
    EXPECT_EQ(KilnTest::ItemText(tiny, IDOK), "ゲーム起動");
    KilnTest::Click(tiny, IDOK);
    EXPECT_EQ(launcher_->WaitForExit(), 0);
    EXPECT_NE(game_.EngineRecord(), "");
}

TEST_F(MainWindowTest, EveryPageLiesInsideTheTabsDisplayAreaClearOfTheButtons)
{
    for (const char* tiny : {"No", "Yes"}) {
        SCOPED_TRACE(std::string("tiny mode ") + tiny);
        HWND window = Open(std::string("EnableInformation=yes\r\nEnableTwitter=yes\r\nEnableAutoPatch=yes\r\n"
                                       "PlayerNum=4\r\nEnableTinyMode=") + tiny + "\r\n");
        ASSERT_NE(window, nullptr);
        const RECT display = KilnTest::TabDisplayArea(tab_);
        const RECT tab = ScreenRect(tab_);
        ASSERT_TRUE(Contains(tab, display)) << Describe(display);
        const size_t tabs = KilnTest::TabCaptions(tab_).size();
        ASSERT_EQ(tabs, 8u);
        for (size_t i = 0; i < tabs; ++i) {
            KilnTest::SelectTab(tab_, static_cast<int>(i));
            HWND page = KilnTest::CurrentPage(window);
            ASSERT_NE(page, nullptr) << "tab " << i;
            const RECT pageRect = ScreenRect(page);
            EXPECT_TRUE(Contains(display, pageRect)) << "tab " << i << ": page " << Describe(pageRect)
                                                     << " display area " << Describe(display);
            for (int button : {IDOK, IDCANCEL, IDC_PATCH})
                EXPECT_FALSE(Intersect(pageRect, ScreenRect(::GetDlgItem(window, button))))
                    << "tab " << i << ", button " << button;
            ControlsOutside outside{pageRect, {}};
            ::EnumChildWindows(page, CheckControlInPage, reinterpret_cast<LPARAM>(&outside));
            EXPECT_TRUE(outside.found.empty()) << "tab " << i << ": " << outside.found.front() << " outside "
                                               << Describe(pageRect);
        }
        KilnTest::PressCloseBox(window);
        EXPECT_EQ(launcher_->WaitForExit(), 0);
    }
}

// A picture file of one colour, written by the runtime's own writers (".png" or ".bmp").
void WriteSolidPicture(const std::string& path, int width, int height, uint8_t r, uint8_t g, uint8_t b)
{
    std::vector<uint8_t> row;
    for (int x = 0; x < width; ++x)
        row.insert(row.end(), {r, g, b});
    const std::vector<const uint8_t*> rows(static_cast<size_t>(height), row.data());
    const bool png = path.size() > 4 && (path.substr(path.size() - 4) == ".PNG" || path.substr(path.size() - 4) == ".png");
    ASSERT_TRUE(png ? Kiln::ImageWriters::WritePNG(width, height, rows.data(), path.c_str(), -1)
                    : Kiln::ImageWriters::WriteBMP(width, height, rows.data(), path.c_str()));
}

// The colour the window shows at a client point, once it has painted (waits up to 5 s for
// `expected`, then returns what is there).
COLORREF PixelWhenPainted(HWND window, int x, int y, COLORREF expected)
{
    COLORREF seen = CLR_INVALID;
    for (int attempt = 0; attempt < 100 && seen != expected; ++attempt) {
        if (attempt)
            ::Sleep(50);
        HDC dc = ::GetDC(window);
        seen = ::GetPixel(dc, x, y);
        ::ReleaseDC(window, dc);
    }
    return seen;
}

TEST_F(MainWindowTest, PicturesOfExactlyTheirSizeAreDrawn)
{
    WriteSolidPicture(game_.PathOf("Top.PNG"), 288, 380, 200, 30, 60);      // extension in capitals
    WriteSolidPicture(game_.PathOf("banner.bmp"), 201, 40, 10, 220, 10);   // one pixel too wide
    HWND window = Open("TopImage=Top.PNG\r\nBannerImage=banner.bmp\r\n");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(PixelWhenPainted(window, 9 + 100, 10 + 200, RGB(200, 30, 60)), RGB(200, 30, 60));
    const COLORREF blank = ::GetSysColor(COLOR_3DFACE);
    EXPECT_EQ(PixelWhenPainted(window, 9 + 100, 394 + 20, blank), blank);
    KilnTest::PressCloseBox(window);
    EXPECT_EQ(launcher_->WaitForExit(), 0);

    // the right size, the banner is drawn too
    WriteSolidPicture(game_.PathOf("banner.bmp"), 200, 40, 10, 220, 10);
    window = Open("TopImage=Top.PNG\r\nBannerImage=banner.bmp\r\n");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(PixelWhenPainted(window, 9 + 199, 394 + 39, RGB(10, 220, 10)), RGB(10, 220, 10));
    KilnTest::PressCloseBox(window);
    EXPECT_EQ(launcher_->WaitForExit(), 0);
}

}  // namespace
