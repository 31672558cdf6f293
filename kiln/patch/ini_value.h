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

// A profile text of a new version for a folder whose text changed after it was installed:
// `next`, except that a key the folder's text (`installed`) set or changed keeps that value
// when the new version leaves it as the old one (`old`) had it. [Game] Version is always the
// new one's; a folder that still holds `old` gets `next` byte for byte.
std::string MergeIniText(std::string_view old, std::string_view installed, std::string_view next);

}  // namespace Kiln::Patch
