#include "kiln/base/wide_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Kiln {
namespace {

TEST(WideTextTest, ShiftJisBytesBecomeTheirCodePoints)
{
    struct Case {
        std::string shiftJis;
        std::wstring wide;
    };
    const std::vector<Case> cases = {
        {"", L""},
        {"Launcher.exe", L"Launcher.exe"},
        {"\x95\x5C\x8E\xA6", L"\u8868\u793A"},  // 表示: the trail byte 5C stays inside its character
        {"C:\\\x95\x5C\\", L"C:\\\u8868\\"},
        {"\xB1\xB2", L"\uFF71\uFF72"},  // half-width katakana
        {"\x83\x54\x83\x93\x83\x76\x83\x8B\x83\x51\x81\x5B\x83\x80", L"\u30B5\u30F3\u30D7\u30EB\u30B2\u30FC\u30E0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WideFromShiftJis(c.shiftJis), c.wide) << c.shiftJis;
}

}  // namespace
}  // namespace Kiln
