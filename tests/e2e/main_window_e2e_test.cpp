// The launcher window as a player sees it: tabs, lazily made pages, tiny mode and the keys
// that close it.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "kiln/core/image_writers.h"

#include "resources/resource.h"
#include "tests/e2e/launcher_fixture.h"
#include "tests/support/address_recorder.h"
#include "tests/support/game_folder.h"
#include "tests/support/ui_driver.h"
#include "tests/support/x_input.h"

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
    using Captions = std::vector<std::string>;
    const Captions one = {"キー設定"};
    const Captions four = {"キー設定(1P)", "キー設定(2P)", "キー設定(3P)", "キー設定(4P)"};
    struct Case {
        const char* launcher;
        bool information, twitter;
        Captions keys;
    };
    for (const Case& c : {Case{"EnableInformation=yes\r\nEnableTwitter=YES\r\nPlayerNum=4\r\n", true, true, four},
                          Case{"PlayerNum=1\r\n", false, false, one},
                          Case{"EnableInformation=yes\r\nPlayerNum=2\r\n", true, false, {four[0], four[1]}},
                          Case{"EnableTwitter=yes\r\nPlayerNum=3\r\n", false, true, {four[0], four[1], four[2]}},
                          Case{"EnableInformation=no\r\nEnableTwitter=yes please\r\nPlayerNum=5\r\n", false, false, one},
                          Case{"EnableInformation=Yes\r\nEnableTwitter=yes\r\nPlayerNum=\r\n", true, true, one}}) {
        SCOPED_TRACE(c.launcher);
        HWND window = Open(c.launcher);
        ASSERT_NE(window, nullptr);
        Captions expected;
        if (c.information)
            expected.push_back("情報");
        expected.push_back("設定");
        expected.insert(expected.end(), c.keys.begin(), c.keys.end());
        expected.push_back("ハード情報");
        if (c.twitter)
            expected.push_back("Twitter");
        EXPECT_EQ(KilnTest::TabCaptions(tab_), expected);
        EXPECT_EQ(KilnTest::SelectedTab(tab_), 0);
        EXPECT_EQ(CountPages(window).made, 1);  // only the first page exists at start
        KilnTest::PressCloseBox(window);
        EXPECT_EQ(launcher_->WaitForExit(), 0);
    }
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
    // The launcher handles posted messages in order: once a tab change posted after the keys
    // shows, the keys were handled, and a second one covers whatever their handling posted.
    for (int marker : {0, 1}) {
        ::PostMessageA(tab_, TCM_SETCURFOCUS, marker, 0);
        ASSERT_TRUE(KilnTest::PumpUntil([&] { return KilnTest::SelectedTab(tab_) == marker; }))
            << "the launcher stopped handling messages";
    }
    EXPECT_TRUE(::IsWindow(window));
    EXPECT_EQ(launcher_->WaitForExit(0), -1);  // still open

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

// A picture the launcher cannot hold is missing, nothing more: 3 GiB is beyond what a 32-bit
// launcher can address, and a 64-bit one gets a file beyond 32-bit sizes.
TEST_F(MainWindowTest, TopPictureTooLargeToHoldIsLeftOut)
{
    const uint64_t size = sizeof(void*) == 4 ? uint64_t{3} << 30 : (uint64_t{4} << 30) + 16;
    game_.WriteSparse("top.png", size);
    WriteSolidPicture(game_.PathOf("banner.bmp"), 200, 40, 10, 220, 10);
    HWND window = Open("TopImage=top.png\r\nBannerImage=banner.bmp\r\n");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(PixelWhenPainted(window, 9 + 199, 394 + 39, RGB(10, 220, 10)), RGB(10, 220, 10));
    const COLORREF blank = ::GetSysColor(COLOR_3DFACE);
    EXPECT_EQ(PixelWhenPainted(window, 9 + 100, 10 + 200, blank), blank);
    EXPECT_EQ(KilnTest::ItemText(window, IDOK), "ゲーム起動");
    KilnTest::Click(window, IDOK);
    EXPECT_EQ(launcher_->WaitForExit(), 0);
    EXPECT_NE(game_.EngineRecord(), "");
}

// The window's own dressing and the banner, in a window found by an ASCII title (X pointer
// and focus).
class DressedWindowTest : public KilnTest::LauncherFixture {
protected:
    POINT ClientOrigin() const
    {
        POINT origin = {0, 0};
        ::ClientToScreen(window_, &origin);
        return origin;
    }

    // The cursor the window shows with the pointer at a client point, coming from `dx` pixels
    // to the left of it (on the same side of the banner's edge): the cursor a move chooses
    // shows from the next move on. A loaded machine may not have shown the window any cursor
    // yet after the first moves: they are made again then.
    HCURSOR CursorAt(int x, int y, int dx = 1) const
    {
        const POINT origin = ClientOrigin();
        CURSORINFO info = {};
        for (int attempt = 0; attempt < 5 && !info.hCursor; ++attempt) {
            KilnTest::XMovePointer(origin.x + x - dx, origin.y + y);
            KilnTest::XMovePointer(origin.x + x, origin.y + y);
            KilnTest::PumpUntil([] { return false; }, 200);
            info.cbSize = sizeof info;
            ::GetCursorInfo(&info);  // the foreground window's cursor
        }
        return info.hCursor;
    }
};

