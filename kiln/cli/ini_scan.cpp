#include "kiln/cli/ini_scan.h"

#include <algorithm>

#include "kiln/base/text.h"

namespace KilnCli {
namespace {

std::string_view Trim(std::string_view text)
{
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    const size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

bool IsValidUtf8(std::string_view text, bool& beyondAscii)
{
    beyondAscii = false;
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        size_t length = 1;
        if (c >= 0xC2 && c <= 0xDF)
            length = 2;
        else if (c >= 0xE0 && c <= 0xEF)
            length = 3;
        else if (c >= 0xF0 && c <= 0xF4)
            length = 4;
        else if (c >= 0x80)
            return false;
        if (length > 1) {
            beyondAscii = true;
            if (text.size() - i < length)
                return false;
            for (size_t k = 1; k < length; ++k) {
                if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                    return false;
            }
        }
        i += length;
    }
    return true;
}

constexpr bool IsShiftJisTrailByte(unsigned char c)
{
    return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}

constexpr bool IsShiftJisSingleByte(unsigned char c)
{
    return c < 0x80 || (c >= 0xA1 && c <= 0xDF);
}

// The line of the first byte CP932 does not decode; 0 when it decodes throughout.
int FirstUndecodableLine(std::string_view text)
{
    int line = 1;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\n')
            ++line;
        if (IsShiftJisSingleByte(c))
            continue;
        if (!Kiln::IsShiftJisLeadByte(c) || i + 1 >= text.size() ||
            !IsShiftJisTrailByte(static_cast<unsigned char>(text[i + 1])))
            return line;
        ++i;
    }
    return 0;
}

}  // namespace

std::vector<IniSection> ScanIni(std::string_view text)
{
    std::vector<IniSection> sections;
    int line = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        ++line;
        const std::string_view content = Trim(text.substr(start, end - start));
        start = end + 1;
        if (content.empty() || content.front() == ';')
            continue;
        if (content.front() == '[') {
            const size_t close = content.find(']');
            const std::string_view name = content.substr(1, close == std::string_view::npos ? content.size() - 1 : close - 1);
            sections.push_back({std::string(Trim(name)), line, {}});
            continue;
        }
        // Keys before any section belong to none and are never read.
        if (sections.empty())
            continue;
        const size_t equals = content.find('=');
        const std::string_view key = Trim(content.substr(0, equals));
        std::string_view value = equals == std::string_view::npos ? std::string_view() : Trim(content.substr(equals + 1));
        // The profile functions drop one pair of quotes around a value.
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        sections.back().entries.push_back({std::string(key), std::string(value), line});
    }
    return sections;
}

EncodingGuess GuessEncoding(std::string_view bytes)
{
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        return {TextEncoding::kUtf8WithBom};
    if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF")
        return {TextEncoding::kUtf16};
    // UTF-8 Japanese text often happens to be valid CP932 too, so UTF-8 is asked first;
    // real Shift-JIS text is almost never valid UTF-8.
    bool beyondAscii = false;
    if (IsValidUtf8(bytes, beyondAscii) && beyondAscii)
        return {TextEncoding::kUtf8};
    const int badLine = FirstUndecodableLine(bytes);
    if (badLine == 0)
        return {TextEncoding::kShiftJis};
    return {TextEncoding::kUnknown, badLine};
}

size_t EditDistance(std::string_view a, std::string_view b)
{
    // Only small distances matter; long names far apart in length need no table.
    const size_t gap = a.size() > b.size() ? a.size() - b.size() : b.size() - a.size();
    if (gap > 2)
        return gap;
    const std::string x = Kiln::AsciiLower(a);
    const std::string y = Kiln::AsciiLower(b);
    std::vector<std::vector<size_t>> d(x.size() + 1, std::vector<size_t>(y.size() + 1));
    for (size_t i = 0; i <= x.size(); ++i)
        d[i][0] = i;
    for (size_t j = 0; j <= y.size(); ++j)
        d[0][j] = j;
    for (size_t i = 1; i <= x.size(); ++i) {
        for (size_t j = 1; j <= y.size(); ++j) {
            const size_t cost = x[i - 1] == y[j - 1] ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
            if (i > 1 && j > 1 && x[i - 1] == y[j - 2] && x[i - 2] == y[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    }
    return d[x.size()][y.size()];
}

}  // namespace KilnCli
