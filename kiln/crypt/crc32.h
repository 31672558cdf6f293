#pragma once

#include <cstddef>
#include <cstdint>

namespace Kiln {

// The CRC-32 of zlib and PKZIP (reflected 0xEDB88320, initial and final XOR 0xFFFFFFFF).
class ICRC32 {
public:
    virtual uint32_t Compute(const void* data, uint32_t length) = 0;
    // True when the last 4 bytes (little-endian) are the CRC of the bytes before them.
    virtual bool Check(const void* data, uint32_t length) = 0;
    virtual ~ICRC32() = default;
};

class CCRC32 : public ICRC32 {
public:
    uint32_t Compute(const void* data, uint32_t length) override;
    bool Check(const void* data, uint32_t length) override;

    // Continues `crc` (0 to start) over more bytes, for data that arrives in pieces.
    static uint32_t Extend(uint32_t crc, const void* data, size_t length);
};

}  // namespace Kiln
