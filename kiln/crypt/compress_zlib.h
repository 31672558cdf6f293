#pragma once

#include <optional>

#include "kiln/crypt/compress.h"

namespace Kiln {

// A bare zlib stream (RFC 1950), compressed at level 8.
class CCompress_zlib : public RefCounted<ICompress> {
public:
    bool Compress(void* destination, uint32_t& destinationLength, const void* source,
                  uint32_t sourceLength) override;
    bool Uncompress(void* destination, uint32_t& destinationLength, const void* source,
                    uint32_t sourceLength) override;

    // How many bytes a stream unpacks to, found by inflating it through a small scratch
    // buffer; nothing when the stream is damaged, incomplete or unpacks to more than `limit`.
    static std::optional<uint64_t> UncompressedLength(const void* source, uint32_t sourceLength, uint64_t limit);
};

}  // namespace Kiln
