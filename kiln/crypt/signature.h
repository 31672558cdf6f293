#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Ed25519 (RFC 8032, pure) over libsodium, and the one-line Base64 texts that carry its keys
// and signatures in settings files and beside update files.
namespace Kiln::Signature {

// A signed file's signature lies beside it under its name with this appended.
inline constexpr char kFileSuffix[] = ".sig";

using Seed = std::array<uint8_t, 32>;       // the secret: the RFC's private key
using PublicKey = std::array<uint8_t, 32>;
using Signature = std::array<uint8_t, 64>;

// One line of Base64 for exactly the type's size. A single final line end (LF or CR LF) is
// allowed, as a file written by an editor has one; anything else gives nothing.
std::optional<Seed> ReadSeed(std::string_view text);
std::optional<PublicKey> ReadPublicKey(std::string_view text);
std::optional<Signature> ReadSignature(std::string_view text);

// The Base64 text without a line end.
std::string WriteBytes(const uint8_t* bytes, size_t size);
template <size_t N>
std::string WriteText(const std::array<uint8_t, N>& bytes)
{
    return WriteBytes(bytes.data(), N);
}

// A fresh seed from the system's random source.
Seed MakeSeed();
PublicKey PublicKeyOf(const Seed& seed);
Signature Sign(const Seed& seed, std::string_view message);
bool Verify(const PublicKey& key, const Signature& signature, std::string_view message);

}  // namespace Kiln::Signature
