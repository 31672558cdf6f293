#pragma once

#include <string>
#include <string_view>

// Sealed text: the CRC-32 of the plain bytes (4 bytes, little-endian), then the plain bytes put
// through the cipher's byte stream seeded with that CRC XOR the CRC of the key, all in Base64.
// The launcher keeps its stored tokens this way.
namespace Kiln {

// Empty only on failure (out of memory).
std::string SealString(std::string_view key, std::string_view plain);

// Empty for short or malformed text, a wrong key or damaged data: never garbage.
std::string UnsealString(std::string_view key, std::string_view sealed);

}  // namespace Kiln
