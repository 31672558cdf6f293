#pragma once

#include <optional>

#include "kiln/crypt/compress.h"

namespace Kiln {

// LZMA in a 9-byte container: the uncompressed length (32-bit little-endian), the 5 property
// bytes the encoder writes, then the raw stream without an end marker.
class CCompress_lzma : public RefCounted<ICompress> {
public:
    static constexpr uint32_t kHeaderSize = 9;

    bool Compress(void* destination, uint32_t& destinationLength, const void* source,
                  uint32_t sourceLength) override;
    // Fails unless the stream yields exactly the stored length, which must fit the capacity.
    bool Uncompress(void* destination, uint32_t& destinationLength, const void* source,
                    uint32_t sourceLength) override;

    // The uncompressed length a container announces; nothing when it is too short to have one.
    static std::optional<uint32_t> StoredLength(const void* source, uint32_t sourceLength);

    // Whether a container of `sourceLength` bytes could decode to `storedLength`: a byte of
    // LZMA data yields at most about 7090 (a 273-byte repeat costs at least 14 bits at the
    // coder's best odds of 2017 in 2048), so a length beyond 8192 a byte is a lie.
    static constexpr uint64_t kMostBytesPerByte = 8192;
    static bool LengthFitsStream(uint32_t storedLength, uint32_t sourceLength);
};

}  // namespace Kiln
