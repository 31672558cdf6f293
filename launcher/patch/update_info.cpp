#include "launcher/patch/update_info.h"

#include "kiln/base/number_scan.h"

namespace Launcher {
namespace {

std::vector<std::string_view> SplitFields(std::string_view line)
{
    std::vector<std::string_view> fields;
    for (;;) {
        const size_t comma = line.find(',');
        fields.push_back(line.substr(0, comma));
        if (comma == std::string_view::npos)
            return fields;
        line.remove_prefix(comma + 1);
    }
}

uint32_t ReadLauncherUpdateFlag(std::string_view field)
{
    size_t pos = 0;
    const auto value = Kiln::NumberScan::ScanDecimal(field, pos);
    return value ? static_cast<uint32_t>(*value) : 0;
}

}  // namespace

// Memory: up to 60 bytes a byte of the body (a copy, a 72-byte entry per 4-byte line, 16 bytes a field of a line).
std::vector<UpdateEntry> ParseUpdateInfo(std::string_view body)
{
    std::string text;
    text.reserve(body.size());
    for (const char c : body) {
        if (c != '\r')
            text += c;
    }
    std::vector<UpdateEntry> entries;
    std::string_view rest = text;
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        if (line.empty())
            break;
        const std::vector<std::string_view> fields = SplitFields(line);
        if (fields.size() >= 4)
            entries.push_back({std::string(fields[0]), std::string(fields[1]), ReadLauncherUpdateFlag(fields[2])});
        if (end == std::string_view::npos)
            break;
        rest.remove_prefix(end + 1);
    }
    return entries;
}

NextPatch FindNextPatch(const std::vector<UpdateEntry>& entries, const std::string& installedVersion)
{
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].version != installedVersion)
            continue;
        if (i + 1 == entries.size())
            return {NextPatch::Kind::AlreadyLatest, {}};
        return {NextPatch::Kind::Patch, entries[i + 1]};
    }
    return {NextPatch::Kind::VersionUnknown, {}};
}

std::string FormatUpdateEntry(const std::string& version, const std::string& digest, uint32_t launcherUpdate,
                              const std::string& patchFileName)
{
    return version + "," + digest + "," + std::to_string(launcherUpdate) + "," + patchFileName;
}

}  // namespace Launcher
