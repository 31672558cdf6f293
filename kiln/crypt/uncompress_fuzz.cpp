// Compressed data comes from archives and downloads.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "kiln/base/class_ids.h"
#include "kiln/crypt/compress.h"

namespace {

// Keeps each run small; the container's length field is not trusted beyond this.
constexpr uint32_t kCapacity = 1 << 18;

void Uncompress(const Kiln::Guid& classId, const uint8_t* data, size_t size)
{
    auto compressor = Kiln::KilnHandle<Kiln::ICompress>::Adopt(Kiln::CreateCompressor(classId));
    std::vector<uint8_t> out(kCapacity);
    uint32_t length = kCapacity;
    if (compressor->Uncompress(out.data(), length, data, static_cast<uint32_t>(size)) && length > kCapacity)
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The first byte picks the compressor, so one corpus serves both.
    if (size == 0 || size > kCapacity)
        return 0;
    Uncompress(data[0] & 1 ? Kiln::ClassId::CompressLzma : Kiln::ClassId::CompressZlib, data + 1, size - 1);
    return 0;
}
