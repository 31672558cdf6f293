#include "kiln/support/font.h"

#include <gtest/gtest.h>

#include <string>

namespace Kiln {
namespace {

// The first TrueType face with Shift-JIS characters, as the system lists all families.
int CALLBACK TakeFirstShiftJisTrueType(const LOGFONTA* face, const TEXTMETRICA*, DWORD type, LPARAM context)
{
    if (!(type & TRUETYPE_FONTTYPE) || face->lfCharSet != SHIFTJIS_CHARSET)
        return 1;
    *reinterpret_cast<std::string*>(context) = face->lfFaceName;
    return 0;
}

std::string FirstShiftJisTrueTypeFace()
{
    HDC dc = ::CreateCompatibleDC(nullptr);
    LOGFONTA query = {};
    query.lfCharSet = DEFAULT_CHARSET;
    std::string face;
    ::EnumFontFamiliesExA(dc, &query, TakeFirstShiftJisTrueType, reinterpret_cast<LPARAM>(&face), 0);
    ::DeleteDC(dc);
    return face;
}

LOGFONTA Describe(const CFontHandle& handle)
{
    LOGFONTA made = {};
    EXPECT_EQ(::GetObjectA(handle.GetFont(), sizeof made, &made), static_cast<int>(sizeof made));
    return made;
}

TEST(FontTest, DescriptionDefaults)
{
    const CFont font;
    EXPECT_EQ(font.width, 0);
    EXPECT_EQ(font.height, 16);
    EXPECT_EQ(font.faceName, "ＭＳ ゴシック");
    EXPECT_EQ(font.quality, 3);
    EXPECT_EQ(font.weight, 300);
    EXPECT_FALSE(font.italic || font.underline || font.strikeOut);
}

TEST(FontTest, InstalledFaceIsTakenWithTheDescribedMetrics)
{
    CFont font;
    font.faceName = "IPAゴシック";
    font.height = 12;
    font.width = 5;
    font.weight = FW_BOLD;
    font.italic = true;
    font.underline = true;
    font.quality = NONANTIALIASED_QUALITY;
    const CFontHandle handle(font);
    ASSERT_NE(handle.GetFont(), nullptr);
    const LOGFONTA made = Describe(handle);
    EXPECT_STREQ(made.lfFaceName, "IPAゴシック");
    LOGFONTW wide = {};
    ::GetObjectW(handle.GetFont(), sizeof wide, &wide);
    EXPECT_STREQ(wide.lfFaceName, L"IPA\u30B4\u30B7\u30C3\u30AF");
    EXPECT_EQ(made.lfCharSet, SHIFTJIS_CHARSET);
    EXPECT_EQ(made.lfHeight, 12);
    EXPECT_EQ(made.lfWidth, 5);
    EXPECT_EQ(made.lfWeight, FW_BOLD);
    EXPECT_TRUE(made.lfItalic);
    EXPECT_TRUE(made.lfUnderline);
    EXPECT_FALSE(made.lfStrikeOut);
    EXPECT_EQ(made.lfQuality, NONANTIALIASED_QUALITY);
    // selected into the handle's own device context
    EXPECT_EQ(::GetCurrentObject(handle.GetDC(), OBJ_FONT), handle.GetFont());
}

TEST(FontTest, MissingFaceFallsBackToTheFirstShiftJisTrueTypeFace)
{
    const std::string first = FirstShiftJisTrueTypeFace();
    ASSERT_FALSE(first.empty()) << "no Japanese TrueType font installed";
    for (const char* missing : {"No Such Face", "ＭＳ ゴシック", ""}) {
        CFont font;
        font.faceName = missing;
        font.height = 12;
        const CFontHandle handle(font);
        ASSERT_NE(handle.GetFont(), nullptr) << missing;
        const LOGFONTA made = Describe(handle);
        EXPECT_EQ(std::string(made.lfFaceName), first) << missing;
        EXPECT_EQ(made.lfCharSet, SHIFTJIS_CHARSET) << missing;
        EXPECT_EQ(made.lfHeight, 12) << missing;
        char selected[LF_FACESIZE] = {};
        ::GetTextFaceA(handle.GetDC(), LF_FACESIZE, selected);
        EXPECT_EQ(std::string(selected), first) << missing;
    }
}

TEST(FontTest, HandleReleasesItsDeviceContextAndFont)
{
    HDC dc = nullptr;
    HFONT gdiFont = nullptr;
    {
        const CFontHandle handle{CFont{}};
        dc = handle.GetDC();
        gdiFont = handle.GetFont();
        ASSERT_NE(dc, nullptr);
        EXPECT_EQ(::GetObjectType(gdiFont), static_cast<DWORD>(OBJ_FONT));
        EXPECT_EQ(::GetObjectType(dc), static_cast<DWORD>(OBJ_MEMDC));
    }
    EXPECT_EQ(::GetObjectType(gdiFont), 0u);
    EXPECT_EQ(::GetObjectType(dc), 0u);
}

}  // namespace
}  // namespace Kiln
