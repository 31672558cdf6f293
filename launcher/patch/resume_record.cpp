#include "launcher/patch/resume_record.h"

#include <array>

#include "kiln/base/number_scan.h"

namespace Launcher::Patch {
namespace {

constexpr std::array<std::string_view, 5> kKeys = {"File", "Version", "Digest", "Validator", "Total"};

bool HoldsLineBreak(std::string_view value)
{
    return value.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

}  // namespace

std::string WriteResumeRecord(const ResumeRecord& record)
{
    const std::string total = record.total == UINT64_MAX ? std::string() : std::to_string(record.total);
    const std::array<const std::string*, 5> values = {&record.fileName, &record.version, &record.digest,
                                                      &record.validator, &total};
    std::string text;
    for (size_t i = 0; i < kKeys.size(); ++i)
        text += std::string(kKeys[i]) + "=" + *values[i] + "\n";
    return text;
}

std::optional<ResumeRecord> ReadResumeRecord(std::string_view text)
{
    std::array<std::optional<std::string>, 5> values;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos || HoldsLineBreak(line))
            return std::nullopt;
        for (size_t i = 0; i < kKeys.size(); ++i) {
            if (line.substr(0, equals) != kKeys[i])
                continue;
            if (values[i])
                return std::nullopt;
            values[i] = std::string(line.substr(equals + 1));
        }
    }
    for (const auto& value : values) {
        if (!value)
            return std::nullopt;
    }
    ResumeRecord record{*values[0], *values[1], *values[2], *values[3], UINT64_MAX};
    const std::string& total = *values[4];
    if (!total.empty()) {
        size_t pos = 0;
        const auto size = Kiln::NumberScan::ScanDigits(total, pos, 999999999999999999);
        if (!size || pos != total.size())
            return std::nullopt;
        record.total = *size;
    }
    return record;
}

bool ResumesPatch(const ResumeRecord& record, const std::string& fileName, const std::string& version,
                  const std::string& digest)
{
    return !record.validator.empty() && record.fileName == fileName && record.version == version &&
           record.digest == digest;
}

}  // namespace Launcher::Patch
