#include "kiln/cli/game_check.h"

#include <cstdio>

#include "kiln/cli/check_parts.h"
#include "kiln/cli/cli_support.h"

namespace KilnCli {
namespace {

// The profile functions read files of any size, but a real System.ini is a few kilobytes.
constexpr uint64_t kMaxIniBytes = 16u << 20;

// Says how the text is encoded when it is not Shift-JIS; the key checks run either way,
// since ASCII names read the same in every encoding.
void CheckEncoding(const std::string& fileName, const std::string& bytes, Findings& findings)
{
    const EncodingGuess guess = GuessEncoding(bytes);
    const char* consequence = "; the launcher reads Shift-JIS (CP932), so its Japanese text shows garbled: save it as Shift-JIS";
    switch (guess.encoding) {
    case TextEncoding::kShiftJis:
        return;
    case TextEncoding::kUtf8WithBom:
        findings.Add(FindingLevel::kError, fileName,
                     std::string("is UTF-8 with a byte-order mark") + consequence + " without the mark");
        return;
    case TextEncoding::kUtf8:
        findings.Add(FindingLevel::kError, fileName, std::string("is UTF-8") + consequence);
        return;
    case TextEncoding::kUtf16:
        findings.Add(FindingLevel::kError, fileName, std::string("is UTF-16") + consequence);
        return;
    case TextEncoding::kUnknown:
        findings.Add(FindingLevel::kError, At(fileName, guess.badLine),
                     std::string("is not Shift-JIS (CP932) text from this line on") + consequence);
        return;
    }
}

}  // namespace

const char* LevelName(FindingLevel level)
{
    switch (level) {
    case FindingLevel::kNote:
        return "note";
    case FindingLevel::kWarning:
        return "warning";
    case FindingLevel::kError:
        return "error";
    }
    return "error";
}

std::string At(const std::string& file, int line)
{
    return file + ":" + std::to_string(line);
}

std::string Quote(const std::string& value)
{
    std::string quoted = "\"";
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && c != '"' && c != '\\') {
            quoted += c;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            quoted += escaped;
        }
    }
    return quoted + "\"";
}

std::string FolderPath(const std::string& folder, const std::string& relative)
{
    std::string path = folder;
    if (!path.empty() && path.back() != '/' && path.back() != '\\')
        path += '/';
    for (const char c : relative)
        path += c == '\\' ? '/' : c;
    return path;
}

std::vector<Finding> CheckGameFolder(const std::string& folder)
{
    Findings findings;
    ReadError error = ReadError::kNone;
    const auto systemIni = ReadFileBytes(FolderPath(folder, "System.ini"), kMaxIniBytes, &error);
    std::vector<IniSection> sections;
    if (!systemIni) {
        findings.Add(FindingLevel::kError, "System.ini",
                     std::string(error == ReadError::kCannotRead ? "is missing" : Describe(error)) +
                         "; the launcher reads every key as its default: the title \"MZKPlayer\", no pictures, "
                         "no key labels");
    } else {
        CheckEncoding("System.ini", *systemIni, findings);
        sections = ScanIni(*systemIni);
        CheckIniKeys("System.ini", Kiln::IniFile::System, sections, findings);
        CheckSystemIniRules(sections, findings);
    }
    CheckPictures(folder, sections, findings);
    CheckEngines(folder, findings);

    // A Game.ini shipped with the game is where every player starts from.
    if (const auto gameIni = ReadFileBytes(FolderPath(folder, "Game.ini"), kMaxIniBytes)) {
        CheckEncoding("Game.ini", *gameIni, findings);
        CheckIniKeys("Game.ini", Kiln::IniFile::Game, ScanIni(*gameIni), findings);
    }
    return findings.Take();
}

}  // namespace KilnCli
