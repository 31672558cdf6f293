#include "launcher/net/range_rules.h"

#include "kiln/base/number_scan.h"
#include "kiln/base/text.h"

namespace Launcher::HTTPConnection {
namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && (IsBlank(text.back()) || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

bool SameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && Kiln::AsciiLower(a) == Kiln::AsciiLower(b);
}

// Digits only, at most 18 of them; moves `text` past them.
std::optional<uint64_t> ReadNumber(std::string_view& text)
{
    constexpr uint64_t kLargest = 999999999999999999;
    size_t pos = 0;
    const auto value = Kiln::NumberScan::ScanDigits(text, pos, kLargest);
    if (value)
        text.remove_prefix(pos);
    return value;
}

}  // namespace

std::optional<std::string> FindHeader(std::string_view rawHeaders, std::string_view name)
{
    while (!rawHeaders.empty()) {
        const size_t end = rawHeaders.find('\n');
        const std::string_view line = rawHeaders.substr(0, end);
        const size_t colon = line.find(':');
        if (colon != std::string_view::npos && SameName(Trim(line.substr(0, colon)), name))
            return std::string(Trim(line.substr(colon + 1)));
        if (end == std::string_view::npos)
            break;
        rawHeaders.remove_prefix(end + 1);
    }
    return std::nullopt;
}

std::optional<ContentRange> ParseContentRange(std::string_view value)
{
    constexpr std::string_view kUnit = "bytes ";
    if (value.substr(0, kUnit.size()) != kUnit)
        return std::nullopt;
    value.remove_prefix(kUnit.size());
    ContentRange range;
    const auto first = ReadNumber(value);
    if (!first || value.empty() || value.front() != '-')
        return std::nullopt;
    value.remove_prefix(1);
    const auto last = ReadNumber(value);
    if (!last || value.empty() || value.front() != '/' || *last < *first)
        return std::nullopt;
    value.remove_prefix(1);
    range.first = *first;
    range.last = *last;
    if (value == "*")
        return range;
    const auto total = ReadNumber(value);
    if (!total || !value.empty() || *last >= *total)
        return std::nullopt;
    range.total = *total;
    return range;
}

std::string ValidatorOf(std::string_view rawHeaders)
{
    const auto etag = FindHeader(rawHeaders, "ETag");
    if (etag && etag->size() >= 2 && etag->front() == '"' && etag->back() == '"')
        return *etag;
    const auto modified = FindHeader(rawHeaders, "Last-Modified");
    return modified ? *modified : std::string();
}

std::string ResumeHeaders(uint64_t offset, const std::string& validator)
{
    return "Range: bytes=" + std::to_string(offset) + "-\r\nIf-Range: " + validator + "\r\n";
}

ResumeVerdict JudgeResponse(uint32_t status, std::string_view rawHeaders, uint64_t offset,
                            const std::string& validator, uint64_t knownTotal)
{
    if (status / 100 == 2 && status != 206)
        return offset == 0 ? ResumeVerdict::Append : ResumeVerdict::FromZero;
    if (status == 416)
        return ResumeVerdict::StartOver;
    if (status != 206)
        return ResumeVerdict::Failed;
    // Only the bytes that follow, of the same file, continue what is on disk.
    const auto header = FindHeader(rawHeaders, "Content-Range");
    const auto range = header ? ParseContentRange(*header) : std::nullopt;
    if (!range || range->first != offset)
        return ResumeVerdict::StartOver;
    if (knownTotal != kUnknownSize && range->total != kUnknownSize && range->total != knownTotal)
        return ResumeVerdict::StartOver;
    const std::string now = ValidatorOf(rawHeaders);
    if (offset != 0 && !now.empty() && now != validator)
        return ResumeVerdict::StartOver;
    return ResumeVerdict::Append;
}

unsigned RetryPauseMs(int fruitlessTries)
{
    if (fruitlessTries <= 0)
        return 0;
    const int doublings = fruitlessTries > 5 ? 4 : fruitlessTries - 1;
    return 1000u << doublings;
}

}  // namespace Launcher::HTTPConnection
