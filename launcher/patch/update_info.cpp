#include "launcher/patch/update_info.h"

#include <array>
#include <optional>

#include "kiln/base/number_scan.h"

namespace Launcher {
namespace {

// The first three fields of a line that has at least four; null for a shorter line. Only
// those three are used, so no more are taken apart.
std::optional<std::array<std::string_view, 3>> LeadingFields(std::string_view line)
{
    std::array<std::string_view, 3> fields;
    for (std::string_view& field : fields) {
        const size_t comma = line.find(',');
        if (comma == std::string_view::npos)
            return std::nullopt;
        field = line.substr(0, comma);
        line.remove_prefix(comma + 1);
    }
    return fields;
}

uint32_t ReadLauncherUpdateFlag(std::string_view field)
{
    size_t pos = 0;
    const auto value = Kiln::NumberScan::ScanDecimal(field, pos);
    return value ? static_cast<uint32_t>(*value) : 0;
}

}  // namespace

// Memory: up to 30 bytes a byte of the body (a copy, and a 72-byte entry per 4-byte line ",,,\n" while
// the list doubles).
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
        if (const auto fields = LeadingFields(line))
            entries.push_back({std::string((*fields)[0]), std::string((*fields)[1]), ReadLauncherUpdateFlag((*fields)[2])});
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
