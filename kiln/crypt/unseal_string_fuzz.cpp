// Sealed text comes from the player's settings file, which anyone can edit.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "kiln/crypt/seal_string.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The first byte picks how much of the input is the key.
    if (size == 0)
        return 0;
    const size_t keyLength = data[0] % (size);
    const std::string_view key(reinterpret_cast<const char*>(data + 1), keyLength);
    const std::string_view sealed(reinterpret_cast<const char*>(data + 1 + keyLength), size - 1 - keyLength);
    const std::string plain = Kiln::UnsealString(key, sealed);
    // Whatever unseals must seal back to the same text under the same key.
    if (!plain.empty() && Kiln::SealString(key, plain) != sealed)
        __builtin_trap();
    return 0;
}
