// The patch program: finds the game folder, reads the payload after its own code, and applies
// it (see kiln/patch/apply.h). Exit codes: 0 applied, 1 failed with the folder as before,
// 2 not the version or files this patch is for.
#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <cwchar>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "kiln/base/scoped_win.h"
#include "kiln/patch/apply.h"
#include "kiln/patch/builder.h"
#include "kiln/patch/file_bytes.h"
#include "kiln/patch/journal.h"
#include "kiln/patch/names.h"
#include "patcher/stub_rules.h"
#include "patcher/stub_window.h"
#include "patcher/system_libraries.h"

namespace fs = std::filesystem;
using namespace Kiln::Patch;
using namespace Patcher;

namespace {

constexpr UINT kStoppedExitCode = 99;

const wchar_t* Wide(const std::u16string& text)
{
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

std::string Utf8(const std::wstring& text)
{
    return Utf16ToUtf8(std::u16string(text.begin(), text.end()));
}

std::wstring WideFromUtf8(const std::string& text)
{
    std::u16string wide;
    Utf8ToUtf16(text, wide);
    return std::wstring(wide.begin(), wide.end());
}

std::wstring WideFromCp932(const std::string& text)
{
    if (text.empty() || text.size() > 0x7FFFFFFF)
        return {};
    const int size = static_cast<int>(text.size());
    const int length = ::MultiByteToWideChar(932, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(932, 0, text.data(), size, wide.data(), length);
    return wide;
}

std::wstring OwnPath()
{
    std::vector<wchar_t> buffer(MAX_PATH);
    while (buffer.size() <= 32768) {
        const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size())
            return std::wstring(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
    return {};
}

// The payload after our own code; the files' contents stay in our file until applied.
std::optional<Payload> OwnPayload()
{
    std::shared_ptr<ByteSource> program = ReadableFile::Open(fs::path(OwnPath()));
    if (!program)
        return std::nullopt;
    return ReadPatchProgram(program);
}

// [Update] TargetDirectory of the Update.ini in the working folder, as the launcher wrote it.
std::wstring TargetFromUpdateIni()
{
    const auto text = ReadWholeFile(fs::path(L"Update.ini"));
    if (!text)
        return {};
    return WideFromCp932(TargetDirectoryOf(std::string(text->begin(), text->end())));
}

// Starts at the working folder: a player who put the patch in the game folder and started it
// there only has to confirm. Given as an item list (Wine selects nothing for a path in text),
// and once more after the dialog has settled: Wine's tree may still be filling at first.
int CALLBACK SelectStartFolder(HWND dialog, UINT message, LPARAM, LPARAM start)
{
    if (message == BFFM_INITIALIZED && start) {
        ::SendMessageW(dialog, BFFM_SETSELECTIONW, FALSE, start);
        ::PostMessageW(dialog, BFFM_SETSELECTIONW, FALSE, start);
    }
    return 0;
}

struct ItemListFree {
    void operator()(ITEMIDLIST_ABSOLUTE* list) const { ::ILFree(list); }
};

std::wstring AskForFolder()
{
    const std::u16string title = u"パッチを適用するゲームのフォルダーを選んでください。";
    const std::unique_ptr<ITEMIDLIST_ABSOLUTE, ItemListFree> start(::ILCreateFromPathW(fs::current_path().c_str()));
    BROWSEINFOW browse{};
    browse.lpszTitle = Wide(title);
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    browse.lpfn = SelectStartFolder;
    browse.lParam = reinterpret_cast<LPARAM>(start.get());
    PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderW(&browse);
    if (!chosen)
        return {};
    wchar_t path[MAX_PATH] = {};
    const bool ok = ::SHGetPathFromIDListW(chosen, path) != FALSE;
    ::CoTaskMemFree(chosen);
    return ok ? path : L"";
}

// A new file, never one already there: a link of that name would have the delete on close
// fall on what it points to.
bool FolderTakesWrites(const std::wstring& folder)
{
    const std::wstring probe = (fs::path(folder) / kProbeName).wstring();
    const Kiln::UniqueFileHandle file(::CreateFileW(
        probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
        FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    return static_cast<bool>(file);
}

std::wstring Quoted(const std::wstring& text)
{
    // Command-line quoting: backslashes before a quote or the end are doubled.
    std::wstring out = L"\"";
    size_t slashes = 0;
    for (const wchar_t c : text) {
        if (c == L'\\') {
            ++slashes;
            continue;
        }
        out.append(c == L'"' ? slashes * 2 + 1 : slashes, L'\\');
        slashes = 0;
        out += c;
    }
    out.append(slashes * 2, L'\\');
    return out + L"\"";
}

// Starts this program again elevated on the same folder and returns its exit code. Its file
// stays held without delete sharing until the elevated run ends, so that what elevation runs is
// this file and not one put in its place meanwhile (a running program's file can be renamed,
// though not written). Where it cannot be held (a launcher may still hold the file it checked,
// as firmly), the run goes on without.
int RunElevated(const std::wstring& folder, bool quiet)
{
    const std::wstring self = OwnPath();
    const Kiln::UniqueFileHandle held(
        ::CreateFileW(self.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    std::wstring parameters = L"--elevated --target " + Quoted(folder);
    if (quiet)
        parameters += L" --quiet";
    SHELLEXECUTEINFOW execute{};
    execute.cbSize = sizeof execute;
    execute.fMask = SEE_MASK_NOCLOSEPROCESS;
    execute.lpVerb = L"runas";
    execute.lpFile = self.c_str();
    execute.lpParameters = parameters.c_str();
    execute.nShow = SW_SHOWNORMAL;
    if (!::ShellExecuteExW(&execute) || !execute.hProcess)
        return 1;
    const Kiln::UniqueHandle process(execute.hProcess);
    ::WaitForSingleObject(process.Get(), INFINITE);
    DWORD code = 1;
    ::GetExitCodeProcess(process.Get(), &code);
    return static_cast<int>(code);
}

// The launcher that started us may still be closing: wait (bounded) until no one holds
// Launcher.exe open, so that it is not replaced under a running program.
void WaitForLauncher(const std::wstring& folder)
{
    const std::wstring launcher = (fs::path(folder) / kLauncherExe).wstring();
    for (int i = 0; i < 100; ++i) {
        const Kiln::UniqueFileHandle file(::CreateFileW(launcher.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                                        OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (file || ::GetLastError() != ERROR_SHARING_VIOLATION)
            return;
        ::Sleep(300);
    }
}

// An unelevated launcher's writes to a protected folder land in the virtual store, and it
// reads its copy of System.ini from there: that copy gets the new version's changes too, or
// the launcher would see the old settings and offer this patch again. Below the player's own
// folder, whose every part the player can change: no link is followed.
void UpdateVirtualisedSystemIni(const std::wstring& folder, const Payload& payload)
{
    wchar_t localAppData[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, localAppData)))
        return;
    DiskFileSystem player{fs::path(localAppData)};
    MergeVirtualisedSystemIni(player, Utf8((fs::path(folder) / kSystemIni).wstring()), payload);
}

constexpr char kUsage[] =
    "usage: PATCH.exe [--quiet] [--target GAMEFOLDER]\n"
    "Applies this patch to a game folder: the one --target names, else the one the Update.ini in\n"
    "the current folder names (as the launcher starts it), else the one the player chooses.\n"
    "  --quiet   no window; the reason for a failure goes to standard error\n"
    "Exit codes: 0 applied (also when the folder holds the new version already), 1 failed with the\n"
    "folder as it was, 2 the folder is not the version or files this patch is for.\n";

// Words for whoever ran us from a console or a script: the standard stream when it is
// redirected, else the console we were started from; nothing without either.
void Tell(DWORD stream, const std::string& text)
{
    HANDLE out = ::GetStdHandle(stream);
    Kiln::UniqueFileHandle console;
    if (!out || out == INVALID_HANDLE_VALUE) {
        if (!::AttachConsole(ATTACH_PARENT_PROCESS))
            return;
        console.Reset(::CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
        out = console.Get();
    }
    DWORD written = 0;
    if (out && out != INVALID_HANDLE_VALUE)
        ::WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

// A failure's reason on standard error when there is no window to show it in.
int Fail(bool quiet, const std::string& reason, int code = 1)
{
    if (quiet)
        Tell(STD_ERROR_HANDLE, "patch: " + reason + "\n");
    return code;
}

void Show(const std::u16string& text, bool quiet, UINT icon)
{
    if (!quiet)
        ::MessageBoxW(nullptr, Wide(text), Wide(u"パッチ"), MB_OK | icon);
}

// Applies the payload to the folder in this process; the exit code.
int ApplyHere(HINSTANCE instance, const std::wstring& folder, const Payload& payload, bool quiet)
{
    if (payload.launcherUpdate)
        WaitForLauncher(folder);
    // For the interruption tests: the process ends abruptly, as a kill would end it, before
    // change number KILN_PATCH_STOP_BEFORE of the run.
    wchar_t stopText[16] = {};
    const DWORD stopLength = ::GetEnvironmentVariableW(L"KILN_PATCH_STOP_BEFORE", stopText, 16);
    const long stopBefore = stopLength > 0 && stopLength < 16 ? std::wcstol(stopText, nullptr, 10) : -1;
    auto work = [&](const Progress& progress) {
        DiskFileSystem disk{fs::path(folder)};
        long changes = 0;
        WatchedFileSystem files(disk, [&changes, stopBefore] {
            if (changes++ == stopBefore)
                ::TerminateProcess(::GetCurrentProcess(), kStoppedExitCode);
        });
        return ApplyPayload(payload, files, progress);
    };
    const ApplyResult result = quiet ? work({}) : RunWithProgressWindow(instance, work);
    if (result.outcome != Outcome::kApplied)
        return Fail(quiet, Describe(result), ExitCodeOf(result.outcome));
    return ExitCodeOf(result.outcome);
}

// What follows a patched folder for the player, in a run that runs as the player.
void FinishForPlayer(const std::wstring& folder, const Payload& payload, bool quiet)
{
    UpdateVirtualisedSystemIni(folder, payload);
    if (payload.launcherUpdate && !quiet &&
        ::MessageBoxW(nullptr, Wide(u"新しいランチャーを起動しますか？"), Wide(u"パッチ"), MB_YESNO | MB_ICONQUESTION) ==
            IDYES) {
        const std::wstring launcher = (fs::path(folder) / kLauncherExe).wstring();
        ::ShellExecuteW(nullptr, L"open", launcher.c_str(), nullptr, folder.c_str(), SW_SHOWNORMAL);
    }
}

int Run(HINSTANCE instance)
{
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    std::vector<std::string> arguments;
    for (int i = 1; argv && i < argc; ++i)
        arguments.push_back(Utf8(argv[i]));
    if (argv)
        ::LocalFree(argv);
    for (const std::string& argument : arguments) {
        if (argument == "--help" || argument == "-h" || argument == "/?") {
            Tell(STD_OUTPUT_HANDLE, kUsage);
            return 0;
        }
    }
    const Switches switches = ParseSwitches(arguments);
    if (!switches.valid) {
        Tell(STD_ERROR_HANDLE, std::string("patch: unknown arguments\n") + kUsage);
        return 1;
    }

    const auto payload = OwnPayload();
    if (!payload) {
        Show(MessageOf({Outcome::kFailed, Reason::kDamagedPatch, ""}), switches.quiet, MB_ICONERROR);
        return Fail(switches.quiet, "this patch program is damaged (no payload after its code): download it again");
    }
    std::wstring folder = WideFromUtf8(switches.target);
    if (folder.empty())
        folder = TargetFromUpdateIni();
    if (folder.empty() && !switches.quiet)
        folder = AskForFolder();
    if (folder.empty())
        return Fail(switches.quiet, "no game folder: name it with --target GAMEFOLDER");

    const RunPlan plan = PlanRun(FolderTakesWrites(folder), switches.elevated);
    int code = 1;
    switch (plan.elevation) {
    case Elevation::kApplyHere:
        code = ApplyHere(instance, folder, *payload, switches.quiet);
        break;
    case Elevation::kRestartElevated:
        code = RunElevated(folder, switches.quiet);
        break;
    case Elevation::kCannotWrite:
        Show(MessageOf({Outcome::kFailed, Reason::kCannotChange, Utf8(folder)}), switches.quiet, MB_ICONERROR);
        return Fail(switches.quiet, Describe({Outcome::kFailed, Reason::kCannotChange, Utf8(folder)}));
    }
    if (code == 0 && plan.finishesForPlayer)
        FinishForPlayer(folder, *payload, switches.quiet);
    return code;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    // Before anything else can load a library (the start-up code before us loads none).
    SearchSystemFolderOnly();
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int code = 1;
    try {
        code = Run(instance);
    } catch (...) {
        code = 1;  // out of memory: nothing swapped without a journal to finish it
    }
    ::CoUninitialize();
    return code;
}
