#include "kiln/input/input_code.h"

#include <gtest/gtest.h>

#include <string>

namespace Kiln {
namespace {

std::optional<InputCode> Parse(const std::string& text)
{
    return ParseInputCode(text);
}

TEST(InputCodeTest, FormatsDecimalCommaAndTwoUpperCaseHexDigits)
{
    EXPECT_EQ(FormatInputCode(0, 0xC8), "0,0xC8");
    EXPECT_EQ(FormatInputCode(2, 0x10), "2,0x10");
    EXPECT_EQ(FormatInputCode(1, 0x0), "1,0x00");
    EXPECT_EQ(FormatInputCode(0, 0xa), "0,0x0A");
    // Codes that do not fit two digits are written in full, so they read back unchanged.
    EXPECT_EQ(FormatInputCode(0, 0x1FF), "0,0x1FF");
    EXPECT_EQ(FormatInputCode(-1, 0xFFFFFFFF), "-1,0xFFFFFFFF");
}

TEST(InputCodeTest, EveryWrittenCodeReadsBack)
{
    for (int32_t device = 0; device <= 4; ++device) {
        for (uint32_t code = 0; code <= 0xFF; ++code) {
            const auto parsed = Parse(FormatInputCode(device, code));
            ASSERT_TRUE(parsed) << device << "," << code;
            EXPECT_EQ(*parsed, (InputCode{device, code}));
        }
    }
}

TEST(InputCodeTest, ReadsTheStoredForms)
{
    EXPECT_EQ(Parse("0,0xC8"), (InputCode{0, 0xC8}));
    EXPECT_EQ(Parse("1,0x1A"), (InputCode{1, 0x1A}));
    EXPECT_EQ(Parse("4,0x1F"), (InputCode{4, 0x1F}));
    // Prefix optional, either case, lower-case digits.
    EXPECT_EQ(Parse("1,1A"), (InputCode{1, 0x1A}));
    EXPECT_EQ(Parse("1,0X1a"), (InputCode{1, 0x1A}));
    EXPECT_EQ(Parse("3,c8"), (InputCode{3, 0xC8}));
    EXPECT_EQ(Parse("+2,0x10"), (InputCode{2, 0x10}));
    EXPECT_EQ(Parse("007,0x0010"), (InputCode{7, 0x10}));
}

TEST(InputCodeTest, SkipsBlanksBeforeEachItemAndIgnoresTrailingText)
{
    EXPECT_EQ(Parse("  1,0x10"), (InputCode{1, 0x10}));
    EXPECT_EQ(Parse("1 ,0x10"), (InputCode{1, 0x10}));
    EXPECT_EQ(Parse("1,  0x10"), (InputCode{1, 0x10}));
    EXPECT_EQ(Parse("\t1\t,\t0x10\r\n"), (InputCode{1, 0x10}));
    EXPECT_EQ(Parse(" 1 , 0x10 "), (InputCode{1, 0x10}));
    EXPECT_EQ(Parse("1,0x10 ; button 1"), (InputCode{1, 0x10}));
    EXPECT_EQ(Parse("1,0x10,2,0x11"), (InputCode{1, 0x10}));
    EXPECT_EQ(Parse("0,0x2Czzz"), (InputCode{0, 0x2C}));
    // A "0x" without digits is the number 0 followed by text.
    EXPECT_EQ(Parse("1,0xZ"), (InputCode{1, 0}));
    EXPECT_EQ(Parse("1,0x"), (InputCode{1, 0}));
}

TEST(InputCodeTest, AnySingleCharacterSeparates)
{
    EXPECT_EQ(Parse("1;0x10"), (InputCode{1, 0x10}));
    EXPECT_EQ(Parse("1.0x10"), (InputCode{1, 0x10}));
    EXPECT_EQ(Parse("1x0x10"), (InputCode{1, 0x10}));
    EXPECT_EQ(Parse("1\x81" "0x10"), (InputCode{1, 0x10}));
    // The separator is one character: a second one is where the code should be.
    EXPECT_FALSE(Parse("1,,0x10"));
    EXPECT_FALSE(Parse("1, ,0x10"));
    // A digit right after the number belongs to it, so nothing is left to separate.
    EXPECT_FALSE(Parse("12"));
    // With a blank between, the first digit after the blank is the separator.
    EXPECT_EQ(Parse("1 20"), (InputCode{1, 0}));
    EXPECT_FALSE(Parse("1 0x10"));  // separator '0', then "x10" is no number
}

TEST(InputCodeTest, KeepsCodesThatParseWhateverTheirRange)
{
    // Out-of-range devices and codes parse; showing and using them is the caller's check.
    EXPECT_EQ(Parse("0,0x1FF"), (InputCode{0, 0x1FF}));
    EXPECT_EQ(Parse("9,0x20"), (InputCode{9, 0x20}));
    EXPECT_EQ(Parse("-1,0x00"), (InputCode{-1, 0}));
    EXPECT_EQ(Parse("2147483647,0xFFFFFFFF"), (InputCode{2147483647, 0xFFFFFFFF}));
    EXPECT_EQ(Parse("-2147483648,0x0"), (InputCode{INT32_MIN, 0}));
}

TEST(InputCodeTest, RejectsNumbersThatDoNotFit)
{
    EXPECT_FALSE(Parse("2147483648,0x10"));
    EXPECT_FALSE(Parse("-2147483649,0x10"));
    EXPECT_FALSE(Parse("99999999999999999999,0x10"));
    EXPECT_FALSE(Parse("1,0x100000000"));
    EXPECT_FALSE(Parse("1,0xFFFFFFFFFFFFFFFFFF"));
    // Leading zeros do not count towards the size.
    EXPECT_EQ(Parse("1,0x00000000000000FF"), (InputCode{1, 0xFF}));
}

TEST(InputCodeTest, RejectsTextsWithoutBothNumbers)
{
    for (const char* text : {"", " ", "abc", ",0x10", "x,0x10", "1", "1,", "1, ", "1,g", "1,-0x10",
                             "1,+10", "-,0x10", "+ 1,0x10", "\xE3\x81\x82,0x10", "1,\xE3\x81\x82"}) {
        EXPECT_FALSE(Parse(text)) << '"' << text << '"';
    }
}

TEST(InputCodeTest, TextEndsAtTheFirstNul)
{
    EXPECT_FALSE(ParseInputCode(std::string_view("1\0,0x10", 7)));
    EXPECT_FALSE(ParseInputCode(std::string_view("1,\0" "0x10", 7)));
    EXPECT_EQ(ParseInputCode(std::string_view("1,0x1\0" "5", 7)), (InputCode{1, 1}));
}

}  // namespace
}  // namespace Kiln
