#include "kiln/crypt/compress_lzma.h"

#include <cstddef>

#include "kiln/base/little_endian.h"
#include "kiln/crypt/lzma/lzma_one_call.h"

namespace Kiln {
namespace {

constexpr size_t kPropsOffset = 4;

static_assert(CCompress_lzma::kHeaderSize == kPropsOffset + KILN_LZMA_PROPS_SIZE);

}  // namespace

bool CCompress_lzma::Compress(void* destination, uint32_t& destinationLength, const void* source,
                              uint32_t sourceLength)
{
    if (!destination || destinationLength < kHeaderSize || (!source && sourceLength > 0))
        return false;
    // The SDK copies from the source even when it is empty; never hand it a null pointer.
    static const uint8_t kNothing = 0;
    const auto* in = source ? static_cast<const uint8_t*>(source) : &kNothing;
    auto* out = static_cast<uint8_t*>(destination);
    size_t streamLength = destinationLength - kHeaderSize;
    if (KilnLzmaCompress(out + kHeaderSize, &streamLength, in, sourceLength, out + kPropsOffset) != 0)
        return false;
    PutLE32(out, sourceLength);
    destinationLength = static_cast<uint32_t>(kHeaderSize + streamLength);
    return true;
}

// Memory: at most 6 MiB of decoder probabilities (lc + lp up to 12); destinations only as long as LengthFitsStream.
bool CCompress_lzma::Uncompress(void* destination, uint32_t& destinationLength, const void* source,
                                uint32_t sourceLength)
{
    const std::optional<uint32_t> stored = StoredLength(source, sourceLength);
    if (!stored || *stored > destinationLength || (!destination && *stored > 0) ||
        !LengthFitsStream(*stored, sourceLength))
        return false;
    const auto* in = static_cast<const uint8_t*>(source);
    uint8_t nowhere = 0;  // an empty result may come with no destination at all
    auto* out = destination ? static_cast<uint8_t*>(destination) : &nowhere;
    size_t produced = *stored;
    size_t consumed = sourceLength - kHeaderSize;
    const int result = KilnLzmaUncompress(out, &produced, in + kHeaderSize, &consumed, in + kPropsOffset);
    destinationLength = static_cast<uint32_t>(produced);
    return result == 0 && produced == *stored;
}

std::optional<uint32_t> CCompress_lzma::StoredLength(const void* source, uint32_t sourceLength)
{
    if (!source || sourceLength < kHeaderSize)
        return std::nullopt;
    return GetLE32(static_cast<const uint8_t*>(source));
}

bool CCompress_lzma::LengthFitsStream(uint32_t storedLength, uint32_t sourceLength)
{
    return sourceLength >= kHeaderSize && storedLength <= uint64_t{sourceLength - kHeaderSize} * kMostBytesPerByte;
}

}  // namespace Kiln
