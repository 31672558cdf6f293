#include "patcher/stub_rules.h"

#include "kiln/patch/ini_value.h"
#include "kiln/patch/names.h"

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

namespace {

std::string Lower(std::string s)
{
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
        if (c == '/')
            c = '\\';
    }
    return s;
}

bool StartsWithFolder(const std::string& path, const std::string& folder)
{
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
           path[folder.size()] == '\\';
}

}  // namespace

std::string VirtualStorePath(const std::string& localAppData, const std::string& path)
{
    if (localAppData.empty() || path.size() < 3 || path[1] != ':' || (path[2] != '\\' && path[2] != '/'))
        return {};
    const std::string rest = path.substr(3);
    const std::string lower = Lower(rest);
    if (!StartsWithFolder(lower, "program files") && !StartsWithFolder(lower, "program files (x86)") &&
        !StartsWithFolder(lower, "windows"))
        return {};
    std::string store = localAppData;
    if (store.back() != '\\')
        store += '\\';
    store += "VirtualStore\\";
    for (const char c : rest)
        store += c == '/' ? '\\' : c;
    return store;
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
