#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

// SHA-256 of file contents (libsodium's).
namespace Kiln::Patch {

using Sha256 = std::array<uint8_t, 32>;

Sha256 HashBytes(const uint8_t* data, size_t size);

// A digest taken piece by piece.
class Hasher {
public:
    Hasher();
    ~Hasher();
    Hasher(const Hasher&) = delete;
    Hasher& operator=(const Hasher&) = delete;
    void Update(const uint8_t* data, size_t size);
    Sha256 Finish();

private:
    struct State;
    std::unique_ptr<State> state_;
};

// The digest of a whole file, read piece by piece; nothing when it cannot be read.
std::optional<Sha256> HashFile(const std::filesystem::path& path);

std::string ToHex(const Sha256& digest);

}  // namespace Kiln::Patch
