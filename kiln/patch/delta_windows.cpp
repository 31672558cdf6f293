#include "kiln/patch/delta_windows.h"

#include <algorithm>
#include <vector>

#include "kiln/patch/big_buffer.h"
#include "kiln/patch/old_index.h"

namespace Kiln::Patch {
namespace {

void PutNumber(Bytes& out, uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace

std::optional<Bytes> EncodeDelta(ByteSource& old, ByteSource& next, int level, const DeltaShape& shape,
                                 const EncodeProgress& progress)
{
    const uint64_t windowSize = std::clamp<uint64_t>(shape.window, 1, kMaxWindow);
    const uint64_t budget = std::min(shape.prefix, kMaxPrefix);
    const uint64_t oldSize = old.Size();
    const uint64_t size = next.Size();
    std::optional<OldIndex> index;
    if (oldSize > budget && size > 0) {
        index = OldIndex::Build(old);
        if (!index)
            return std::nullopt;
    }
    Bytes window(static_cast<size_t>(std::min(windowSize, size)));
    Bytes prefix;
    FrameEncoder encoder;
    Bytes out;
    for (uint64_t at = 0; at < size;) {
        const size_t length = static_cast<size_t>(std::min(windowSize, size - at));
        if (!next.ReadAt(at, window.data(), length))
            return std::nullopt;
        std::vector<OldRange> ranges;
        if (index)
            ranges = index->RangesFor(window.data(), length, budget, kMaxRanges);
        else if (oldSize > 0)
            ranges.push_back({0, oldSize});
        prefix.clear();
        for (const OldRange& range : ranges) {
            const size_t filled = prefix.size();
            prefix.resize(filled + static_cast<size_t>(range.size));
            if (!old.ReadAt(range.offset, prefix.data() + filled, static_cast<size_t>(range.size)))
                return std::nullopt;
        }
        const auto frame = encoder.Compress(prefix.data(), prefix.size(), window.data(), length, level);
        if (!frame)
            return std::nullopt;
        PutNumber(out, length, 4);
        PutNumber(out, ranges.size(), 2);
        for (const OldRange& range : ranges) {
            PutNumber(out, range.offset, 8);
            PutNumber(out, range.size, 4);
        }
        PutNumber(out, frame->size(), 8);
        out.insert(out.end(), frame->begin(), frame->end());
        at += length;
        if (progress)
            progress(at);
    }
    return out;
}

std::optional<Bytes> EncodeDelta(const Bytes& old, const Bytes& next, int level)
{
    MemorySource oldSource(old.data(), old.size());
    MemorySource nextSource(next.data(), next.size());
    return EncodeDelta(oldSource, nextSource, level);
}

DeltaResult DecodeDelta(SourceReader& in, ByteSource& old, uint64_t size, const DecodedPiece& piece)
{
    // Room for the largest window and prefix this delta may have, taken once.
    const BigBuffer window(static_cast<size_t>(std::min<uint64_t>(size, kMaxWindow)));
    const size_t prefixRoom = static_cast<size_t>(std::min(old.Size(), kMaxPrefix));
    const BigBuffer prefix(prefixRoom);
    if (!window.Get() || !prefix.Get())
        return DeltaResult::kNoMemory;
    FrameDecoder decoder;
    uint64_t done = 0;
    while (in.Remaining() > 0) {
        uint64_t length = 0;
        uint64_t count = 0;
        if (!in.Number(length, 4) || !in.Number(count, 2) || length == 0 || length > kMaxWindow ||
            length > size - done || count > kMaxRanges)
            return DeltaResult::kDamaged;
        size_t filled = 0;
        for (uint64_t i = 0; i < count; ++i) {
            uint64_t offset = 0;
            uint64_t rangeSize = 0;
            if (!in.Number(offset, 8) || !in.Number(rangeSize, 4) || offset > old.Size() ||
                rangeSize > old.Size() - offset || rangeSize > prefixRoom - filled)
                return DeltaResult::kDamaged;
            if (!old.ReadAt(offset, prefix.Get() + filled, static_cast<size_t>(rangeSize)))
                return DeltaResult::kOldUnreadable;
            filled += static_cast<size_t>(rangeSize);
        }
        uint64_t frameSize = 0;
        bool refused = false;
        if (!in.Number(frameSize, 8))
            return DeltaResult::kDamaged;
        const bool decoded = decoder.DecodeInto(prefix.Get(), filled, in, frameSize, window.Get(),
                                                static_cast<size_t>(length), [&](const uint8_t* data, size_t n) {
                                                    refused = !piece(data, n);
                                                    return !refused;
                                                });
        if (!decoded)
            return refused ? DeltaResult::kStopped : DeltaResult::kDamaged;
        done += length;
    }
    return done == size ? DeltaResult::kDecoded : DeltaResult::kDamaged;
}

}  // namespace Kiln::Patch
