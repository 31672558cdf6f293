#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

// SHA-256 of file contents (libsodium's).
namespace Kiln::Patch {

using Sha256 = std::array<uint8_t, 32>;

Sha256 HashBytes(const uint8_t* data, size_t size);

// The digest of a whole file, read piece by piece; nothing when it cannot be read.
std::optional<Sha256> HashFile(const std::filesystem::path& path);

std::string ToHex(const Sha256& digest);

}  // namespace Kiln::Patch
