#include "kiln/patch/digest.h"

#include <sodium.h>

#include <fstream>
#include <vector>

namespace Kiln::Patch {

Sha256 HashBytes(const uint8_t* data, size_t size)
{
    Sha256 digest{};
    crypto_hash_sha256(digest.data(), data, size);
    return digest;
}

std::optional<Sha256> HashFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    crypto_hash_sha256_state state;
    crypto_hash_sha256_init(&state);
    std::vector<char> buffer(1 << 16);
    while (in) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        const auto got = in.gcount();
        if (got > 0)
            crypto_hash_sha256_update(&state, reinterpret_cast<const uint8_t*>(buffer.data()),
                                      static_cast<unsigned long long>(got));
    }
    if (!in.eof())
        return std::nullopt;
    Sha256 digest{};
    crypto_hash_sha256_final(&state, digest.data());
    return digest;
}

std::string ToHex(const Sha256& digest)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (const uint8_t b : digest) {
        text.push_back(kDigits[b >> 4]);
        text.push_back(kDigits[b & 15]);
    }
    return text;
}

}  // namespace Kiln::Patch
