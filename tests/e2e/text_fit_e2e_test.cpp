// The launcher window under the font and DPI of the prefix it runs in (tests/CMakeLists.txt
// runs it in a prefix of its own under two Japanese fonts, at 96 and at 144 DPI): every text
// of the window and its pages whole, and the picture column framed and clear of the controls.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "kiln/input/input_names.h"
#include "tests/e2e/launcher_fixture.h"
#include "tests/support/address_recorder.h"
#include "tests/support/test_image_files.h"
#include "tests/support/text_fit.h"
#include "tests/support/x_input.h"

namespace {

using KilnTest::LauncherFixture;
using KilnTest::TemplateFont;

// Every tab the window can have, and the longest labels of the sample game.
constexpr char kAllTabs[] =
    "[Launcher]\r\nEnableInformation=yes\r\nEnableTwitter=yes\r\nEnableAutoPatch=yes\r\nPlayerNum=4\r\n"
    "TopImage=top.bmp\r\nBannerImage=banner.bmp\r\nBannerURL=kilnbanner://banner/page\r\n"
    "[KeyConfigLabel]\r\nBTN1=決定\r\nBTN2=キャンセル\r\nBTN3=メニュー\r\nBTN4=スキップ\r\n"
    "[KeyConfig]\r\nUP=yes\r\nBTN1=yes\r\nBTN2=yes\r\n";

constexpr int kKeyBoxIds[] = {1101, 1102, 1103, 1104, 1105, 1106, 1107, 1108,
                              1109, 1110, 1111, 1112, 1114, 1115, 1116, 1117};

constexpr COLORREF kTopColour = RGB(200, 30, 60);
constexpr COLORREF kBannerColour = RGB(10, 220, 10);

// A caption of the launcher (Shift-JIS) as UTF-8, for messages.
std::string Readable(const std::string& text)
{
    wchar_t wide[256] = {};
    ::MultiByteToWideChar(932, 0, text.c_str(), -1, wide, 255);
    char utf8[768] = {};
    ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, sizeof utf8 - 1, nullptr, nullptr);
    return utf8;
}

int ScreenDpi()
{
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return dpi;
}

std::string Describe(const RECT& r)
{
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

// A control's rectangle in the client coordinates of `window`.
RECT RectIn(HWND window, HWND control)
{
    RECT rect = {};
    ::GetWindowRect(control, &rect);
    ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// The template a page was made from, told by a control only that template has.
int PageTemplate(HWND page)
{
    if (::GetDlgItem(page, IDC_VRAM_CACHE))
        return IDD_PAGE_GENERAL;
    if (::GetDlgItem(page, IDC_KEY_BOX_FIRST))
        return IDD_PAGE_KEYCONFIG;
    if (::GetDlgItem(page, IDC_HARDWARE_REPORT))
        return IDD_PAGE_HARDWARE;
    if (::GetDlgItem(page, IDC_TWITTER_BUTTON))
        return IDD_PAGE_TWITTER;
    return IDD_PAGE_INFORMATION;
}

// A one-colour 24-bit BMP.
std::string SolidBmp(int width, int height, COLORREF colour)
{
    KilnTest::Bytes row;
    for (int x = 0; x < width; ++x)
        row.insert(row.end(), {GetBValue(colour), GetGValue(colour), GetRValue(colour)});
    row = KilnTest::PadBmpRow(row);
    KilnTest::Bytes rows;
    for (int y = 0; y < height; ++y)
        rows.insert(rows.end(), row.begin(), row.end());
    const KilnTest::Bytes file = KilnTest::MakeBmp(width, height, 24, {}, 0, rows);
    return std::string(file.begin(), file.end());
}

// The client area of a window as the screen shows it.
class ClientCapture {
public:
    explicit ClientCapture(HWND window)
    {
        RECT client = {};
        ::GetClientRect(window, &client);
        width_ = client.right;
        height_ = client.bottom;
        pixels_.assign(static_cast<size_t>(width_) * static_cast<size_t>(height_), 0);
        HDC source = ::GetDC(window);
        HDC memory = ::CreateCompatibleDC(source);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width_;
        info.bmiHeader.biHeight = -height_;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        HBITMAP bitmap = ::CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (bitmap && bits) {
            HGDIOBJ previous = ::SelectObject(memory, bitmap);
            ::BitBlt(memory, 0, 0, width_, height_, source, 0, 0, SRCCOPY);
            ::GdiFlush();
            std::copy_n(static_cast<const uint32_t*>(bits), pixels_.size(), pixels_.begin());
            ::SelectObject(memory, previous);
            ::DeleteObject(bitmap);
        }
        ::DeleteDC(memory);
        ::ReleaseDC(window, source);
    }

    // The smallest rectangle holding every pixel of this colour; empty when there is none.
    RECT Bounds(COLORREF colour) const
    {
        const uint32_t wanted = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
        RECT bounds = {width_, height_, 0, 0};
        for (int y = 0; y < height_; ++y) {
            for (int x = 0; x < width_; ++x) {
                if ((pixels_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)] &
                     0xFFFFFF) != wanted)
                    continue;
                bounds.left = std::min<LONG>(bounds.left, x);
                bounds.top = std::min<LONG>(bounds.top, y);
                bounds.right = std::max<LONG>(bounds.right, x + 1);
                bounds.bottom = std::max<LONG>(bounds.bottom, y + 1);
            }
        }
        return bounds.right > bounds.left ? bounds : RECT{};
    }

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<uint32_t> pixels_;
};

