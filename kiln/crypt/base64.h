#pragma once

#include <optional>
#include <string>
#include <string_view>

// Base64 of RFC 4648 section 4: the standard alphabet, "=" padding, no line breaks.
namespace Kiln {

std::string Base64Encode(std::string_view bytes);

// Accepts only what the encoder writes: whole groups of four characters from the alphabet,
// "=" only as one or two pad characters at the very end, unused bits before them zero.
// Anything else gives nothing.
std::optional<std::string> Base64Decode(std::string_view text);

}  // namespace Kiln
