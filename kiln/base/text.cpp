#include "kiln/base/text.h"

namespace Kiln {

std::string AsciiLower(std::string_view text)
{
    std::string lower(text);
    for (size_t i = 0; i < lower.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(lower[i]);
        if (IsShiftJisLeadByte(c)) {
            ++i;
        } else if (c >= 'A' && c <= 'Z') {
            lower[i] = static_cast<char>(c - 'A' + 'a');
        }
    }
    return lower;
}

bool IsSwitchOn(std::string_view value)
{
    return AsciiLower(value) == "yes";
}

}  // namespace Kiln
