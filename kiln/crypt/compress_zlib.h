#pragma once

#include "kiln/crypt/compress.h"

namespace Kiln {

// A bare zlib stream (RFC 1950), compressed at level 8.
class CCompress_zlib : public RefCounted<ICompress> {
public:
    bool Compress(void* destination, uint32_t& destinationLength, const void* source,
                  uint32_t sourceLength) override;
    bool Uncompress(void* destination, uint32_t& destinationLength, const void* source,
                    uint32_t sourceLength) override;
};

}  // namespace Kiln
