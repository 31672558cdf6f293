#include "kiln/crypt/random_sfmt.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "kiln/crypt/sfmt_vectors.h"

namespace Kiln {
namespace {

using TestVectors::kSfmtOutputs;
using TestVectors::kSfmtSeeds;
using TestVectors::ReadSfmtOutputs;

TEST(RandomSfmtTest, MatchesTheReferenceGeneratorForEverySeed)
{
    for (const uint32_t seed : kSfmtSeeds) {
        SCOPED_TRACE(seed);
        const std::vector<uint32_t> expected = ReadSfmtOutputs(seed);
        ASSERT_EQ(expected.size(), kSfmtOutputs) << "vector file for seed " << seed << " under " << KILN_SFMT_VECTORS;
        CRandom_SFMT random;
        random.Init(seed);
        for (size_t i = 0; i < expected.size(); ++i)
            ASSERT_EQ(random.Next(), expected[i]) << "output " << i;
    }
}

TEST(RandomSfmtTest, InitRestartsTheSequence)
{
    const std::vector<uint32_t> expected = ReadSfmtOutputs(1234);
    ASSERT_GE(expected.size(), 700u);
    CRandom_SFMT random;
    random.Init(1);
    for (int i = 0; i < 700; ++i)
        random.Next();  // midway through the second block
    random.Init(1234);
    EXPECT_EQ(random.Next(), expected[0]);
    EXPECT_EQ(random.Next(), 1564997079u);
}

TEST(RandomSfmtTest, HeapObjectsKeepTheStateAligned)
{
    // The state is 16-byte aligned for the vector form of the recursion. A 32-bit heap
    // promises 8 bytes only: blocks of assorted sizes in between move the objects around it.
    const uint32_t first = ReadSfmtOutputs(4321).at(0);
    std::vector<std::unique_ptr<char[]>> between;
    std::vector<std::unique_ptr<CRandom_SFMT>> objects;
    for (size_t i = 0; i < 64; ++i) {
        between.push_back(std::make_unique<char[]>(8 + 8 * (i % 7)));
        objects.push_back(std::make_unique<CRandom_SFMT>());
        EXPECT_EQ(reinterpret_cast<uintptr_t>(objects.back().get()) % 16, 0u) << i;
        objects.back()->Init(4321);
        EXPECT_EQ(objects.back()->Next(), first) << i;
    }
    EXPECT_GE(alignof(CRandom_SFMT), 16u);
}

// Both forms of the recursion, block by block, against the reference outputs.
void CheckRegeneration(void (*regenerate)(uint32_t*))
{
    for (const uint32_t seed : kSfmtSeeds) {
        SCOPED_TRACE(seed);
        const std::vector<uint32_t> expected = ReadSfmtOutputs(seed);
        ASSERT_EQ(expected.size(), kSfmtOutputs);
        alignas(16) uint32_t state[CRandom_SFMT::kStateWords];
        Sfmt::InitState(state, seed);
        for (size_t i = 0; i < expected.size(); ++i) {
            if (i % CRandom_SFMT::kStateWords == 0)
                regenerate(state);
            ASSERT_EQ(state[i % CRandom_SFMT::kStateWords], expected[i]) << "output " << i;
        }
    }
}

TEST(RandomSfmtTest, PortableRecursionMatchesTheReference)
{
    CheckRegeneration(Sfmt::RegeneratePortable);
}

#if defined(__SSE2__)
TEST(RandomSfmtTest, Sse2RecursionMatchesTheReference)
{
    CheckRegeneration(Sfmt::RegenerateSse2);
}
#endif

TEST(RandomSfmtTest, CertifiedStateHasOddParityAndKeepsTheSeedBeyondBitZero)
{
    for (const uint32_t seed : kSfmtSeeds) {
        uint32_t state[CRandom_SFMT::kStateWords];
        Sfmt::InitState(state, seed);
        uint32_t inner = (state[0] & 1u) ^ (state[3] & 0x13C9E684u);
        inner ^= inner >> 16;
        inner ^= inner >> 8;
        inner ^= inner >> 4;
        inner ^= inner >> 2;
        inner ^= inner >> 1;
        EXPECT_EQ(inner & 1u, 1u) << seed;  // certified states always have odd parity
        EXPECT_EQ(state[0] & ~1u, seed & ~1u) << seed;
    }
    // Of the vector seeds, 1234 and 0xFFFFFFFF start with even parity and get bit 0 flipped.
    uint32_t state[CRandom_SFMT::kStateWords];
    Sfmt::InitState(state, 1234);
    EXPECT_EQ(state[0], 1235u);
    Sfmt::InitState(state, 0xFFFFFFFFu);
    EXPECT_EQ(state[0], 0xFFFFFFFEu);
    Sfmt::InitState(state, 1);
    EXPECT_EQ(state[0], 1u);
}

}  // namespace
}  // namespace Kiln
