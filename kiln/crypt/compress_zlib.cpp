#include "kiln/crypt/compress_zlib.h"

#include <zlib.h>

namespace Kiln {
namespace {

constexpr int kLevel = 8;

bool BuffersUsable(const void* destination, uint32_t capacity, const void* source, uint32_t sourceLength)
{
    return (destination || capacity == 0) && (source || sourceLength == 0);
}

}  // namespace

bool CCompress_zlib::Compress(void* destination, uint32_t& destinationLength, const void* source,
                              uint32_t sourceLength)
{
    if (!BuffersUsable(destination, destinationLength, source, sourceLength))
        return false;
    uLongf produced = destinationLength;
    if (compress2(static_cast<Bytef*>(destination), &produced, static_cast<const Bytef*>(source),
                  sourceLength, kLevel) != Z_OK)
        return false;
    destinationLength = static_cast<uint32_t>(produced);
    return true;
}

bool CCompress_zlib::Uncompress(void* destination, uint32_t& destinationLength, const void* source,
                                uint32_t sourceLength)
{
    if (!BuffersUsable(destination, destinationLength, source, sourceLength))
        return false;
    uLongf produced = destinationLength;
    if (uncompress(static_cast<Bytef*>(destination), &produced, static_cast<const Bytef*>(source),
                   sourceLength) != Z_OK)
        return false;
    destinationLength = static_cast<uint32_t>(produced);
    return true;
}

}  // namespace Kiln
