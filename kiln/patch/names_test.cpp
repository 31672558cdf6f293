#include "kiln/patch/names.h"

#include <gtest/gtest.h>

namespace Kiln::Patch {
namespace {

TEST(PatchNamesTest, FoldedNamesMeetAsWindowsNamesDo)
{
    struct Case {
        const char* a;
        const char* b;
        bool same;
    };
    const Case cases[] = {
        {"Data/BGM.ogg", "data/bgm.OGG", true},
        {"\xc3\xa9t\xc3\xa9.txt", "\xc3\x89T\xc3\x89.TXT", true},             // été / ÉTÉ
        {"\xd0\xb4\xd0\xb0.dat", "\xd0\x94\xd0\x90.dat", true},               // да / ДА
        {"\xef\xbd\x81.txt", "\xef\xbc\xa1.txt", true},                       // full-width a / A
        {"\xe3\x81\x82.txt", "\xe3\x82\xa2.txt", false},                      // hiragana a / katakana a
        {"a.txt", "a.txt ", false},
        {"\xc3\xb7", "\xc3\x97", false},                                      // ÷ is no lower-case ×
    };
    for (const Case& c : cases)
        EXPECT_EQ(FoldedName(c.a) == FoldedName(c.b), c.same) << c.a << " / " << c.b;
}

TEST(PatchNamesTest, Utf8RoundTripsAndRejectsMalformedText)
{
    std::u16string wide;
    ASSERT_TRUE(Utf8ToUtf16("\xe3\x82\xbb\xe3\x83\xbc\xe3\x83\x96/\xf0\x9f\x8e\xae", wide));  // セーブ/🎮
    EXPECT_EQ(wide, u"\u30BB\u30FC\u30D6/\U0001F3AE");
    EXPECT_EQ(Utf16ToUtf8(wide), "\xe3\x82\xbb\xe3\x83\xbc\xe3\x83\x96/\xf0\x9f\x8e\xae");
    for (const char* bad : {"\xc0\xaf", "\xe3\x82", "\xed\xa0\x80", "\xf4\x90\x80\x80", "\x82\xa0"})
        EXPECT_FALSE(Utf8ToUtf16(bad, wide)) << bad;
}

TEST(PatchNamesTest, OnlyPlainRelativeNamesAreSafe)
{
    struct Case {
        const char* name;
        bool safe;
    };
    const Case cases[] = {
        {"Game.exe", true},
        {"data/sub/\xe3\x82\xbb.dat", true},
        {"", false},
        {"../Game.exe", false},
        {"data/../../x", false},
        {"/etc/passwd", false},
        {"C:/Windows/x.dll", false},
        {"data\\x", false},
        {"data//x", false},
        {"./x", false},
        {"x.", false},
        {"x ", false},
        {"a\nb", false},
        {"a?b", false},
        {"\xff", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsSafeRelativeName(c.name), c.safe) << c.name;
}

}  // namespace
}  // namespace Kiln::Patch
