// Compressed data comes from archives and downloads.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "kiln/base/class_ids.h"
#include "kiln/crypt/compress.h"
#include "kiln/crypt/compress_lzma.h"
#include "kiln/crypt/compress_zlib.h"

namespace {

// Keeps each run small (long outputs decode the same way); the container's length field is
// not trusted beyond this.
constexpr uint32_t kCapacity = 1 << 16;

// The destination as `kiln uncompress` sizes it: the length the data says and can decode to
// (a zlib stream's found by inflating it), up to kCapacity; 0 when there is none.
uint32_t Capacity(bool lzma, const uint8_t* data, uint32_t size)
{
    if (lzma) {
        const auto stored = Kiln::CCompress_lzma::StoredLength(data, size);
        return stored && Kiln::CCompress_lzma::LengthFitsStream(*stored, size) ? std::min(*stored, kCapacity) : 0;
    }
    const auto length = Kiln::CCompress_zlib::UncompressedLength(data, size, kCapacity);
    return length ? static_cast<uint32_t>(*length) : 0;
}

void Uncompress(bool lzma, const uint8_t* data, uint32_t size)
{
    auto compressor = Kiln::KilnHandle<Kiln::ICompress>::Adopt(
        Kiln::CreateCompressor(lzma ? Kiln::ClassId::CompressLzma : Kiln::ClassId::CompressZlib));
    const uint32_t capacity = Capacity(lzma, data, size);
    // Left unwritten: the decoder fills what it produces.
    const std::unique_ptr<uint8_t[]> out(new uint8_t[capacity + 1]);
    uint32_t length = capacity;
    if (compressor->Uncompress(out.get(), length, data, size) && length > capacity)
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The first byte picks the compressor, so one corpus serves both.
    if (size == 0 || size > kCapacity)
        return 0;
    Uncompress(data[0] & 1, data + 1, static_cast<uint32_t>(size - 1));
    return 0;
}
