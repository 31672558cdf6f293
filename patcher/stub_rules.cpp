#include "patcher/stub_rules.h"

#include <algorithm>

#include "kiln/patch/ini_value.h"
#include "kiln/patch/journal.h"
#include "kiln/patch/names.h"
#include "kiln/patch/system_ini.h"

namespace Patcher {

using Kiln::Patch::ApplyResult;
using Kiln::Patch::Outcome;
using Kiln::Patch::Reason;
using Kiln::Patch::Step;

Switches ParseSwitches(const std::vector<std::string>& arguments)
{
    Switches switches;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (a == "--quiet") {
            switches.quiet = true;
        } else if (a == "--elevated") {
            switches.elevated = true;
        } else if (a == "--target" && i + 1 < arguments.size()) {
            switches.target = arguments[++i];
        } else {
            switches.valid = false;
        }
    }
    return switches;
}

std::string TargetDirectoryOf(const std::string& updateIniText)
{
    return Kiln::Patch::ReadIniValue(updateIniText, "Update", "TargetDirectory").value_or("");
}

Elevation DecideElevation(bool folderWritable, bool elevated)
{
    if (folderWritable)
        return Elevation::kApplyHere;
    return elevated ? Elevation::kCannotWrite : Elevation::kRestartElevated;
}

RunPlan PlanRun(bool folderWritable, bool elevated)
{
    const Elevation elevation = DecideElevation(folderWritable, elevated);
    return {elevation, !elevated && elevation != Elevation::kCannotWrite};
}

namespace {

std::string Lower(std::string s)
{
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    }
    return s;
}

}  // namespace

std::string VirtualStoreName(const std::string& path)
{
    if (path.size() < 3 || path[1] != ':' || (path[2] != '\\' && path[2] != '/'))
        return {};
    // The parts below the drive; the file functions take a doubled separator for one.
    std::vector<std::string> parts;
    size_t start = 3;
    while (start <= path.size()) {
        const size_t end = std::min(path.find_first_of("\\/", start), path.size());
        if (end > start)
            parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    if (parts.size() < 2)
        return {};
    const std::string top = Lower(parts.front());
    if (top != "program files" && top != "program files (x86)" && top != "windows")
        return {};
    std::string name = "VirtualStore";
    for (const std::string& part : parts)
        name += "/" + part;
    return name;
}

bool MergeVirtualisedSystemIni(Kiln::Patch::FileSystem& localAppData, const std::string& systemIni,
                               const Kiln::Patch::Payload& payload)
{
    const std::string name = VirtualStoreName(systemIni);
    if (name.empty() || !localAppData.Exists(name))
        return true;
    const auto text = localAppData.Read(name);
    const auto merged = text ? Kiln::Patch::SystemIniFor(payload, std::string(text->begin(), text->end()))
                             : std::nullopt;
    if (!merged)
        return false;
    const std::string staged = name + Kiln::Patch::kStagedSuffix;
    return localAppData.Write(staged, Kiln::Patch::Bytes(merged->begin(), merged->end())) &&
           localAppData.Replace(staged, name);
}

int ExitCodeOf(Outcome outcome)
{
    switch (outcome) {
    case Outcome::kApplied:
        return 0;
    case Outcome::kFailed:
        return 1;
    case Outcome::kRefused:
        return 2;
    }
    return 1;
}

std::u16string MessageOf(const ApplyResult& result)
{
    std::u16string file;
    Kiln::Patch::Utf8ToUtf16(result.detail, file);
    switch (result.reason) {
    case Reason::kNone:
        return result.outcome == Outcome::kApplied ? u"パッチを適用しました。" : u"パッチを適用できませんでした。";
    case Reason::kWrongVersion:
        return u"このパッチはインストールされているバージョン（" + file + u"）には適用できません。";
    case Reason::kFileDiffers:
        return u"ファイルが変更されているため、パッチを適用できません: " + file;
    case Reason::kFileMissing:
        return u"ファイルが見つからないため、パッチを適用できません: " + file;
    case Reason::kFileInTheWay:
        return u"同じ名前のファイルがあるため、パッチを適用できません: " + file;
    case Reason::kDamagedPatch:
        return u"パッチファイルが壊れています。もう一度ダウンロードしてください。";
    case Reason::kNoSpace:
        return u"ディスクの空き容量が足りません。";
    case Reason::kNoMemory:
        return u"メモリが足りないため、パッチを適用できません。ほかのアプリケーションを終了してから、もう一度お試しください: " + file;
    case Reason::kCannotChange:
        if (result.outcome == Outcome::kApplied)
            return u"パッチを適用しました。";
        return u"ファイルを書き換えられませんでした。ゲームを終了してから、もう一度お試しください: " + file;
    case Reason::kJournalUnreadable:
        return u"前回のパッチ処理の記録が読めません。";
    }
    return u"";
}

std::u16string StepText(Step step)
{
    switch (step) {
    case Step::kChecking:
        return u"ファイルを確認しています...";
    case Step::kStaging:
        return u"新しいファイルを準備しています...";
    case Step::kSwapping:
        return u"ファイルを置き換えています...";
    case Step::kCleaning:
        return u"後片付けをしています...";
    }
    return u"";
}

}  // namespace Patcher
