// Base64 text comes from the settings file and from servers.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "kiln/crypt/base64.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::optional<std::string> bytes = Kiln::Base64Decode(text);
    // The decoder accepts only what the encoder writes, so accepted text re-encodes unchanged.
    if (bytes && Kiln::Base64Encode(*bytes) != text)
        __builtin_trap();
    // and anything encoded decodes back
    const std::optional<std::string> again = Kiln::Base64Decode(Kiln::Base64Encode(text));
    if (!again || *again != text)
        __builtin_trap();
    return 0;
}
