#include "kiln/crypt/crypt.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "kiln/base/little_endian.h"
#include "kiln/crypt/sfmt_vectors.h"

namespace Kiln {
namespace {

// The key table for seed 1234 is the first 128 reference outputs.
class KeyTableTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        outputs_ = TestVectors::ReadSfmtOutputs(1234);
        ASSERT_GE(outputs_.size(), 128u) << "vectors under " << KILN_SFMT_VECTORS;
        crypt_.GenerateKeyTable(1234);
    }

    uint32_t Entry(int i) const { return outputs_[static_cast<size_t>(i)]; }

    CCrypt crypt_;
    std::vector<uint32_t> outputs_;
};

TEST_F(KeyTableTest, WholeWordsUseConsecutiveEntriesLittleEndian)
{
    EXPECT_EQ(crypt_.GetKeyTableSize(), 128);
    uint8_t buffer[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    crypt_.XorWithKeyTable(buffer, 8);
    EXPECT_EQ(GetLE32(buffer), 0x04030201u ^ Entry(0));
    EXPECT_EQ(GetLE32(buffer + 4), 0x08070605u ^ Entry(1));
    // the index carried over: the next word uses entry 2
    uint8_t next[4] = {};
    crypt_.XorWithKeyTable(next, 4);
    EXPECT_EQ(GetLE32(next), Entry(2));
}

TEST_F(KeyTableTest, IndexWrapsAndTailBytesDoNotAdvance)
{
    crypt_.SetIndex(127);
    uint8_t buffer[6] = {};
    crypt_.XorWithKeyTable(buffer, 6);
    EXPECT_EQ(GetLE32(buffer), Entry(127));
    EXPECT_EQ(buffer[4], static_cast<uint8_t>(Entry(0)));
    EXPECT_EQ(buffer[5], static_cast<uint8_t>(Entry(0) >> 8));
    // still at entry 0
    uint8_t word[4] = {};
    crypt_.XorWithKeyTable(word, 4);
    EXPECT_EQ(GetLE32(word), Entry(0));
}

TEST_F(KeyTableTest, SetIndexTakesTheIndexModulo128)
{
    uint8_t word[4] = {};
    crypt_.SetIndex(130);
    crypt_.XorWithKeyTable(word, 4);
    EXPECT_EQ(GetLE32(word), Entry(2));

    // negative indexes land inside the table too
    std::memset(word, 0, sizeof word);
    crypt_.SetIndex(-1);
    crypt_.XorWithKeyTable(word, 4);
    EXPECT_EQ(GetLE32(word), Entry(127));
    std::memset(word, 0, sizeof word);
    crypt_.SetIndex(-129);
    crypt_.XorWithKeyTable(word, 4);
    EXPECT_EQ(GetLE32(word), Entry(127));
}

TEST_F(KeyTableTest, UnalignedBuffersAndPiecesGiveTheSameResult)
{
    std::vector<uint8_t> whole(1031), pieces(1032);
    for (size_t i = 0; i < whole.size(); ++i)
        whole[i] = pieces[i + 1] = static_cast<uint8_t>(i * 7);
    crypt_.XorWithKeyTable(whole.data(), static_cast<unsigned>(whole.size()));

    CCrypt other;
    other.GenerateKeyTable(1234);
    uint8_t* unaligned = pieces.data() + 1;
    other.XorWithKeyTable(unaligned, 400);
    other.XorWithKeyTable(unaligned + 400, 631);
    EXPECT_EQ(std::memcmp(whole.data(), unaligned, whole.size()), 0);
}

TEST(CryptTest, FreshTableIsAllZeros)
{
    CCrypt crypt;
    uint8_t buffer[5] = {9, 8, 7, 6, 5};
    crypt.XorWithKeyTable(buffer, 5);
    EXPECT_EQ(std::vector<uint8_t>(buffer, buffer + 5), (std::vector<uint8_t>{9, 8, 7, 6, 5}));
}

TEST(CryptTest, XorStreamUsesTheLowByteOfOneOutputPerByte)
{
    const std::vector<uint32_t> outputs = TestVectors::ReadSfmtOutputs(1234);
    ASSERT_GE(outputs.size(), 3u);
    CCrypt crypt;
    uint8_t buffer[3] = {0x00, 0xFF, 0x5A};
    crypt.XorStream(buffer, 3, 1234);
    EXPECT_EQ(buffer[0], static_cast<uint8_t>(outputs[0]));
    EXPECT_EQ(buffer[1], static_cast<uint8_t>(0xFF ^ outputs[1]));
    EXPECT_EQ(buffer[2], static_cast<uint8_t>(0x5A ^ outputs[2]));

    // Each call reseeds: the same call again restores the data.
    crypt.XorStream(buffer, 3, 1234);
    EXPECT_EQ(buffer[0], 0x00);
    EXPECT_EQ(buffer[1], 0xFF);
    EXPECT_EQ(buffer[2], 0x5A);
}

TEST(CryptTest, XorStreamCrossesGeneratorBlocks)
{
    const std::vector<uint32_t> outputs = TestVectors::ReadSfmtOutputs(4294967295u);
    ASSERT_EQ(outputs.size(), TestVectors::kSfmtOutputs);
    std::vector<uint8_t> buffer(outputs.size(), 0);
    CCrypt crypt;
    crypt.XorStream(buffer.data(), static_cast<unsigned>(buffer.size()), 4294967295u);
    for (size_t i = 0; i < outputs.size(); ++i)
        ASSERT_EQ(buffer[i], static_cast<uint8_t>(outputs[i])) << i;
}

}  // namespace
}  // namespace Kiln
