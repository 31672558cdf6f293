#pragma once

#include <boost/format.hpp>
#include <string>
#include <string_view>

// Text helpers shared by the runtime and the launcher. All text is narrow Shift-JIS (CP932).
namespace Kiln {

// True for the first byte of a Shift-JIS double-byte character.
constexpr bool IsShiftJisLeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Lower-cases A-Z only and steps over both bytes of every double-byte character, so a trail
// byte that happens to lie in A-Z is left alone.
std::string AsciiLower(std::string_view text);

// A "yes" switch: on exactly when the lower-cased value is "yes".
bool IsSwitchOn(std::string_view value);

// Fills a positional template ("%1%\%2%"). A wrong argument count is a programming error and
// throws boost::io::format_error.
template <class... Args>
std::string FormatTemplate(const std::string& pattern, const Args&... args)
{
    boost::format format(pattern);
    (format % ... % args);
    return format.str();
}

}  // namespace Kiln
