#include "kiln/support/face_name.h"

#include <gtest/gtest.h>

#include <string>

namespace Kiln {
namespace {

struct FaceCase {
    std::string name;
    std::string kept;
};

TEST(FaceNameTest, KeepsAtMostThirtyOneBytesAndSplitsNoDoubleByteCharacter)
{
    const std::string a29(29, 'a'), a30(30, 'a'), a31(31, 'a');
    const std::string go = "\x83\x53";  // katakana GO in Shift-JIS
    std::string sixteenWide;
    for (int i = 0; i < 16; ++i)
        sixteenWide += "\x82\x6C";  // full-width M
    const FaceCase cases[] = {
        {"", ""},
        {"Arial", "Arial"},
        {"IPA\x83\x53\x83\x56\x83\x62\x83\x4E", "IPA\x83\x53\x83\x56\x83\x62\x83\x4E"},
        {a31, a31},
        {a31 + "b", a31},
        {a29 + go, a29 + go},              // ends exactly at byte 31
        {a29 + go + "b", a29 + go},
        {a30 + go, a30},                   // byte 31 would be a lead byte alone
        {a30 + go + "b", a30},
        {sixteenWide, sixteenWide.substr(0, 30)},
        {"ab\x83", "ab"},                  // a lead byte without its trail byte
        {"\x83\x41\x83", "\x83\x41"},      // trail byte in A-Z range counts with its lead
        {std::string(32, '\xB1'), std::string(31, '\xB1')},  // half-width katakana: one byte each
        {std::string(32, '\xFD'), std::string(31, '\xFD')},  // past the last lead byte (0xFC)
        {std::string(30, 'a') + "\xFC\x40", a30},
        {std::string(30, 'a') + "\x80\x40", a30 + "\x80"},  // 0x80 leads nothing
    };
    for (const FaceCase& c : cases)
        EXPECT_EQ(FaceNameBytes(c.name), c.kept) << "name of " << c.name.size() << " bytes: " << c.name;
}

}  // namespace
}  // namespace Kiln