class TextFitTest : public LauncherFixture {
protected:
    TextFitTest()
    {
        game_.Write("top.bmp", SolidBmp(288, 380, kTopColour));
        game_.Write("banner.bmp", SolidBmp(200, 40, kBannerColour));
        // the widest key names the boxes can show come in ExpectEveryKeyTextFits
        game_.Write("Game.ini", "[KeyConfig1]\r\nUP=0,0xDC\r\nBTN2=4,0x0A\r\n");
    }

    TemplateFont Font(int templateId) const { return TemplateFont(game_.PathOf("Launcher.exe"), templateId); }

    // Each text of the dialog made from `templateId`, measured with its template's font, fits.
    void ExpectTextsFit(HWND dialog, int templateId, const std::string& where)
    {
        const TemplateFont font = Font(templateId);
        ASSERT_TRUE(font.Valid()) << where;
        const std::vector<KilnTest::TextFit> fits = KilnTest::MeasureTexts(dialog, font.Get());
        for (const KilnTest::TextFit& fit : fits)
            EXPECT_TRUE(fit.Fits()) << where << " (" << font.Face() << "): " << KilnTest::Describe(fit);
        measured_ += fits.size();
    }

    // A page keeps its template's size, so its size shows that this process made the page's
    // font as the launcher did.
    void ExpectPageFontReproduced(HWND page, int templateId)
    {
        const SIZE expected = Font(templateId).DialogPixels();
        RECT client = {};
        ::GetClientRect(page, &client);
        EXPECT_EQ(client.right, expected.cx) << "page " << templateId << " in " << Font(templateId).Face();
        EXPECT_EQ(client.bottom, expected.cy) << "page " << templateId;
    }

    // Whatever a key box may show: every named key and every joystick input of joysticks 1
    // to 4, after its prefix.
    void ExpectEveryKeyTextFits(HWND page, const std::string& where)
    {
        const TemplateFont font = Font(IDD_PAGE_KEYCONFIG);
        std::vector<std::string> texts;
        for (uint32_t code = 0; code < Kiln::kKeyNameCount; ++code) {
            if (*Kiln::KeyName(code))
                texts.push_back(std::string("Key: ") + Kiln::KeyName(code));
        }
        for (int joystick = 1; joystick <= 4; ++joystick) {
            for (uint32_t code = 0; code < Kiln::kJoystickNameCount; ++code)
                texts.push_back("Joy" + std::to_string(joystick) + ": " + Kiln::JoystickInputName(code));
        }
        HDC dc = ::CreateCompatibleDC(nullptr);
        HGDIOBJ previous = ::SelectObject(dc, font.Get());
        std::string widest;
        LONG widestWidth = 0;
        for (const std::string& text : texts) {
            wchar_t wide[64] = {};
            const int length = ::MultiByteToWideChar(932, 0, text.c_str(), -1, wide, 64) - 1;
            SIZE size = {};
            ::GetTextExtentPoint32W(dc, wide, length, &size);
            if (size.cx > widestWidth) {
                widestWidth = size.cx;
                widest = text;
            }
        }
        ::SelectObject(dc, previous);
        ::DeleteDC(dc);
        for (int id : kKeyBoxIds) {
            const RECT format = KilnTest::EditFormattingRect(::GetDlgItem(page, id));
            EXPECT_LE(widestWidth, format.right - format.left)
                << where << ", box " << id << ": \"" << Readable(widest) << "\" needs " << widestWidth << " px";
        }
    }

    size_t measured_ = 0;
};

