#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "kiln/patch/byte_source.h"
#include "kiln/patch/zstd_codec.h"

// A changed file's delta, in windows: each window of the new file is one zstd frame whose
// prefix is a few ranges of the old file, where the builder found that window's bytes. Applying
// it holds one window of each file in memory (at most kMaxWindow and kMaxPrefix bytes),
// whatever the file's size, and reads the old file range by range.
//
// The bytes, window after window until they end (numbers little-endian):
//   u32 the window's new size (1 to kMaxWindow)
//   u16 the number of old ranges (at most kMaxRanges), then each: u64 offset, u32 size
//   u64 the frame's size, then the frame; its prefix is the old ranges one after another
namespace Kiln::Patch {

constexpr uint32_t kMaxWindow = uint32_t{64} << 20;
constexpr uint64_t kMaxPrefix = uint64_t{80} << 20;
constexpr size_t kMaxRanges = 1024;

// The windows the builder makes: the largest the format allows, smaller in tests.
struct DeltaShape {
    uint32_t window = kMaxWindow;
    uint64_t prefix = kMaxPrefix;
};

// The delta of `next` against `old`, telling `progress` how many new bytes are encoded after
// each window. An old file that fits in one prefix is every window's prefix; a larger one is
// indexed (old_index.h). Nothing when zstd fails or a file cannot be read.
std::optional<Bytes> EncodeDelta(ByteSource& old, ByteSource& next, int level, const DeltaShape& shape = {},
                                 const EncodeProgress& progress = {});
std::optional<Bytes> EncodeDelta(const Bytes& old, const Bytes& next, int level);

enum class DeltaResult {
    kDecoded,
    kDamaged,        // the delta does not decode, or refers outside the old file or its limits
    kStopped,        // `piece` refused a piece
    kNoMemory,       // no room for a window and its prefix
    kOldUnreadable,  // a read of the old file failed
};

// Decodes the delta `in` holds against `old` into exactly `size` bytes, handing `piece` each
// decoded piece in order.
DeltaResult DecodeDelta(SourceReader& in, ByteSource& old, uint64_t size, const DecodedPiece& piece);

}  // namespace Kiln::Patch
