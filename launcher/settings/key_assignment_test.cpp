#include "launcher/settings/key_assignment.h"

#include <gtest/gtest.h>

#include "kiln/input/input_code.h"

namespace Launcher {
namespace {

void ExpectAssignment(std::string_view text, int device, uint32_t code)
{
    const auto parsed = Kiln::ParseInputCode(text);
    ASSERT_TRUE(parsed) << text;
    EXPECT_EQ(parsed->device, device) << text;
    EXPECT_EQ(parsed->code, code) << text;
}

TEST(KeyAssignmentTest, ReadsWhatTheLauncherWrites)
{
    ExpectAssignment("1,0x1A", 1, 0x1A);
    ExpectAssignment("0,0xC8", 0, 0xC8);
    ExpectAssignment("4,0x00", 4, 0);
    for (int device = 0; device <= 4; ++device) {
        for (uint32_t code : {0u, 0x1Fu, 0xFFu})
            ExpectAssignment(Kiln::FormatInputCode(device, code), device, code);
    }
}

TEST(KeyAssignmentTest, AcceptsLooseButCompleteTexts)
{
    ExpectAssignment("2,1b", 2, 0x1B);             // no prefix
    ExpectAssignment("2,0X1b", 2, 0x1B);           // either case
    ExpectAssignment("  3 ;\t0x10", 3, 0x10);      // blanks before each item, any separator
    ExpectAssignment("1,0x10 and more", 1, 0x10);  // trailing text ignored
    ExpectAssignment("1,0x10zz", 1, 0x10);
    ExpectAssignment("1 23", 1, 0x3);              // the separator may even be a digit
    ExpectAssignment("-1,0x10", -1, 0x10);         // a signed device number still parses
}

TEST(KeyAssignmentTest, RejectsTextsWithoutBothNumbers)
{
    for (const char* text : {"", "abc", "1", "12", "1,", "1, ", ",0x10", "1,,0x10", "1,zz", "x1,0x10", "1,-5"})
        EXPECT_FALSE(Kiln::ParseInputCode(text)) << text;
    // numbers that do not fit are no assignment either
    EXPECT_FALSE(Kiln::ParseInputCode("99999999999,0x10"));
    EXPECT_FALSE(Kiln::ParseInputCode("1,0x123456789"));
}

TEST(KeyAssignmentTest, FormatsTwoUpperCaseDigits)
{
    EXPECT_EQ(Kiln::FormatInputCode(1, 0), "1,0x00");
    EXPECT_EQ(Kiln::FormatInputCode(0, 0xc8), "0,0xC8");
    EXPECT_EQ(Kiln::FormatInputCode(2, 0x1ab), "2,0x1AB");
}

TEST(KeyAssignmentTest, BuiltInDefaultsAreTheOwnJoystick)
{
    const char* firstPlayer[kButtonCount] = {"1,0x00", "1,0x01", "1,0x02", "1,0x03", "1,0x10", "1,0x11",
                                             "1,0x12", "1,0x13", "1,0x14", "1,0x15", "1,0x16", "1,0x17",
                                             "1,0x18", "1,0x19", "1,0x1A", "1,0x1B"};
    for (size_t button = 0; button < kButtonCount; ++button)
        EXPECT_EQ(DefaultKeyAssignment(1, button), firstPlayer[button]) << kButtonNames[button];
    EXPECT_EQ(DefaultKeyAssignment(4, 0), "4,0x00");
    EXPECT_EQ(DefaultKeyAssignment(3, 15), "3,0x1B");
}

TEST(KeyAssignmentTest, UnusableTextsGiveWayToTheDefault)
{
    EXPECT_EQ(UsableKeyAssignment("0,0x2C", 1, 4), "0,0x2C");
    EXPECT_EQ(UsableKeyAssignment(" 0;2c tail", 1, 4), " 0;2c tail");  // kept as written
    EXPECT_EQ(UsableKeyAssignment("abc", 2, 0), "2,0x00");
    EXPECT_EQ(UsableKeyAssignment("", 1, 4), "1,0x10");
}

TEST(KeyAssignmentTest, SectionsAndButtonNames)
{
    EXPECT_EQ(KeyConfigSection(1), "KeyConfig1");
    EXPECT_EQ(KeyConfigSection(4), "KeyConfig4");
    EXPECT_STREQ(kButtonNames[0], "UP");
    EXPECT_STREQ(kButtonNames[3], "RIGHT");
    EXPECT_STREQ(kButtonNames[4], "BTN1");
    EXPECT_STREQ(kButtonNames[15], "BTN12");
}

}  // namespace
}  // namespace Launcher
