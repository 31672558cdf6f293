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

struct Hasher::State {
    crypto_hash_sha256_state sodium;
};

Hasher::Hasher() : state_(std::make_unique<State>())
{
    crypto_hash_sha256_init(&state_->sodium);
}

Hasher::~Hasher() = default;

void Hasher::Update(const uint8_t* data, size_t size)
{
    crypto_hash_sha256_update(&state_->sodium, data, size);
}

Sha256 Hasher::Finish()
{
    Sha256 digest{};
    crypto_hash_sha256_final(&state_->sodium, digest.data());
    return digest;
}

std::optional<Sha256> HashFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    Hasher hasher;
    std::vector<char> buffer(1 << 20);
    while (in) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        const auto got = in.gcount();
        if (got > 0)
            hasher.Update(reinterpret_cast<const uint8_t*>(buffer.data()), static_cast<size_t>(got));
    }
    if (!in.eof())
        return std::nullopt;
    return hasher.Finish();
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
