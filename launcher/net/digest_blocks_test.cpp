#include "launcher/net/digest_blocks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "launcher/net/md5.h"
#include "launcher/net/sha1.h"

namespace clx {
namespace {

template <class Hash>
class BlockHashTest : public ::testing::Test {};

using Hashes = ::testing::Types<md5, sha1>;
TYPED_TEST_SUITE(BlockHashTest, Hashes);

TYPED_TEST(BlockHashTest, PiecesOfAnySizeGiveTheSameDigest)
{
    std::string data;
    for (int i = 0; i < 1000; ++i)
        data += static_cast<char>(i * 13 + 7);
    const auto whole = TypeParam().update(data).digest();
    for (size_t piece : {1u, 3u, 55u, 56u, 63u, 64u, 65u, 128u, 999u}) {
        TypeParam hash;
        for (size_t i = 0; i < data.size(); i += piece)
            hash.update(data.data() + i, std::min(piece, data.size() - i));
        EXPECT_EQ(hash.digest(), whole) << piece;
    }
}

TYPED_TEST(BlockHashTest, DigestCanBeTakenMidwayAndResetStartsOver)
{
    const std::string first(70, 'x'), second = "and the rest";
    TypeParam hash;
    hash.update(first);
    EXPECT_EQ(hash.hex(), TypeParam().update(first).hex());
    hash.update(second);
    EXPECT_EQ(hash.hex(), TypeParam().update(first + second).hex());
    hash.reset();
    EXPECT_EQ(hash.hex(), TypeParam().hex());
    EXPECT_EQ(hash.hex().size(), 2 * hash.digest().size());
}

TEST(HexStringTest, WritesLowerCaseTwoDigitsPerByte)
{
    EXPECT_EQ(hex_string(std::array<uint8_t, 4>{0x00, 0x0F, 0xA0, 0xFF}), "000fa0ff");
}

}  // namespace
}  // namespace clx
