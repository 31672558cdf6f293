#include <cstdio>
#include <ostream>

#include "kiln/cli/cli_support.h"
#include "kiln/cli/command_groups.h"
#include "kiln/cli/game_check.h"

namespace KilnCli {
namespace {

constexpr char kName[] = "check";

// Messages quote outside bytes as \xNN, so only the JSON specials need escaping here.
std::string JsonString(const std::string& text)
{
    std::string json = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (byte < 0x20 || byte >= 0x80) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            json += escaped;
        } else {
            json += c;
        }
    }
    return json + "\"";
}

}  // namespace

int RunCheck(const Arguments& arguments, Streams& streams)
{
    bool json = false;
    bool strict = false;
    std::string folder;
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--json")
            json = true;
        else if (arguments[i] == "--strict")
            strict = true;
        else if (folder.empty() && arguments[i].rfind("--", 0) != 0)
            folder = arguments[i];
        else
            return UsageError(streams, kName, "unexpected argument '" + arguments[i] + "'");
    }
    if (folder.empty())
        return UsageError(streams, kName, "check takes GAMEDIR");

    const std::vector<Finding> findings = CheckGameFolder(folder);
    bool failed = false;
    if (json)
        streams.out << "[";
    for (size_t i = 0; i < findings.size(); ++i) {
        const Finding& finding = findings[i];
        failed = failed || finding.level == FindingLevel::kError || (strict && finding.level == FindingLevel::kWarning);
        if (json)
            streams.out << (i ? ",\n " : "\n ") << "{\"level\": " << JsonString(LevelName(finding.level))
                        << ", \"where\": " << JsonString(finding.where) << ", \"what\": " << JsonString(finding.what)
                        << "}";
        else
            streams.out << LevelName(finding.level) << ": " << finding.where << ": " << finding.what << "\n";
    }
    if (json)
        streams.out << (findings.empty() ? "]\n" : "\n]\n");
    return failed ? kFailed : kOk;
}

}  // namespace KilnCli
