#include "launcher/patch/patch_files.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <vector>

#include "kiln/base/profile.h"
#include "kiln/base/profile_file.h"
#include "kiln/base/scoped_win.h"
#include "kiln/base/text.h"
#include "launcher/patch/patch_rules.h"

namespace Launcher::Patch {
namespace {

constexpr size_t kListValueBufferSize = 256;
constexpr DWORD kSettlePollMs = 50;

// A folder that refuses its removal for a moment: held by a process that is ending. Not
// one that is gone or still holds files.
bool FolderMayStillGo(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED;
}

std::vector<std::string> ReadPathList(const std::string& ini, const char* section, const char* keyTemplate)
{
    return Kiln::Profile::ReadNumberedList([&](int number) {
        const std::string key = Kiln::FormatTemplate(keyTemplate, number);
        return Kiln::Profile::ReadString(ini, section, key.c_str(), "end", kListValueBufferSize);
    });
}

}  // namespace

std::string DocumentsFolder(HWND owner)
{
    char path[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathA(owner, path, CSIDL_PERSONAL, FALSE))
        return {};
    return path;
}

void CreateFolderTree(HWND owner, const std::string& folder)
{
    ::SHCreateDirectoryExA(owner, folder.c_str(), nullptr);
}

bool WriteFreshFile(const std::string& path, std::string_view bytes)
{
    if (!::DeleteFileA(path.c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND)
        return false;
    // CREATE_NEW: a file planted between the removal and here is not written into either.
    Kiln::UniqueFileHandle file(
        ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    while (!bytes.empty()) {
        const DWORD piece = static_cast<DWORD>(std::min<size_t>(bytes.size(), 0x10000000));
        DWORD written = 0;
        if (!::WriteFile(file.Get(), bytes.data(), piece, &written, nullptr) || written == 0)
            return false;
        bytes.remove_prefix(written);
    }
    return ::FlushFileBuffers(file.Get()) != FALSE;
}

Kiln::UniqueFileHandle HoldFile(const std::string& path)
{
    return Kiln::UniqueFileHandle(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                                FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool StartPatchProgram(HWND owner, const std::string& patchFilePath, HANDLE& process)
{
    const std::string folder = FolderOf(patchFilePath);
    SHELLEXECUTEINFOA execute = {};
    execute.cbSize = sizeof execute;
    execute.fMask = SEE_MASK_NOCLOSEPROCESS;
    execute.hwnd = owner;
    execute.lpFile = patchFilePath.c_str();
    execute.lpDirectory = folder.c_str();
    execute.nShow = SW_SHOWNORMAL;
    const BOOL started = ::ShellExecuteExA(&execute);
    process = execute.hProcess;
    return started && reinterpret_cast<INT_PTR>(execute.hInstApp) > 32;
}

}  // namespace Launcher::Patch

namespace Launcher {

void RemoveUpdateFiles(unsigned settleMs)
{
    const std::string documents = Patch::DocumentsFolder(::GetDesktopWindow());
    const std::string ini = Patch::WorkingFilePath(documents, Patch::kUpdateIniName);
    const std::vector<std::string> files = Patch::ReadPathList(ini, "WrittenFile", "File%1%");
    std::vector<std::string> folders = Patch::ReadPathList(ini, "CreateDirectory", "Directory%1%");
    for (const std::string& file : files)
        ::DeleteFileA(file.c_str());
    // The working folder goes too once nothing is left in it, also when no Update.ini names it.
    if (!documents.empty())
        folders.push_back(Patch::WorkingFolder(documents));
    const DWORD start = ::GetTickCount();
    for (const std::string& folder : folders) {
        while (!::RemoveDirectoryA(folder.c_str()) && Patch::FolderMayStillGo(::GetLastError()) &&
               ::GetTickCount() - start < settleMs)
            ::Sleep(Patch::kSettlePollMs);
    }
}

}  // namespace Launcher
