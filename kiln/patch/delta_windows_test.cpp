#include "kiln/patch/delta_windows.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/patch_folders.h"

namespace Kiln::Patch {
namespace {

Bytes Noise(size_t size, uint32_t seed)
{
    const std::string noise = TestSupport::NoiseBytes(size, seed);
    return Bytes(noise.begin(), noise.end());
}

Bytes Join(std::initializer_list<Bytes> parts)
{
    Bytes joined;
    for (const Bytes& part : parts)
        joined.insert(joined.end(), part.begin(), part.end());
    return joined;
}

Bytes Part(const Bytes& bytes, size_t from, size_t to)
{
    return Bytes(bytes.begin() + static_cast<ptrdiff_t>(from), bytes.begin() + static_cast<ptrdiff_t>(to));
}

DeltaResult Decode(const Bytes& delta, ByteSource& old, uint64_t size, Bytes* out = nullptr)
{
    SourceReader in(delta.data(), delta.size());
    return DecodeDelta(in, old, size, [out](const uint8_t* data, size_t length) {
        if (out)
            out->insert(out->end(), data, data + length);
        return true;
    });
}

// Windows of 64 KiB with at most 96 KiB of a 1 MiB old file each: the old file must be looked
// up by content, as a multi-gigabyte one is with the full-size windows.
constexpr DeltaShape kSmall{64 << 10, 96 << 10};

TEST(PatchDeltaTest, WindowsDecodeToTheNewFileAndCarryLittleMoreThanItsNewBytes)
{
    const Bytes old = Noise(1 << 20, 1);
    Bytes rewritten = old;
    for (size_t block = 3; block < 256; block += 32)  // 8 blocks of 4 KiB
        std::memcpy(rewritten.data() + block * 4096, Noise(4096, static_cast<uint32_t>(block)).data(), 4096);
    Bytes inserted = old;
    for (size_t at = 900000; at > 0; at -= 90000)  // 10 runs of 100 bytes; everything after moves
        inserted.insert(inserted.begin() + static_cast<ptrdiff_t>(at), 100, static_cast<uint8_t>(at));
    struct Case {
        const char* what;
        Bytes old;
        Bytes next;
        size_t newBytes;  // bytes of the new file found nowhere in the old one
    };
    const Case cases[] = {
        {"blocks rewritten in place", old, rewritten, 8 * 4096},
        {"runs inserted", old, inserted, 10 * 100},
        {"thirds moved far from where they were",
         old, Join({Part(old, 700000, old.size()), Part(old, 300000, 700000), Part(old, 0, 300000)}), 0},
        {"shorter than one window", old, Part(old, 500000, 540000), 0},
        {"grown by new bytes", old, Join({old, Noise(100000, 9)}), 100000},
        {"old file fits one prefix", Part(old, 0, 50000),
         Join({Part(old, 0, 20000), Noise(1000, 3), Part(old, 20000, 50000)}), 1000},
        {"no old file", {}, Part(old, 0, 100000), 100000},
        {"unrelated", old, Noise(300000, 2), 300000},
        {"empty new file", old, {}, 0},
    };
    for (const Case& c : cases) {
        MemorySource oldSource(c.old.data(), c.old.size());
        MemorySource nextSource(c.next.data(), c.next.size());
        uint64_t reported = 0;
        const auto delta = EncodeDelta(oldSource, nextSource, 3, kSmall, [&](uint64_t done) { reported = done; });
        ASSERT_TRUE(delta) << c.what;
        EXPECT_EQ(reported, c.next.size()) << c.what;
        Bytes decoded;
        EXPECT_EQ(Decode(*delta, oldSource, c.next.size(), &decoded), DeltaResult::kDecoded) << c.what;
        EXPECT_TRUE(decoded == c.next) << c.what;
        // Headers, frame overheads and the odd match cut at a window's edge: a few hundred bytes
        // a window.
        const size_t windows = (c.next.size() + kSmall.window - 1) / kSmall.window;
        EXPECT_LT(delta->size(), c.newBytes + c.newBytes / 50 + 400 * windows + 100) << c.what;
    }
}

void PutNumber(Bytes& out, uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

struct Range {
    uint64_t offset;
    uint64_t size;
};

// One window as the format lays it out, its frame made with the given ranges of `old`.
Bytes Window(const Bytes& old, const Bytes& next, std::initializer_list<Range> ranges, uint64_t statedSize = 0,
             int64_t frameSizeOff = 0)
{
    Bytes prefix;
    for (const Range& r : ranges) {
        if (r.offset < old.size())
            prefix.insert(prefix.end(), old.begin() + static_cast<ptrdiff_t>(r.offset),
                          old.begin() + static_cast<ptrdiff_t>(std::min<uint64_t>(old.size(), r.offset + r.size)));
    }
    const auto frame = FrameEncoder().Compress(prefix.data(), prefix.size(), next.data(), next.size(), 3);
    Bytes out;
    PutNumber(out, statedSize ? statedSize : next.size(), 4);
    PutNumber(out, ranges.size(), 2);
    for (const Range& r : ranges) {
        PutNumber(out, r.offset, 8);
        PutNumber(out, r.size, 4);
    }
    PutNumber(out, static_cast<uint64_t>(static_cast<int64_t>(frame->size()) + frameSizeOff), 8);
    out.insert(out.end(), frame->begin(), frame->end());
    return out;
}

// An old file of any size without its bytes in memory: zeros, or a read that fails.
class ZeroSource : public ByteSource {
public:
    ZeroSource(uint64_t size, bool fails) : size_(size), fails_(fails) {}
    uint64_t Size() const override { return size_; }
    bool ReadAt(uint64_t offset, uint8_t* out, size_t size) override
    {
        if (fails_ || offset > size_ || size > size_ - offset)
            return false;
        std::memset(out, 0, size);
        return true;
    }

private:
    uint64_t size_;
    bool fails_;
};

TEST(PatchDeltaTest, DecodeRefusesWindowsThatDoNotAddUpOrReachOutside)
{
    const Bytes old = Noise(65536, 4);
    const Bytes next = Join({Part(old, 0, 30000), Noise(100, 5), Part(old, 30000, 60000)});
    const Bytes good = Window(old, next, {{0, 65536}});
    const Bytes firstHalf = Part(next, 0, 30050);
    const Bytes secondHalf = Part(next, 30050, next.size());
    Bytes longer = good;
    longer.push_back(0);
    Bytes flipped = good;
    flipped[flipped.size() - 100] ^= 0x10;
    const Bytes zeros(1000, 0);
    struct Case {
        const char* what;
        Bytes delta;
        uint64_t size;
        uint64_t oldSize;  // of zeros, instead of `old`, when not 0
        bool oldFails;
        DeltaResult expected;
    };
    const uint64_t n = next.size();
    const Case cases[] = {
        {"as built", good, n, 0, false, DeltaResult::kDecoded},
        {"two windows", Join({Window(old, firstHalf, {{0, 40000}}), Window(old, secondHalf, {{20000, 45536}})}), n, 0,
         false, DeltaResult::kDecoded},
        {"a window past the file's size", good, n - 1, 0, false, DeltaResult::kDamaged},
        {"windows short of the file's size", good, n + 1, 0, false, DeltaResult::kDamaged},
        {"a window of no bytes", Join({Window(old, {}, {}), good}), n, 0, false, DeltaResult::kDamaged},
        {"a window stated larger than its frame", Window(old, next, {{0, 65536}}, n + 1), n + 1, 0, false,
         DeltaResult::kDamaged},
        {"a range past the old file's end", Window(old, next, {{65530, 7}}), n, 0, false, DeltaResult::kDamaged},
        {"a range whose end wraps around", Window(old, next, {{UINT64_MAX - 2, 7}}), n, 0, false,
         DeltaResult::kDamaged},
        {"ranges beyond the largest prefix", Window(zeros, zeros, {{0, 50 << 20}, {50 << 20, 50 << 20}}), 1000,
         uint64_t{1} << 30, false, DeltaResult::kDamaged},
        {"a range within the largest prefix", Window(zeros, zeros, {{0, 50 << 20}}), 1000, uint64_t{1} << 30, false,
         DeltaResult::kDecoded},
        {"a frame longer than the bytes left", Window(old, next, {{0, 65536}}, 0, 1), n, 0, false,
         DeltaResult::kDamaged},
        {"a frame shorter than it is", Window(old, next, {{0, 65536}}, 0, -1), n, 0, false, DeltaResult::kDamaged},
        {"a byte after the last window", longer, n, 0, false, DeltaResult::kDamaged},
        {"a flipped byte in the frame", flipped, n, 0, false, DeltaResult::kDamaged},
        {"a header cut short", Part(good, 0, 10), n, 0, false, DeltaResult::kDamaged},
        {"an old file that cannot be read", Window(zeros, zeros, {{0, 1000}}), 1000, 1000, true,
         DeltaResult::kOldUnreadable},
    };
    for (const Case& c : cases) {
        MemorySource oldSource(old.data(), old.size());
        ZeroSource zeroSource(c.oldSize, c.oldFails);
        ByteSource& source = c.oldSize ? static_cast<ByteSource&>(zeroSource) : oldSource;
        Bytes decoded;
        EXPECT_EQ(Decode(c.delta, source, c.size, &decoded), c.expected) << c.what;
        if (c.expected == DeltaResult::kDecoded) {
            EXPECT_TRUE(decoded == (c.oldSize ? zeros : next)) << c.what;
        }
    }
    // Too many ranges, each within the file.
    Bytes many;
    PutNumber(many, n, 4);
    PutNumber(many, kMaxRanges + 1, 2);
    for (size_t i = 0; i <= kMaxRanges; ++i) {
        PutNumber(many, i, 8);
        PutNumber(many, 1, 4);
    }
    MemorySource oldSource(old.data(), old.size());
    EXPECT_EQ(Decode(many, oldSource, n), DeltaResult::kDamaged);
    // A piece refused stops the decode.
    SourceReader in(good.data(), good.size());
    EXPECT_EQ(DecodeDelta(in, oldSource, n, [](const uint8_t*, size_t) { return false; }), DeltaResult::kStopped);
}

}  // namespace
}  // namespace Kiln::Patch
