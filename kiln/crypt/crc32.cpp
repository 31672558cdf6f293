#include "kiln/crypt/crc32.h"

#include <zlib.h>

#include <algorithm>

#include "kiln/base/little_endian.h"

namespace Kiln {

uint32_t CCRC32::Extend(uint32_t crc, const void* data, size_t length)
{
    // zlib takes at most a uInt per call.
    const auto* bytes = static_cast<const Bytef*>(data);
    uLong value = crc;
    while (length > 0) {
        const size_t piece = std::min<size_t>(length, 0x40000000u);
        value = crc32(value, bytes, static_cast<uInt>(piece));
        bytes += piece;
        length -= piece;
    }
    return static_cast<uint32_t>(value);
}

uint32_t CCRC32::Compute(const void* data, uint32_t length)
{
    return Extend(0, data, length);
}

bool CCRC32::Check(const void* data, uint32_t length)
{
    if (length <= 4)
        return false;
    const auto* bytes = static_cast<const uint8_t*>(data);
    return GetLE32(bytes + length - 4) == Compute(data, length - 4);
}

}  // namespace Kiln
