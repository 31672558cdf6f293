#include "kiln/patch/zstd_codec.h"

#include <gtest/gtest.h>

#include "tests/support/patch_folders.h"

namespace Kiln::Patch {
namespace {

Bytes ToBytes(const std::string& s)
{
    return Bytes(s.begin(), s.end());
}

// An old file of noise, changed as game updates change archives: a block rewritten, bytes
// inserted near the front so that everything after moves.
struct Versions {
    Bytes old;
    Bytes next;
};
Versions ArchiveUpdate(size_t size)
{
    std::string old = TestSupport::NoiseBytes(size, 7);
    std::string next = old;
    next.replace(size / 2, 4096, TestSupport::NoiseBytes(4096, 8));
    next.insert(100, "inserted bytes");
    return {ToBytes(old), ToBytes(next)};
}

TEST(PatchCodecTest, ChosenFormDecodesToTheNewContents)
{
    struct Case {
        const char* what;
        Bytes old;
        Bytes next;
        Method expected;
    };
    const Versions archive = ArchiveUpdate(1 << 20);
    const Case cases[] = {
        {"changed archive", archive.old, archive.next, Method::kDelta},
        {"new file", {}, archive.next, Method::kWhole},
        {"unrelated contents", ToBytes(TestSupport::NoiseBytes(5000, 1)), ToBytes(TestSupport::NoiseBytes(5000, 2)),
         Method::kWhole},
        {"empty new file", archive.old, {}, Method::kWhole},
    };
    for (const Case& c : cases) {
        const auto encoded = EncodeContents(c.old, c.next, 3);
        ASSERT_TRUE(encoded) << c.what;
        EXPECT_EQ(encoded->method, c.expected) << c.what;
        const auto decoded = DecodeContents(encoded->method, c.old, encoded->data, c.next.size());
        ASSERT_TRUE(decoded) << c.what;
        EXPECT_EQ(*decoded, c.next) << c.what;
    }
}

TEST(PatchCodecTest, DeltaOfAMovedArchiveIsAFractionOfIt)
{
    const Versions archive = ArchiveUpdate(4 << 20);
    const auto encoded = EncodeContents(archive.old, archive.next, 3);
    ASSERT_TRUE(encoded);
    // The new bytes are 4 KiB of noise and 14 inserted; everything else is found in the old file.
    EXPECT_LT(encoded->data.size(), 8000u);
}

TEST(PatchCodecTest, DecodeRefusesWhatDoesNotAddUp)
{
    const Versions archive = ArchiveUpdate(1 << 16);
    const auto delta = EncodeContents(archive.old, archive.next, 3);
    ASSERT_TRUE(delta);
    ASSERT_EQ(delta->method, Method::kDelta);
    Bytes otherOld = archive.old;
    otherOld[5000] ^= 1;
    Bytes truncated(delta->data.begin(), delta->data.end() - 1);
    Bytes flipped = delta->data;
    flipped[flipped.size() / 2] ^= 0x40;
    EXPECT_FALSE(DecodeContents(Method::kDelta, archive.old, delta->data, archive.next.size() + 1));
    EXPECT_FALSE(DecodeContents(Method::kDelta, otherOld, delta->data, archive.next.size()));  // checksum
    EXPECT_FALSE(DecodeContents(Method::kDelta, archive.old, truncated, archive.next.size()));
    EXPECT_FALSE(DecodeContents(Method::kDelta, archive.old, flipped, archive.next.size()));
    EXPECT_FALSE(DecodeContents(Method::kWhole, {}, delta->data, archive.next.size()));
    EXPECT_FALSE(DecodeContents(static_cast<Method>(9), archive.old, delta->data, archive.next.size()));
    EXPECT_FALSE(DecodeContents(Method::kWhole, {}, ToBytes("not zstd"), 8));
}

TEST(PatchCodecTest, WholeFramesDecodeInPiecesOnlyWhenEverythingAddsUp)
{
    const Bytes next = ArchiveUpdate(1 << 20).next;
    const auto whole = EncodeContents({}, next, 3);
    ASSERT_TRUE(whole);
    const auto empty = EncodeContents({}, {}, 3);
    ASSERT_TRUE(empty);
    Bytes truncated(whole->data.begin(), whole->data.end() - 1);
    Bytes flipped = whole->data;
    flipped[flipped.size() / 2] ^= 0x40;
    Bytes longer = whole->data;
    longer.push_back(0);
    struct Case {
        const char* what;
        const Bytes& data;
        uint64_t size;
        bool decodes;
    };
    const Case cases[] = {
        {"as built", whole->data, next.size(), true},
        {"empty file", empty->data, 0, true},
        {"entry one byte longer", whole->data, next.size() + 1, false},
        {"entry one byte shorter", whole->data, next.size() - 1, false},
        {"truncated frame", truncated, next.size(), false},
        {"flipped byte", flipped, next.size(), false},
        {"byte after the frame", longer, next.size(), false},
    };
    for (const Case& c : cases) {
        Bytes decoded;
        size_t pieces = 0;
        const bool ok = DecodeWholeInPieces(c.data, c.size, [&](const uint8_t* data, size_t size) {
            decoded.insert(decoded.end(), data, data + size);
            ++pieces;
            return true;
        });
        EXPECT_EQ(ok, c.decodes) << c.what;
        if (!ok)
            continue;
        EXPECT_EQ(decoded, c.size == 0 ? Bytes{} : next) << c.what;
        EXPECT_EQ(pieces > 1, c.size > 0) << c.what;  // a megabyte never passes through at once
    }
    // A piece refused stops the decode.
    EXPECT_FALSE(DecodeWholeInPieces(whole->data, next.size(), [](const uint8_t*, size_t) { return false; }));
}

}  // namespace
}  // namespace Kiln::Patch