// The runner says which font and DPI it set (KILN_FONT_FACE, KILN_SCREEN_DPI): the pages'
// font must be that face, and the screen that DPI, or this run would prove nothing.
TEST_F(TextFitTest, RunsUnderTheFontAndDpiItWasGiven)
{
    char face[64] = {}, dpi[16] = {};
    if (!::GetEnvironmentVariableA("KILN_FONT_FACE", face, sizeof face) ||
        !::GetEnvironmentVariableA("KILN_SCREEN_DPI", dpi, sizeof dpi))
        GTEST_SKIP() << "run by tests/support/with-font-and-dpi, which names them";
    EXPECT_EQ(ScreenDpi(), std::atoi(dpi));
    const TemplateFont pages = Font(IDD_PAGE_GENERAL);
    ASSERT_TRUE(pages.Valid());
    const TEXTMETRICW made = pages.Metrics();
    Kiln::UniqueGdiObject named(::CreateFontA(-::MulDiv(12, ScreenDpi(), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                              SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                              DEFAULT_QUALITY, FF_DONTCARE, face));
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ previous = ::SelectObject(dc, named.Get());
    TEXTMETRICW expected = {};
    ::GetTextMetricsW(dc, &expected);
    ::SelectObject(dc, previous);
    ::DeleteDC(dc);
    EXPECT_EQ(made.tmHeight, expected.tmHeight) << face;
    EXPECT_EQ(made.tmAscent, expected.tmAscent) << face;
    EXPECT_EQ(made.tmAveCharWidth, expected.tmAveCharWidth) << face;
    EXPECT_EQ(made.tmMaxCharWidth, expected.tmMaxCharWidth) << face;
}

TEST_F(TextFitTest, EveryTextOfTheWindowAndItsPagesIsWhole)
{
    for (const char* tiny : {"no", "yes"}) {
        SCOPED_TRACE(std::string("tiny mode ") + tiny);
        measured_ = 0;
        ASSERT_NE(Open(std::string(kAllTabs) + "EnableTinyMode=" + tiny + "\r\n"), nullptr);
        const int mainTemplate = std::string(tiny) == "yes" ? IDD_MAIN_TINY : IDD_MAIN;
        const std::vector<std::string> captions = KilnTest::TabCaptions(tab_);
        ASSERT_EQ(captions.size(), 8u);
        for (size_t i = 0; i < captions.size(); ++i) {
            HWND page = ShowTab(static_cast<int>(i));
            const std::string where = Readable(captions[i]);
            ASSERT_NE(page, nullptr) << where;
            const int templateId = PageTemplate(page);
            // a key page sets itself up on its first tick: labels, columns, then the boxes' texts
            if (templateId == IDD_PAGE_KEYCONFIG) {
                ASSERT_TRUE(KilnTest::PumpUntil(
                    [&] { return !KilnTest::ControlText(::GetDlgItem(page, IDC_KEY_BOX_FIRST)).empty(); }))
                    << where;
            }
            ExpectPageFontReproduced(page, templateId);
            ExpectTextsFit(page, templateId, where);
            if (templateId == IDD_PAGE_KEYCONFIG)
                ExpectEveryKeyTextFits(page, where);
        }
        ExpectTextsFit(window_, mainTemplate, "main window");
        // the buttons, the graphics page's twelve, each key page's 33, the hardware page's label
        // and the Twitter page's three (the information page has its browser only)
        EXPECT_GE(measured_, 3u + 12u + 4u * 33u + 1u + 3u);
        CloseWith(IDCANCEL);
    }
}

TEST_F(TextFitTest, PictureColumnIsFramedAndClearOfTheControls)
{
    const std::string opened = game_.PathOf("opened.txt");
    KilnTest::AddressRecorder recorder(opened);
    ASSERT_NE(Open(kAllTabs), nullptr);

    // the window fits the screen this DPI is meant for: 1280x800 (a handheld PC) at 96 DPI
    RECT outer = {};
    ::GetWindowRect(window_, &outer);
    const SIZE screen = ScreenDpi() <= 96 ? SIZE{1280, 800} : SIZE{1920, 1080};
    EXPECT_LE(outer.right - outer.left, screen.cx);
    EXPECT_LE(outer.bottom - outer.top, screen.cy);

    RECT top = {}, banner = {};
    KilnTest::PumpUntil([&] {
        const ClientCapture capture(window_);
        top = capture.Bounds(kTopColour);
        banner = capture.Bounds(kBannerColour);
        return top.right > top.left && banner.right > banner.left;
    });
    ASSERT_GT(top.right, top.left) << "no top picture on the screen";
    ASSERT_GT(banner.right, banner.left) << "no banner on the screen";
    // The black frame lies around the picture.
    const RECT frame = RectIn(window_, ::GetDlgItem(window_, IDC_PICTURE_FRAME));
    EXPECT_EQ(Describe(frame), Describe({top.left - 1, top.top - 1, top.right + 1, top.bottom + 1}));
    EXPECT_LE(top.bottom + 1, banner.top) << "the banner lies below the picture";

    for (int id : {IDOK, IDCANCEL, IDC_PATCH, IDC_TAB}) {
        const RECT control = RectIn(window_, ::GetDlgItem(window_, id));
        RECT both = {};
        EXPECT_FALSE(::IntersectRect(&both, &control, &frame)) << id << " at " << Describe(control);
        EXPECT_FALSE(::IntersectRect(&both, &control, &banner)) << id << " at " << Describe(control);
    }
    RECT client = {};
    ::GetClientRect(window_, &client);
    EXPECT_LE(banner.bottom, client.bottom);

    // The banner answers a click on its last pixel, and not one just beside it.
    ::PostMessageA(window_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(banner.right, banner.bottom - 1));
    ::PostMessageA(window_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(banner.right - 1, banner.bottom));
    ::PostMessageA(window_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(banner.right - 1, banner.bottom - 1));
    EXPECT_TRUE(KilnTest::PumpUntil([&] { return !KilnTest::ReadFileText(opened).empty(); }, 10000));
    KilnTest::PumpUntil([] { return false; }, 500);
    EXPECT_EQ(KilnTest::ReadFileText(opened), "kilnbanner://banner/page\r\n");
    CloseWith(IDCANCEL);
}

}  // namespace
