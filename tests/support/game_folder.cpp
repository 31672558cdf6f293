#include "tests/support/game_folder.h"

#include <shlwapi.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace KilnTest {
namespace {

void RemoveTree(const std::string& folder)
{
    WIN32_FIND_DATAA entry;
    HANDLE find = ::FindFirstFileA((folder + "*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = entry.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string path = folder + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path + "\\");
            } else {
                ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileA(path.c_str());
            }
        } while (::FindNextFileA(find, &entry));
        ::FindClose(find);
    }
    ::RemoveDirectoryA(folder.c_str());
}

}  // namespace

std::string BinDirectory()
{
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

std::string ReadFileText(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

void WriteFileText(const std::string& path, const std::string& text)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    if (!file)
        throw std::runtime_error("cannot write " + path);
}

GameFolder::GameFolder(const std::string& name)
{
    const std::string sandbox = BinDirectory() + "sandbox\\";
    ::CreateDirectoryA(sandbox.c_str(), nullptr);
    path_ = sandbox + name + "\\";
    RemoveTree(path_);
    if (!::CreateDirectoryA(path_.c_str(), nullptr))
        throw std::runtime_error("cannot create " + path_);
}

void GameFolder::CopyFromBin(const std::string& binFile, const std::string& asName) const
{
    if (!::CopyFileA((BinDirectory() + binFile).c_str(), PathOf(asName).c_str(), FALSE))
        throw std::runtime_error("cannot copy " + binFile);
}

void GameFolder::AddLauncher(const std::string& asName) const
{
    CopyFromBin("Launcher.exe", asName);
}

void GameFolder::AddRecordingEngines() const
{
    for (const char* name : {"Engine.dll", "Engine_Debug.dll", "Engine_Test.dll"})
        CopyFromBin("RecordEngine.dll", name);
}

void GameFolder::Write(const std::string& file, const std::string& text) const
{
    WriteFileText(PathOf(file), text);
}

void GameFolder::WriteSparse(const std::string& file, uint64_t size) const
{
    HANDLE handle = ::CreateFileA(PathOf(file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    const bool made = handle != INVALID_HANDLE_VALUE && ::SetFilePointerEx(handle, end, nullptr, FILE_BEGIN) &&
                      ::SetEndOfFile(handle);
    if (handle != INVALID_HANDLE_VALUE)
        ::CloseHandle(handle);
    if (!made)
        throw std::runtime_error("cannot make " + file);
}

std::string GameFolder::Read(const std::string& file) const
{
    return ReadFileText(PathOf(file));
}

bool GameFolder::Exists(const std::string& file) const
{
    return ::PathFileExistsA(PathOf(file).c_str()) != FALSE;
}

std::string GameFolder::EngineRecord() const
{
    return Exists("engine-record.txt") ? Read("engine-record.txt") : std::string();
}

Process::Process(const std::string& program, const std::string& arguments)
{
    std::string commandLine = "\"" + program + "\"";
    if (!arguments.empty())
        commandLine += " " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &info_))
        info_ = {};
}

Process::~Process()
{
    if (!info_.hProcess)
        return;
    if (::WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
        ::TerminateProcess(info_.hProcess, 99);
        ::WaitForSingleObject(info_.hProcess, 5000);
    }
    ::CloseHandle(info_.hThread);
    ::CloseHandle(info_.hProcess);
}

long Process::WaitForExit(DWORD timeoutMs)
{
    if (!info_.hProcess || ::WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    ::GetExitCodeProcess(info_.hProcess, &code);
    return static_cast<long>(code);
}

}  // namespace KilnTest
