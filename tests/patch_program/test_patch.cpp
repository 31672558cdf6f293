// A patch program for the auto-patcher's tests. Its file ends in "KILNPATCH:<version>:<exit
// code>\n" (appended by the test after the program image). Run in the working folder, it reads
// Update.ini there, notes "<version>" in TargetDirectory\patch_runs.txt, raises [Game] Version
// of TargetDirectory\System.ini when it exits with 0, and exits with the code it carries.
// "KILNPATCH:<version>:<exit code>:<program>" also starts <program> --linger in the working
// folder as it ends: a helper that keeps that folder as its current one for a second longer.
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

// The end of its own file, where the trailer is (the file may be gigabytes long).
std::string ReadOwnTail()
{
    constexpr std::streamoff kTail = 4096;
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    const std::streamoff size = file.tellg();
    file.seekg(size > kTail ? size - kTail : 0);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    if (std::string(commandLine) == "--linger") {
        ::Sleep(1000);
        return 0;
    }
    const std::string self = ReadOwnTail();
    const size_t marker = self.rfind("KILNPATCH:");
    if (marker == std::string::npos)
        return 2;
    const std::string trailer = self.substr(marker + 10);
    const size_t colon = trailer.find(':');
    const std::string version = trailer.substr(0, colon);
    const int exitCode = std::atoi(trailer.c_str() + colon + 1);
    const size_t helperColon = trailer.find(':', colon + 1);
    const std::string helper =
        helperColon == std::string::npos ? "" : trailer.substr(helperColon + 1, trailer.find('\n') - helperColon - 1);

    char folder[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, folder);
    const std::string updateIni = std::string(folder) + "\\Update.ini";
    char target[MAX_PATH] = {};
    ::GetPrivateProfileStringA("Update", "TargetDirectory", "", target, MAX_PATH, updateIni.c_str());
    if (target[0] == '\0')
        return 3;
    std::ofstream(std::string(target) + "patch_runs.txt", std::ios::app | std::ios::binary) << version << "\n";
    if (exitCode == 0)
        ::WritePrivateProfileStringA("Game", "Version", version.c_str(), (std::string(target) + "System.ini").c_str());
    if (!helper.empty()) {
        std::string line = "\"" + helper + "\" --linger";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started = {};
        if (::CreateProcessA(helper.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder, &startup,
                             &started)) {
            ::CloseHandle(started.hThread);
            ::CloseHandle(started.hProcess);
        }
    }
    return exitCode;
}
