#include "kiln/support/font.h"

#include <gtest/gtest.h>

#include <string>

namespace Kiln {
namespace {

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

// The machine's Japanese TrueType fonts are VL Gothic and the IPA fonts; Wine lists VL Gothic's
// "VL ゴシック" first among the Shift-JIS TrueType families.
TEST(FontTest, MissingFaceFallsBackToTheFirstShiftJisTrueTypeFace)
{
    const std::string firstFace = "VL \x83\x53\x83\x56\x83\x62\x83\x4E";
    const std::string cutInsideACharacter = std::string(30, 'x') + "\x83\x53";  // byte 31 is a lead byte
    for (const std::string& missing : {std::string("No Such Face"), std::string("ＭＳ ゴシック"), std::string(),
                                       cutInsideACharacter, std::string(40, 'y')}) {
        CFont font;
        font.faceName = missing;
        font.height = 12;
        const CFontHandle handle(font);
        ASSERT_NE(handle.GetFont(), nullptr) << missing;
        const LOGFONTA made = Describe(handle);
        EXPECT_EQ(std::string(made.lfFaceName), firstFace) << missing;
        EXPECT_EQ(made.lfCharSet, SHIFTJIS_CHARSET) << missing;
        EXPECT_EQ(made.lfHeight, 12) << missing;
        char selected[LF_FACESIZE] = {};
        ::GetTextFaceA(handle.GetDC(), LF_FACESIZE, selected);
        EXPECT_EQ(std::string(selected), firstFace) << missing;
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
