#include "kiln/input/input_names.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace Kiln {
namespace {

// The published key list, verbatim: every code it does not name has the empty name.
constexpr const char* kKeyListing = R"list(0x01 "ESC", 0x02 "1", 0x03 "2", 0x04 "3", 0x05 "4", 0x06 "5", 0x07 "6", 0x08 "7", 0x09 "8", 0x0A "9", 0x0B "0", 0x0C "-", 0x0D "=", 0x0E "BS", 0x0F "Tab", 0x10 "Q", 0x11 "W", 0x12 "E", 0x13 "R", 0x14 "T", 0x15 "Y", 0x16 "U", 0x17 "I", 0x18 "O", 0x19 "P", 0x1A "[", 0x1B "]", 0x1C "Return", 0x1D "Ctrl(Left)", 0x1E "A", 0x1F "S", 0x20 "D", 0x21 "F", 0x22 "G", 0x23 "H", 0x24 "J", 0x25 "K", 0x26 "L", 0x27 ";", 0x28 ":", 0x29 "]", 0x2A "Shift(Left)", 0x2B "\", 0x2C "Z", 0x2D "X", 0x2E "C", 0x2F "V", 0x30 "B", 0x31 "N", 0x32 "M", 0x33 ",", 0x34 ".", 0x35 "/", 0x36 "Shift(Right)", 0x37 "*", 0x38 "Alt(Left)", 0x39 "Space", 0x3B "F1", 0x3C "F2", 0x3D "F3", 0x3E "F4", 0x3F "F5", 0x40 "F6", 0x41 "F7", 0x42 "F8", 0x43 "F9", 0x44 "F10", 0x45 "NumLock", 0x46 "Scroll", 0x47 "7(Num)", 0x48 "8(Num)", 0x49 "9(Num)", 0x4A "-(Num)", 0x4B "4(Num)", 0x4C "5(Num)", 0x4D "6(Num)", 0x4E "+", 0x4F "1(Num)", 0x50 "2(Num)", 0x51 "3(Num)", 0x52 "0(Num)", 0x53 ".(Num)", 0x57 "F11", 0x58 "F12", 0x64 "F13", 0x65 "F14", 0x66 "F15", 0x79 "変換", 0x7B "無変換", 0x7D "\", 0x8D "=(Num)", 0x90 "^", 0x91 "@", 0x92 ":", 0x93 "_", 0x95 "Stop", 0x9C "Enter(Num)", 0x9D "Ctrl(Right)", 0xB3 ".", 0xB5 "/", 0xB7 "PrnSc", 0xB8 "Alt(Right)", 0xC5 "Pause", 0xC7 "Home", 0xC8 "↑", 0xC9 "PageUP", 0xCB "←", 0xCD "→", 0xCF "END", 0xD0 "↓", 0xD1 "PageDN", 0xD2 "Insert", 0xD3 "Delete", 0xDB "Windows(Left)", 0xDC "Windows(Right)", 0xDD "Menu")list";

constexpr const char* kJoystickListing = R"list(0x00 "↑", 0x01 "↓", 0x02 "←", 0x03 "→", 0x04 "ZDEC", 0x05 "ZINC", 0x06 "↑(R)", 0x07 "↓(R)", 0x08 "←(R)", 0x09 "→(R)", 0x0A "ZDEC(R)", 0x0B "ZINC(R)", 0x0C "↑(POV)", 0x0D "↓(POV)", 0x0E "←(POV)", 0x0F "→(POV)", 0x10 "1", 0x11 "2", 0x12 "3", 0x13 "4", 0x14 "5", 0x15 "6", 0x16 "7", 0x17 "8", 0x18 "9", 0x19 "10", 0x1A "11", 0x1B "12", 0x1C "13", 0x1D "14", 0x1E "15", 0x1F "16")list";

// Entries of the form 0xHH "name", separated by ", ".
std::map<uint32_t, std::string> ReadListing(const std::string& listing)
{
    std::map<uint32_t, std::string> names;
    size_t pos = 0;
    while ((pos = listing.find("0x", pos)) != std::string::npos) {
        const uint32_t code = static_cast<uint32_t>(std::stoul(listing.substr(pos + 2, 2), nullptr, 16));
        const size_t open = listing.find('"', pos);
        const size_t close = listing.find('"', open + 1);
        EXPECT_EQ(open, pos + 5) << "malformed entry at " << pos;
        names[code] = listing.substr(open + 1, close - open - 1);
        pos = close + 1;
    }
    return names;
}

TEST(InputNamesTest, EveryScanCodeHasItsListedNameAndNoOtherIsNamed)
{
    const auto listed = ReadListing(kKeyListing);
    ASSERT_EQ(listed.size(), 116u);
    for (uint32_t code = 0; code < 256; ++code) {
        const auto it = listed.find(code);
        EXPECT_EQ(KeyName(code), it == listed.end() ? std::string() : it->second) << "scan code " << code;
    }
    EXPECT_STREQ(KeyName(0x00), "");
    EXPECT_STREQ(KeyName(0x3A), "");  // Caps Lock can never be assigned
    EXPECT_STREQ(KeyName(256), "");
    EXPECT_STREQ(KeyName(0xFFFFFFFF), "");
}

TEST(InputNamesTest, SomeKeysShareTheTextOfAnother)
{
    EXPECT_STREQ(KeyName(0x29), KeyName(0x1B));
    EXPECT_STREQ(KeyName(0x7D), KeyName(0x2B));
    EXPECT_STREQ(KeyName(0xB3), KeyName(0x34));
    EXPECT_STREQ(KeyName(0xB5), KeyName(0x35));
    EXPECT_STREQ(KeyName(0x92), KeyName(0x28));
    EXPECT_STREQ(KeyName(0x2B), "\\");
}

TEST(InputNamesTest, DoubleByteNamesAreShiftJis)
{
    EXPECT_STREQ(KeyName(0xC8), "\x81\xAA");
    EXPECT_STREQ(KeyName(0xD0), "\x81\xAB");
    EXPECT_STREQ(KeyName(0xCB), "\x81\xA9");
    EXPECT_STREQ(KeyName(0xCD), "\x81\xA8");
    EXPECT_STREQ(KeyName(0x79), "\x95\xCF\x8A\xB7");
    EXPECT_STREQ(KeyName(0x7B), "\x96\xB3\x95\xCF\x8A\xB7");
    EXPECT_STREQ(JoystickInputName(0x00), "\x81\xAA");
    EXPECT_STREQ(JoystickInputName(0x07), "\x81\xAB(R)");
    EXPECT_STREQ(JoystickInputName(0x0E), "\x81\xA9(POV)");
    EXPECT_STREQ(JoystickInputName(0x03), "\x81\xA8");
}

TEST(InputNamesTest, EveryJoystickInputHasItsListedName)
{
    const auto listed = ReadListing(kJoystickListing);
    ASSERT_EQ(listed.size(), 32u);
    for (uint32_t code = 0; code < 32; ++code)
        EXPECT_EQ(JoystickInputName(code), listed.at(code)) << "joystick input " << code;
    EXPECT_STREQ(JoystickInputName(0x20), "");
    EXPECT_STREQ(JoystickInputName(0xFFFFFFFF), "");
}

}  // namespace
}  // namespace Kiln
