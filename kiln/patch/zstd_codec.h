#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// File contents as a patch carries them: compressed whole, or as a zstd frame that refers to
// the old contents as its prefix (long-distance matching finds moved blocks far back).
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

// Decodes into `out`, telling `progress` after each piece how far the output is final (a false
// answer stops the decode); false unless the frame decodes to exactly `size` bytes.
using DecodeProgress = std::function<bool(size_t decoded)>;
bool DecodeContentsInto(Method method, const uint8_t* old, size_t oldSize, const Bytes& data, uint8_t* out,
                        size_t size, const DecodeProgress& progress);

// Decodes a frame of contents compressed whole through a small buffer, handing `piece` each
// decoded piece (a false answer stops the decode): memory stays bounded whatever the size.
// False unless the frame decodes to exactly `size` bytes.
using DecodedPiece = std::function<bool(const uint8_t* data, size_t size)>;
bool DecodeWholeInPieces(const Bytes& data, uint64_t size, const DecodedPiece& piece);

// The new contents back; nothing unless the frame decodes to exactly `size` bytes.
std::optional<Bytes> DecodeContents(Method method, const Bytes& old, const Bytes& data, uint64_t size);

}  // namespace Kiln::Patch
