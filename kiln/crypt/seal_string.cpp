#include "kiln/crypt/seal_string.h"

#include <cstdint>
#include <exception>
#include <limits>

#include "kiln/base/little_endian.h"
#include "kiln/crypt/base64.h"
#include "kiln/crypt/crc32.h"
#include "kiln/crypt/crypt.h"

namespace Kiln {
namespace {

constexpr size_t kChecksumSize = 4;

// The cipher takes 32-bit lengths.
constexpr size_t kMaxPlainSize = std::numeric_limits<unsigned>::max();

uint32_t CrcOf(std::string_view bytes)
{
    return CCRC32::Extend(0, bytes.data(), bytes.size());
}

}  // namespace

std::string SealString(std::string_view key, std::string_view plain)
{
    if (plain.size() > kMaxPlainSize)
        return {};
    try {
        const uint32_t checksum = CrcOf(plain);
        std::string sealed(kChecksumSize, '\0');
        PutLE32(reinterpret_cast<uint8_t*>(sealed.data()), checksum);
        sealed.append(plain);
        CCrypt crypt;
        crypt.XorStream(sealed.data() + kChecksumSize, static_cast<unsigned>(plain.size()),
                        checksum ^ CrcOf(key));
        return Base64Encode(sealed);
    } catch (const std::exception&) {
        return {};
    }
}

// Memory: the decoded bytes (3/4 of the text's length), deciphered where they lie.
std::string UnsealString(std::string_view key, std::string_view sealed)
{
    try {
        std::optional<std::string> bytes = Base64Decode(sealed);
        if (!bytes || bytes->size() <= kChecksumSize || bytes->size() - kChecksumSize > kMaxPlainSize)
            return {};
        const uint32_t checksum = GetLE32(reinterpret_cast<const uint8_t*>(bytes->data()));
        std::string plain = std::move(*bytes);
        plain.erase(0, kChecksumSize);
        CCrypt crypt;
        crypt.XorStream(plain.data(), static_cast<unsigned>(plain.size()), checksum ^ CrcOf(key));
        if (CrcOf(plain) != checksum)
            return {};
        return plain;
    } catch (const std::exception&) {
        return {};
    }
}

}  // namespace Kiln
