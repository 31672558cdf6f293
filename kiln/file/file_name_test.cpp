#include "kiln/file/file_name.h"

#include <gtest/gtest.h>

#include "kiln/base/text.h"

namespace Kiln::FileName {
namespace {

constexpr char kRoot[] = "C:\\Game\\";

std::string Full(const std::string& name, const std::string& root = kRoot)
{
    return FullName(name, root, IsShiftJisLeadByte);
}

std::string Display(const std::string& name, const std::string& root = kRoot)
{
    return DisplayName(name, root, IsShiftJisLeadByte);
}

TEST(FileNameTest, RelativeNamesGoUnderTheRoot)
{
    EXPECT_EQ(Full("Data/Top.bmp"), "C:\\Game\\Data\\Top.bmp");
    EXPECT_EQ(Full("ab"), "C:\\Game\\ab");
    EXPECT_EQ(Display("Data/Top.bmp"), "Data\\Top.bmp");
}

TEST(FileNameTest, AbsoluteNamesAreUsedAsGiven)
{
    EXPECT_EQ(Full("C:/Other/x.png"), "C:\\Other\\x.png");
    EXPECT_EQ(Full("\\\\server/share"), "\\\\server\\share");
    EXPECT_EQ(Full("/top.bmp"), "\\top.bmp");
    // the display loses the root's length of bytes, then one backslash
    EXPECT_EQ(Display("C:/Other/x.png"), "x.png");
    EXPECT_EQ(Display("C:/Game/Data/a.bmp"), "Data\\a.bmp");
    EXPECT_EQ(Display("C:/x"), "");
}

TEST(FileNameTest, OneByteNamesAreLeftAlone)
{
    EXPECT_EQ(Full("a"), "a");
    EXPECT_EQ(Full("/"), "/");
    EXPECT_EQ(Full(""), "");
    EXPECT_EQ(Display("/"), "/");
}

TEST(FileNameTest, TrailBytesAreNeverTakenForSlashes)
{
    // ソ is 83 5C: its trail byte already is a backslash and stays part of the character.
    EXPECT_EQ(Full("\x83\x5C/a", ""), "\x83\x5C\\a");
    // a lead byte swallows the next byte, even a slash
    EXPECT_EQ(WithBackslashes("\x81/x/", IsShiftJisLeadByte), "\x81/x\\");
    // a trail byte in A-Z stays as it is
    EXPECT_EQ(Display("X\x83\x41/Y.bmp"), "X\x83\x41\\Y.bmp");
    EXPECT_EQ(AsciiLower(Display("X\x83\x41/Y.bmp")), "x\x83\x41\\y.bmp");
}

}  // namespace
}  // namespace Kiln::FileName
