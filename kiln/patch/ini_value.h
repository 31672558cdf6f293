#pragma once

#include <optional>
#include <string>
#include <string_view>

// One value of a profile (.ini) text, read and replaced as the profile functions see it:
// section and key names compared without case (ASCII), blanks around names and values
// ignored, the first matching key wins. Bytes are left as they are (CP932 stays CP932).
namespace Kiln::Patch {

std::optional<std::string> ReadIniValue(std::string_view text, std::string_view section, std::string_view key);

// The text with the key's value replaced, or the key added at the end of its section (the
// section added at the end when missing). Line ends and every other byte are kept.
std::string WriteIniValue(std::string_view text, std::string_view section, std::string_view key,
                          std::string_view value);

}  // namespace Kiln::Patch
