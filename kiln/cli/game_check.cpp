#include "kiln/cli/game_check.h"

#include <cstdio>
#include <filesystem>

#include "kiln/cli/check_parts.h"
#include "kiln/cli/cli_support.h"
#include "kiln/patch/names.h"

namespace fs = std::filesystem;

namespace KilnCli {
namespace {

constexpr char kLauncherName[] = "Launcher.exe";

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

// The folder's own spelling of `part`: Windows finds a file whatever the case of its name, and
// so must a check made on another system.
std::string FolderEntry(const std::string& folder, const std::string& part)
{
    std::error_code code;
    const fs::path parent = folder.empty() ? fs::path(".") : fs::path(folder);
    if (fs::exists(parent / part, code))
        return part;
    const std::u16string wanted = Kiln::Patch::FoldedName(part);
    for (const auto& entry : fs::directory_iterator(parent, code)) {
        const std::string name = entry.path().filename().string();
        if (!wanted.empty() && Kiln::Patch::FoldedName(name) == wanted)
            return name;
    }
    return part;
}

void AddSystemIniFindings(const std::string& folder, Findings& findings, std::vector<IniSection>& sections)
{
    ReadError error = ReadError::kNone;
    const auto systemIni = ReadFileBytes(FolderPath(folder, "System.ini"), kMaxIniBytes, &error);
    if (!systemIni) {
        findings.Add(FindingLevel::kError, "System.ini",
                     std::string(error == ReadError::kCannotRead ? "is missing" : Describe(error)) +
                         "; the launcher reads every key as its default: the title \"MZKPlayer\", no pictures, "
                         "no key labels");
        return;
    }
    CheckEncoding("System.ini", *systemIni, findings);
    sections = ScanIni(*systemIni);
    CheckIniKeys("System.ini", Kiln::IniFile::System, sections, findings);
    CheckSystemIniRules(sections, findings);
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
        if (byte >= 0x20 && byte < 0x7F && c != '"') {
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
    size_t start = 0;
    while (start <= relative.size()) {
        size_t end = relative.find_first_of("/\\", start);
        if (end == std::string::npos)
            end = relative.size();
        const std::string part = relative.substr(start, end - start);
        start = end + 1;
        if (part.empty())
            continue;
        if (!path.empty() && path.back() != '/' && path.back() != '\\')
            path += '/';
        path += FolderEntry(path, part);
    }
    return path;
}

std::vector<Finding> CheckSystemIni(const std::string& folder)
{
    Findings findings;
    std::vector<IniSection> sections;
    AddSystemIniFindings(folder, findings, sections);
    return findings.Take();
}

std::vector<Finding> CheckGameFolder(const std::string& folder)
{
    Findings findings;
    std::error_code code;
    if (!fs::is_directory(fs::path(folder), code)) {
        findings.Add(FindingLevel::kError, folder,
                     fs::exists(fs::path(folder), code) ? "is not a folder" : "does not exist");
        return findings.Take();
    }
    std::vector<IniSection> sections;
    AddSystemIniFindings(folder, findings, sections);
    CheckPictures(folder, sections, findings);
    CheckEngines(folder, findings);
    if (!fs::exists(fs::path(FolderPath(folder, kLauncherName)), code))
        findings.Add(FindingLevel::kWarning, kLauncherName,
                     "is missing; players start the game with it (a patch that changes the launcher is "
                     "recognised under this name only)");

    // A Game.ini shipped with the game is where every player starts from.
    if (const auto gameIni = ReadFileBytes(FolderPath(folder, "Game.ini"), kMaxIniBytes)) {
        CheckEncoding("Game.ini", *gameIni, findings);
        CheckIniKeys("Game.ini", Kiln::IniFile::Game, ScanIni(*gameIni), findings);
    }
    return findings.Take();
}

}  // namespace KilnCli
