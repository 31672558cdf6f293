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

// Decodes piece by piece into `sink`; false unless the frame decodes to exactly `size` bytes
// and the sink takes every piece.
using DecodedPiece = std::function<bool(const uint8_t* data, size_t size)>;
bool DecodeContentsTo(Method method, const uint8_t* old, size_t oldSize, const Bytes& data, uint64_t size,
                      const DecodedPiece& sink);

// The new contents back; nothing unless the frame decodes to exactly `size` bytes.
std::optional<Bytes> DecodeContents(Method method, const Bytes& old, const Bytes& data, uint64_t size);

}  // namespace Kiln::Patch
