#include "kiln/crypt/signature.h"

#include <sodium.h>

#include <stdexcept>

#include "kiln/crypt/base64.h"

namespace Kiln::Signature {
namespace {

static_assert(sizeof(Seed) == crypto_sign_SEEDBYTES);
static_assert(sizeof(PublicKey) == crypto_sign_PUBLICKEYBYTES);
static_assert(sizeof(Signature) == crypto_sign_BYTES);

// sodium_init is idempotent and thread-safe; it picks the implementations once.
void Initialise()
{
    static const bool ready = sodium_init() >= 0;
    if (!ready)
        throw std::runtime_error("libsodium cannot start");
}

// Memory: one decoded copy of at most N bytes, whatever the text's length: longer texts are refused unread.
template <size_t N>
std::optional<std::array<uint8_t, N>> ReadExactly(std::string_view text)
{
    constexpr size_t kLongest = (N + 2) / 3 * 4 + 2;  // the Base64 text and a CR LF
    if (text.size() > kLongest)
        return std::nullopt;
    if (!text.empty() && text.back() == '\n')
        text.remove_suffix(1);
    if (!text.empty() && text.back() == '\r')
        text.remove_suffix(1);
    const std::optional<std::string> bytes = Base64Decode(text);
    if (!bytes || bytes->size() != N)
        return std::nullopt;
    std::array<uint8_t, N> result{};
    for (size_t i = 0; i < N; ++i)
        result[i] = static_cast<uint8_t>((*bytes)[i]);
    return result;
}

// The secret key libsodium signs with: the seed followed by the public key.
std::array<uint8_t, crypto_sign_SECRETKEYBYTES> ExpandSeed(const Seed& seed, PublicKey& key)
{
    Initialise();
    std::array<uint8_t, crypto_sign_SECRETKEYBYTES> secret{};
    crypto_sign_seed_keypair(key.data(), secret.data(), seed.data());
    return secret;
}

}  // namespace

std::optional<Seed> ReadSeed(std::string_view text) { return ReadExactly<sizeof(Seed)>(text); }
std::optional<PublicKey> ReadPublicKey(std::string_view text) { return ReadExactly<sizeof(PublicKey)>(text); }
std::optional<Signature> ReadSignature(std::string_view text) { return ReadExactly<sizeof(Signature)>(text); }

std::string WriteBytes(const uint8_t* bytes, size_t size)
{
    return Base64Encode(std::string_view(reinterpret_cast<const char*>(bytes), size));
}

Seed MakeSeed()
{
    Initialise();
    Seed seed{};
    randombytes_buf(seed.data(), seed.size());
    return seed;
}

PublicKey PublicKeyOf(const Seed& seed)
{
    PublicKey key{};
    auto secret = ExpandSeed(seed, key);
    sodium_memzero(secret.data(), secret.size());
    return key;
}

Signature Sign(const Seed& seed, std::string_view message)
{
    PublicKey key{};
    auto secret = ExpandSeed(seed, key);
    Signature signature{};
    crypto_sign_detached(signature.data(), nullptr, reinterpret_cast<const unsigned char*>(message.data()),
                         message.size(), secret.data());
    sodium_memzero(secret.data(), secret.size());
    return signature;
}

bool Verify(const PublicKey& key, const Signature& signature, std::string_view message)
{
    Initialise();
    return crypto_sign_verify_detached(signature.data(), reinterpret_cast<const unsigned char*>(message.data()),
                                       message.size(), key.data()) == 0;
}

}  // namespace Kiln::Signature
