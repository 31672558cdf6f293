#include "kiln/base/text.h"

#include <gtest/gtest.h>

namespace Kiln {
namespace {

TEST(TextTest, LiteralsAreShiftJis)
{
    // Everything the player reads depends on this compiler setting.
    EXPECT_EQ(std::string("ゲーム起動"), "\x83\x51\x81\x5B\x83\x80\x8B\x4E\x93\xAE");
    EXPECT_EQ(std::string("ソ表"), "\x83\x5C\x95\x5C");
}

TEST(TextTest, AsciiLowerChangesOnlyAsciiLetters)
{
    EXPECT_EQ(AsciiLower("YES"), "yes");
    EXPECT_EQ(AsciiLower("MiXeD-123_Z"), "mixed-123_z");
    EXPECT_EQ(AsciiLower(""), "");
    EXPECT_EQ(AsciiLower("\xC0\xDE"), "\xC0\xDE");  // single-byte katakana stay
}

TEST(TextTest, AsciiLowerStepsOverDoubleByteCharacters)
{
    // ア is 83 41: its trail byte is 'A' and must stay; the letters around it are lowered.
    EXPECT_EQ(AsciiLower("X\x83\x41Y"), "x\x83\x41y");
    // ソ (83 5C) then a real letter
    EXPECT_EQ(AsciiLower("\x83\x5CZ"), "\x83\x5Cz");
    // a lead byte at the very end is left as it is
    EXPECT_EQ(AsciiLower("A\x83"), "a\x83");
    // a lead byte from the E0-FC range
    EXPECT_EQ(AsciiLower("\xE0\x4D" "M"), "\xE0\x4D" "m");
}

TEST(TextTest, SwitchIsOnOnlyForExactlyYes)
{
    EXPECT_TRUE(IsSwitchOn("yes"));
    EXPECT_TRUE(IsSwitchOn("Yes"));
    EXPECT_TRUE(IsSwitchOn("YES"));
    EXPECT_FALSE(IsSwitchOn("yes foo"));
    EXPECT_FALSE(IsSwitchOn(" yes"));
    EXPECT_FALSE(IsSwitchOn(""));
    EXPECT_FALSE(IsSwitchOn("no"));
    EXPECT_FALSE(IsSwitchOn("1"));
}

TEST(TextTest, FormatTemplateFillsNumberedPlaceholders)
{
    EXPECT_EQ(FormatTemplate("%1%\\%2%", "C:\\Game\\", "Engine.dll"), "C:\\Game\\\\Engine.dll");
    EXPECT_EQ(FormatTemplate("BaseURL%1%", 12), "BaseURL12");
    EXPECT_EQ(FormatTemplate("%2%-%1%", "a", "b"), "b-a");
    EXPECT_EQ(FormatTemplate("[%1%]をダウンロード中....", "p.exe"), "[p.exe]をダウンロード中....");
    // an argument holding percent signs is taken literally
    EXPECT_EQ(FormatTemplate("%1%", "100%"), "100%");
}

TEST(TextTest, FormatTemplateWithWrongArgumentCountThrows)
{
    EXPECT_THROW(FormatTemplate("%1%\\%2%", "only one"), boost::io::format_error);
    EXPECT_THROW(FormatTemplate("%1%", "a", "b"), boost::io::format_error);
}

}  // namespace
}  // namespace Kiln
