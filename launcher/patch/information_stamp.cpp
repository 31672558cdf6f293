#include "launcher/patch/information_stamp.h"

#include "kiln/base/number_scan.h"

#include <cstdio>
#include <vector>

namespace Launcher::Patch {
namespace {

constexpr std::string_view kSerialKey = "Serial=";
constexpr std::string_view kExpiresKey = "Expires=";
constexpr int64_t kSecondsPerDay = 86400;

struct Line {
    size_t begin;  // offset of the line in the text
    std::string text;  // without its line end and without any CR
};

// The lines as the entry reader sees them: split at LF, every CR dropped.
std::vector<Line> SplitLines(std::string_view text)
{
    std::vector<Line> lines;
    size_t begin = 0;
    while (begin < text.size()) {
        size_t end = text.find('\n', begin);
        if (end == std::string_view::npos)
            end = text.size();
        Line line{begin, {}};
        for (size_t i = begin; i < end; ++i) {
            if (text[i] != '\r')
                line.text += text[i];
        }
        lines.push_back(std::move(line));
        begin = end + 1;
    }
    return lines;
}

// Where the first empty line begins, or the text's end.
size_t StampStart(const std::vector<Line>& lines, size_t textSize)
{
    for (const Line& line : lines) {
        if (line.text.empty())
            return line.begin;
    }
    return textSize;
}

std::optional<uint64_t> ReadSerial(std::string_view text)
{
    size_t pos = 0;
    const auto serial = text.size() > 19 ? std::nullopt
                                         : Kiln::NumberScan::ScanDigits(text, pos, static_cast<uint64_t>(INT64_MAX));
    return pos == text.size() ? serial : std::nullopt;
}

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar.
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day)
{
    year -= month <= 2;
    const int64_t era = year / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

bool IsLeapYear(int64_t year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int64_t year, int64_t month)
{
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

std::optional<int64_t> ReadDigits(std::string_view text, size_t at, size_t count)
{
    int64_t value = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

}  // namespace

std::optional<InformationStamp> ReadStamp(std::string_view information)
{
    const std::vector<Line> lines = SplitLines(information);
    const size_t start = StampStart(lines, information.size());
    InformationStamp stamp;
    bool haveSerial = false;
    bool haveExpiry = false;
    for (const Line& line : lines) {
        if (line.begin < start)
            continue;
        const std::string_view text = line.text;
        if (text.substr(0, kSerialKey.size()) == kSerialKey) {
            const auto serial = ReadSerial(text.substr(kSerialKey.size()));
            if (!serial || haveSerial)
                return std::nullopt;
            stamp.serial = *serial;
            haveSerial = true;
        } else if (text.substr(0, kExpiresKey.size()) == kExpiresKey) {
            const auto expires = ParseUtc(text.substr(kExpiresKey.size()));
            if (!expires || haveExpiry)
                return std::nullopt;
            stamp.expires = *expires;
            haveExpiry = true;
        }
    }
    return stamp;
}

std::string WriteStamp(std::string_view information, const InformationStamp& stamp)
{
    const std::vector<Line> lines = SplitLines(information);
    std::string text(information.substr(0, StampStart(lines, information.size())));
    const size_t firstEnd = text.find('\n');
    const std::string lineEnd = firstEnd != std::string::npos && firstEnd > 0 && text[firstEnd - 1] == '\r' ? "\r\n" : "\n";
    if (!text.empty() && text.back() != '\n')
        text += lineEnd;
    text += lineEnd;
    text += std::string(kSerialKey) + std::to_string(stamp.serial) + lineEnd;
    if (stamp.expires)
        text += std::string(kExpiresKey) + FormatUtc(*stamp.expires) + lineEnd;
    return text;
}

Freshness JudgeStamp(const std::optional<InformationStamp>& stamp, uint64_t highestAccepted, int64_t now)
{
    if (!stamp)
        return Freshness::Unreadable;
    if (stamp->serial < highestAccepted)
        return Freshness::RolledBack;
    if (stamp->expires && now >= *stamp->expires)
        return Freshness::Expired;
    return Freshness::Current;
}

std::string FormatUtc(int64_t seconds)
{
    int64_t days = seconds / kSecondsPerDay;
    int64_t rest = seconds % kSecondsPerDay;
    if (rest < 0) {
        rest += kSecondsPerDay;
        --days;
    }
    // Inverse of DaysFromCivil.
    const int64_t z = days + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t dayOfEra = z - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    const int64_t day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    const int64_t month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    const int64_t year = yearOfEra + era * 400 + (month <= 2);
    char text[64];
    std::snprintf(text, sizeof text, "%04lld-%02lld-%02lldT%02lld:%02lld:%02lldZ", static_cast<long long>(year),
                  static_cast<long long>(month), static_cast<long long>(day), static_cast<long long>(rest / 3600),
                  static_cast<long long>(rest / 60 % 60), static_cast<long long>(rest % 60));
    return text;
}

std::optional<int64_t> ParseUtc(std::string_view text)
{
    // YYYY-MM-DDTHH:MM:SSZ
    if (text.size() != 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
        text[16] != ':' || text[19] != 'Z')
        return std::nullopt;
    const auto year = ReadDigits(text, 0, 4);
    const auto month = ReadDigits(text, 5, 2);
    const auto day = ReadDigits(text, 8, 2);
    const auto hour = ReadDigits(text, 11, 2);
    const auto minute = ReadDigits(text, 14, 2);
    const auto second = ReadDigits(text, 17, 2);
    if (!year || !month || !day || !hour || !minute || !second)
        return std::nullopt;
    if (*year < 1970 || *month < 1 || *month > 12 || *day < 1 || *day > DaysInMonth(*year, *month) || *hour > 23 ||
        *minute > 59 || *second > 59)
        return std::nullopt;
    return DaysFromCivil(*year, *month, *day) * kSecondsPerDay + *hour * 3600 + *minute * 60 + *second;
}

}  // namespace Launcher::Patch
