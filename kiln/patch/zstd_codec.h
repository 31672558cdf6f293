#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "kiln/patch/byte_source.h"

// File contents as a patch carries them: compressed whole, or as a delta (delta_windows.h):
// zstd frames that refer to ranges of the old contents as their prefix (long-distance
// matching finds moved blocks far back).
namespace Kiln::Patch {

using Bytes = std::vector<uint8_t>;

enum class Method : uint8_t { kWhole = 1, kDelta = 2 };

struct Encoded {
    Method method;
    Bytes data;
};

// Compresses `next` whole and as a delta against `old` (when there is one) and keeps the
// smaller. Nothing when zstd fails (out of memory).
std::optional<Encoded> EncodeContents(const Bytes& old, const Bytes& next, int level = 19);

// The new contents back; nothing unless the data decodes to exactly `size` bytes.
std::optional<Bytes> DecodeContents(Method method, const Bytes& old, const Bytes& data, uint64_t size);

// Tells how many bytes of the new contents are encoded so far.
using EncodeProgress = std::function<void(uint64_t encoded)>;

// Contents compressed whole, read from `source` a piece at a time (a file of any size).
std::optional<Bytes> CompressSource(ByteSource& source, int level, const EncodeProgress& progress = {});

// Decodes a frame of contents compressed whole through a small buffer, handing `piece` each
// decoded piece (a false answer stops the decode): memory stays bounded whatever the size.
// False unless the frame, all that `in` holds, decodes to exactly `size` bytes.
using DecodedPiece = std::function<bool(const uint8_t* data, size_t size)>;
bool DecodeWholeInPieces(SourceReader& in, uint64_t size, const DecodedPiece& piece);
bool DecodeWholeInPieces(const Bytes& data, uint64_t size, const DecodedPiece& piece);

// Frames with a prefix (the bytes the frame may copy from as if they came just before it), one
// after another through the same zstd state.
class FrameEncoder {
public:
    FrameEncoder();
    ~FrameEncoder();
    // Nothing when zstd fails (out of memory). Levels above 9 drop to 9 on large inputs, see
    // LevelFor.
    std::optional<Bytes> Compress(const uint8_t* prefix, size_t prefixSize, const uint8_t* data, size_t size,
                                  int level);

private:
    struct State;
    std::unique_ptr<State> state_;
};

class FrameDecoder {
public:
    FrameDecoder();
    ~FrameDecoder();
    // Decodes the `frameSize` bytes next in `in` into `out`, which stays put (zstd decodes
    // straight into it, with no window buffer of its own), telling `piece` of each newly decoded
    // piece while it is still in the cache; a false answer stops the decode. False unless the
    // frame decodes to exactly `size` bytes and asks for no more window than prefix and output.
    bool DecodeInto(const uint8_t* prefix, size_t prefixSize, SourceReader& in, uint64_t frameSize, uint8_t* out,
                    size_t size, const DecodedPiece& piece);

private:
    struct State;
    std::unique_ptr<State> state_;
};

// The level for `reach` bytes of prefix and data: past 64 MiB the optimal parsers of the
// highest levels lose the old file's matches (a 200 MiB archive with 2% changed gave a delta
// no smaller than the whole file at level 19, and 4 MiB at level 9), and are slow there too.
int LevelFor(uint64_t reach, int level);

}  // namespace Kiln::Patch
