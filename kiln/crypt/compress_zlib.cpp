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

// Memory: zlib's inflate state and 32 KiB window, into the caller's destination.
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

// Memory: zlib's inflate state and window, and 32 KiB of stack; the length it finds is at most 1032 a byte.
std::optional<uint64_t> CCompress_zlib::UncompressedLength(const void* source, uint32_t sourceLength,
                                                           uint64_t limit)
{
    if (!source && sourceLength > 0)
        return std::nullopt;
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        return std::nullopt;
    stream.next_in = static_cast<Bytef*>(const_cast<void*>(source));
    stream.avail_in = sourceLength;
    Bytef scratch[1 << 15];
    uint64_t total = 0;
    int result = Z_OK;
    while (result == Z_OK && total <= limit) {
        stream.next_out = scratch;
        stream.avail_out = sizeof scratch;
        result = inflate(&stream, Z_NO_FLUSH);
        total += sizeof scratch - stream.avail_out;
    }
    inflateEnd(&stream);
    // Z_BUF_ERROR here means the input ran out before the stream ended.
    if (result != Z_STREAM_END || total > limit)
        return std::nullopt;
    return total;
}

}  // namespace Kiln
