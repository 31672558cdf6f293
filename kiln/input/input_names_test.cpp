#include "kiln/input/input_names.h"

#include <gtest/gtest.h>

namespace Kiln {
namespace {

struct NameCase {
    uint32_t code;
    const char* name;
};

// Chosen around the gaps of the key list (0x3A, 0x54-0x56, 0x59-0x63, 0x67-0x78, the ends) and
// its unusual names.
constexpr NameCase kKeyCases[] = {
    {0x00, ""},           {0x01, "ESC"},         {0x0B, "0"},          {0x0E, "BS"},
    {0x0F, "Tab"},        {0x1C, "Return"},      {0x1D, "Ctrl(Left)"}, {0x29, "]"},
    {0x2A, "Shift(Left)"}, {0x2B, "\\"},         {0x39, "Space"},      {0x3A, ""},
    {0x3B, "F1"},         {0x44, "F10"},         {0x46, "Scroll"},     {0x4A, "-(Num)"},
    {0x4E, "+"},          {0x53, ".(Num)"},      {0x54, ""},           {0x56, ""},
    {0x57, "F11"},        {0x58, "F12"},         {0x59, ""},           {0x63, ""},
    {0x64, "F13"},        {0x66, "F15"},         {0x67, ""},           {0x78, ""},
    {0x7A, ""},           {0x7C, ""},            {0x7D, "\\"},         {0x8D, "=(Num)"},
    {0x90, "^"},          {0x91, "@"},           {0x93, "_"},          {0x94, ""},
    {0x95, "Stop"},       {0x9C, "Enter(Num)"},  {0x9D, "Ctrl(Right)"}, {0xB3, "."},
    {0xB7, "PrnSc"},      {0xB8, "Alt(Right)"},  {0xC5, "Pause"},      {0xC7, "Home"},
    {0xC9, "PageUP"},     {0xCA, ""},            {0xCF, "END"},        {0xD1, "PageDN"},
    {0xD3, "Delete"},     {0xD4, ""},            {0xDB, "Windows(Left)"}, {0xDD, "Menu"},
    {0xDE, ""},           {0xFF, ""},            {0x100, ""},          {0xFFFFFFFF, ""},
};

TEST(InputNamesTest, ChosenScanCodesHaveTheirNames)
{
    for (const NameCase& c : kKeyCases)
        EXPECT_STREQ(KeyName(c.code), c.name) << "scan code " << c.code;
    // the key list names 116 of the 256 codes
    int named = 0;
    for (uint32_t code = 0; code < 256; ++code)
        named += KeyName(code)[0] != '\0';
    EXPECT_EQ(named, 116);
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

constexpr NameCase kJoystickCases[] = {
    {0x04, "ZDEC"},    {0x05, "ZINC"},    {0x0A, "ZDEC(R)"}, {0x0B, "ZINC(R)"}, {0x0F, "\x81\xA8(POV)"},
    {0x10, "1"},       {0x19, "10"},      {0x1F, "16"},      {0x20, ""},        {0xFFFFFFFF, ""},
};

TEST(InputNamesTest, ChosenJoystickInputsHaveTheirNames)
{
    for (const NameCase& c : kJoystickCases)
        EXPECT_STREQ(JoystickInputName(c.code), c.name) << "joystick input " << c.code;
}

}  // namespace
}  // namespace Kiln