// Pixels in the square at the left end of a window's caption whose red clearly exceeds their
// blue.
int WarmPixelsInCaptionCorner(HWND window)
{
    const RECT rect = ScreenRect(window);
    const int size = ::GetSystemMetrics(SM_CYCAPTION) + ::GetSystemMetrics(SM_CYDLGFRAME);
    HDC screen = ::GetDC(nullptr);
    int warm = 0;
    for (int y = rect.top; y < rect.top + size; ++y) {
        for (int x = rect.left; x < rect.left + size; ++x) {
            const COLORREF pixel = ::GetPixel(screen, x, y);
            if (GetRValue(pixel) > GetBValue(pixel) + 50)
                ++warm;
        }
    }
    ::ReleaseDC(nullptr, screen);
    return warm;
}

TEST_F(DressedWindowTest, WindowHasItsIconAndIsCentredOnTheScreen)
{
    ASSERT_NE(Open(""), nullptr);
    // The caption shows the program's icon (brown and orange), which a dialog frame without
    // an icon of its own leaves out. (Wine answers WM_GETICON from another process with 0.)
    // The window is placed before it shows, but its frame is painted by the launcher's own
    // thread afterwards: a busy machine let the test read the caption before that. Wait for
    // the paint, bounded.
    KilnTest::PumpUntil([&] { return WarmPixelsInCaptionCorner(window_) > 50; });
    EXPECT_GT(WarmPixelsInCaptionCorner(window_), 50);

    // Half the screen less half the outer size, the outer size counted from the client area
    // and the frame metrics of a dialog frame with a caption.
    RECT client;
    ::GetClientRect(window_, &client);
    const int width = client.right + ::GetSystemMetrics(SM_CXEDGE) + ::GetSystemMetrics(SM_CXDLGFRAME) +
                      ::GetSystemMetrics(SM_CXBORDER);
    const int height = client.bottom + ::GetSystemMetrics(SM_CYEDGE) + ::GetSystemMetrics(SM_CYDLGFRAME) +
                       ::GetSystemMetrics(SM_CYBORDER) + ::GetSystemMetrics(SM_CYCAPTION);
    const int left = ::GetSystemMetrics(SM_CXSCREEN) / 2 - width / 2;
    const int top = ::GetSystemMetrics(SM_CYSCREEN) / 2 - height / 2;
    const RECT placed = ScreenRect(window_);
    EXPECT_EQ(placed.left, left);
    EXPECT_EQ(placed.top, top);
    CloseWith(IDCANCEL);
}

using BannerRecorder = KilnTest::AddressRecorder;

constexpr char kBannerLauncher[] = "[Launcher]\r\nBannerURL=kilnbanner://banner/page\r\n";

TEST_F(DressedWindowTest, BannerShowsTheHandAndOpensItsAddress)
{
    const std::string opened = game_.PathOf("opened.txt");
    BannerRecorder recorder(opened);
    ASSERT_NE(Open(kBannerLauncher), nullptr);
    ASSERT_TRUE(KilnTest::BringToFront(window_, title_));

    const HCURSOR picture = CursorAt(100, 200);
    const HCURSOR banner = CursorAt(100, 414);
    EXPECT_NE(banner, picture);
    EXPECT_EQ(CursorAt(208, 433), banner);   // the banner's last pixel
    EXPECT_EQ(CursorAt(209, 414, -1), picture);  // just right of it
    EXPECT_EQ(CursorAt(100, 434), picture);  // just below it

    const POINT origin = ClientOrigin();
    ASSERT_TRUE(KilnTest::XClick(origin.x + 100, origin.y + 200));  // the picture: nothing
    ASSERT_TRUE(KilnTest::XClick(origin.x + 20, origin.y + 400));
    EXPECT_TRUE(KilnTest::PumpUntil([&] { return !KilnTest::ReadFileText(opened).empty(); }, 10000));
    KilnTest::PumpUntil([] { return false; }, 500);
    EXPECT_EQ(KilnTest::ReadFileText(opened), "kilnbanner://banner/page\r\n");
    CloseWith(IDCANCEL);
}

TEST_F(DressedWindowTest, TinyModeIgnoresTheBanner)
{
    const std::string opened = game_.PathOf("opened.txt");
    BannerRecorder recorder(opened);
    // A click on the banner's place, as the dialog would receive it; in tiny mode nothing
    // lies there but the tab control.
    for (const bool tiny : {false, true}) {
        SCOPED_TRACE(tiny ? "tiny" : "normal");
        ::DeleteFileA(opened.c_str());
        ASSERT_NE(Open(std::string(kBannerLauncher) + "EnableTinyMode=" + (tiny ? "yes" : "no") + "\r\n"), nullptr);
        ::PostMessageA(window_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 414));
        ::PostMessageA(window_, WM_LBUTTONUP, 0, MAKELPARAM(100, 414));
        KilnTest::PumpUntil([&] { return !KilnTest::ReadFileText(opened).empty(); }, 3000);
        EXPECT_EQ(KilnTest::ReadFileText(opened), tiny ? "" : "kilnbanner://banner/page\r\n");
        CloseWith(IDCANCEL);
    }
}

}  // namespace
