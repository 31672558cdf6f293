#include "kiln/crypt/seal_string.h"

#include <gtest/gtest.h>

#include <string>

namespace Kiln {
namespace {

// A key equal to the plain text makes the stream seed CRC ^ CRC = 0, so these were computed
// from the reference generator's outputs for seed 0 with Python's zlib.crc32 and base64.
TEST(SealStringTest, SealsToTheKnownText)
{
    EXPECT_EQ(SealString("secret", "secret"), "5eiiXCtv8VSoww==");
    const std::string shiftJis = "\x83\x51\x81\x5Boauth token 1234567890";
    EXPECT_EQ(SealString(shiftJis, shiftJis), "46FocdtbE32i1tvVNwXl1lCiVWl66lUKZ0tfKN4Q");
    EXPECT_EQ(UnsealString("secret", "5eiiXCtv8VSoww=="), "secret");
}

TEST(SealStringTest, RoundTripsBinaryAndLongText)
{
    const std::string key = "consumer key";
    std::string binary;
    for (int i = 0; i < 3000; ++i)
        binary += static_cast<char>(i * 31);
    for (const std::string& plain : {std::string("a"), std::string("\0\0\r\n", 4), binary}) {
        const std::string sealed = SealString(key, plain);
        ASSERT_FALSE(sealed.empty());
        EXPECT_EQ(UnsealString(key, sealed), plain);
    }
}

TEST(SealStringTest, WrongKeyGivesNothing)
{
    const std::string sealed = SealString("right key", "access token");
    EXPECT_EQ(UnsealString("right key", sealed), "access token");
    EXPECT_EQ(UnsealString("wrong key", sealed), "");
    EXPECT_EQ(UnsealString("", sealed), "");
}

TEST(SealStringTest, EmptyPlainSealsToFourZeroBytesAndUnsealsToNothing)
{
    EXPECT_EQ(SealString("any key", ""), "AAAAAA==");
    EXPECT_EQ(UnsealString("any key", "AAAAAA=="), "");
}

TEST(SealStringTest, DamagedOrForeignTextGivesNothing)
{
    const std::string sealed = SealString("key", "a longer token text");
    for (size_t i = 0; i < sealed.size(); ++i) {
        std::string damaged = sealed;
        damaged[i] = damaged[i] == 'A' ? 'B' : 'A';
        EXPECT_EQ(UnsealString("key", damaged), "") << i;
    }
    EXPECT_EQ(UnsealString("key", sealed.substr(0, sealed.size() - 4)), "");
    EXPECT_EQ(UnsealString("key", sealed + "\n"), "");
    EXPECT_EQ(UnsealString("key", ""), "");
    EXPECT_EQ(UnsealString("key", "AAAA"), "");
    EXPECT_EQ(UnsealString("key", "plain text, not sealed"), "");
    EXPECT_EQ(UnsealString("key", "\x83\x51\x81\x5B"), "");
}

}  // namespace
}  // namespace Kiln
