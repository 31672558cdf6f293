#include "kiln/crypt/crc32.h"

#include <gtest/gtest.h>

#include <string>

namespace Kiln {
namespace {

TEST(CRC32Test, ComputesTheZipChecksum)
{
    CCRC32 crc;
    EXPECT_EQ(crc.Compute("123456789", 9), 0xCBF43926u);
    EXPECT_EQ(crc.Compute("", 0), 0u);
    EXPECT_EQ(crc.Compute(nullptr, 0), 0u);
    EXPECT_EQ(crc.Compute("The quick brown fox jumps over the lazy dog", 43), 0x414FA339u);
}

TEST(CRC32Test, ExtendsOverPieces)
{
    EXPECT_EQ(CCRC32::Extend(CCRC32::Extend(0, "12345", 5), "6789", 4), 0xCBF43926u);
}

TEST(CRC32Test, CheckComparesTheTrailingLittleEndianChecksum)
{
    CCRC32 crc;
    const std::string good = std::string("123456789") + "\x26\x39\xF4\xCB";
    EXPECT_TRUE(crc.Check(good.data(), static_cast<uint32_t>(good.size())));

    std::string flipped = good;
    flipped[3] ^= 1;
    EXPECT_FALSE(crc.Check(flipped.data(), static_cast<uint32_t>(flipped.size())));
    const std::string bigEndian = std::string("123456789") + "\xCB\xF4\x39\x26";
    EXPECT_FALSE(crc.Check(bigEndian.data(), static_cast<uint32_t>(bigEndian.size())));

    // Four bytes or fewer never check, even four zero bytes (the CRC of nothing is 0).
    EXPECT_FALSE(crc.Check("\0\0\0\0", 4));
    EXPECT_FALSE(crc.Check("", 0));
    // One byte of data: CRC("a") = 0xE8B7BE43
    EXPECT_TRUE(crc.Check("a\x43\xBE\xB7\xE8", 5));
}

}  // namespace
}  // namespace Kiln
