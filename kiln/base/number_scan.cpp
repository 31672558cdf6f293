#include "kiln/base/number_scan.h"

#include <limits>

namespace Kiln::NumberScan {
namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

void SkipBlanks(std::string_view text, size_t& pos)
{
    while (pos < text.size() && IsBlank(text[pos]))
        ++pos;
}

std::optional<int> ScanDecimal(std::string_view text, size_t& pos)
{
    size_t at = pos;
    SkipBlanks(text, at);
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        negative = text[at++] == '-';
    const size_t digitsStart = at;
    // Accumulated as a magnitude so that the most negative int still fits.
    uint64_t magnitude = 0;
    const uint64_t limit = negative ? uint64_t{std::numeric_limits<int>::max()} + 1
                                    : uint64_t{std::numeric_limits<int>::max()};
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        magnitude = magnitude * 10 + static_cast<uint64_t>(text[at] - '0');
        if (magnitude > limit)
            return std::nullopt;
    }
    if (at == digitsStart)
        return std::nullopt;
    pos = at;
    if (negative)
        return static_cast<int>(-static_cast<int64_t>(magnitude));
    return static_cast<int>(magnitude);
}

std::optional<uint64_t> ScanDigits(std::string_view text, size_t& pos, uint64_t limit)
{
    size_t at = pos;
    uint64_t value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        const uint64_t digit = static_cast<uint64_t>(text[at] - '0');
        if (value > (limit - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    if (at == pos)
        return std::nullopt;
    pos = at;
    return value;
}

std::optional<uint32_t> ScanHex(std::string_view text, size_t& pos)
{
    size_t at = pos;
    SkipBlanks(text, at);
    // The prefix counts only when a digit follows it; "0x" alone reads as the number 0.
    if (at + 2 < text.size() && text[at] == '0' && (text[at + 1] == 'x' || text[at + 1] == 'X') &&
        HexDigit(text[at + 2]) >= 0)
        at += 2;
    const size_t digitsStart = at;
    uint64_t value = 0;
    for (int digit; at < text.size() && (digit = HexDigit(text[at])) >= 0; ++at) {
        value = value * 16 + static_cast<uint64_t>(digit);
        if (value > std::numeric_limits<uint32_t>::max())
            return std::nullopt;
    }
    if (at == digitsStart)
        return std::nullopt;
    pos = at;
    return static_cast<uint32_t>(value);
}

}  // namespace Kiln::NumberScan
