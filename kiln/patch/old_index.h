#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "kiln/patch/byte_source.h"

// Where in a large old file the bytes of one window of the new file lie. Both files are cut at
// content-defined anchors: positions where a rolling hash of the 64 bytes before has its top
// 12 bits clear (about one every 4 KiB, never closer than 256 bytes), so the same bytes give
// the same anchors wherever they have moved. The old file's anchors are kept by hash; a
// window's anchors found among them say which old ranges it copies from.
namespace Kiln::Patch {

struct OldRange {
    uint64_t offset;
    uint64_t size;
};

class OldIndex {
public:
    // Reads `old` front to back once; nothing when it cannot be read.
    static std::optional<OldIndex> Build(ByteSource& old);

    // The old ranges that `window` (new bytes) copies from, in file order: at most `budget`
    // bytes and `most` ranges in all, those covering the most of the window first.
    std::vector<OldRange> RangesFor(const uint8_t* window, size_t size, uint64_t budget, size_t most) const;

private:
    std::unordered_map<uint64_t, uint64_t> anchors_;  // hash -> where the first such anchor ends
    uint64_t oldSize_ = 0;
};

}  // namespace Kiln::Patch
