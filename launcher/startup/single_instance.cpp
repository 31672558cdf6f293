#include "launcher/startup/single_instance.h"

#include <psapi.h>
#include <shlwapi.h>

#include "kiln/base/catch_all.h"

namespace Launcher {
namespace {

DWORD FindOtherProcess(const std::string& programFileName)
{
    DWORD processes[1024] = {};
    DWORD bytes = 0;
    if (!::EnumProcesses(processes, sizeof processes, &bytes))
        return 0;
    const DWORD self = ::GetCurrentProcessId();
    for (DWORD i = 0; i < bytes / sizeof(DWORD); ++i) {
        char baseName[MAX_PATH] = "unknown";
        Kiln::UniqueHandle process(
            ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processes[i]));
        if (process) {
            HMODULE firstModule = nullptr;
            DWORD needed = 0;
            if (::EnumProcessModules(process.Get(), &firstModule, sizeof firstModule, &needed))
                ::GetModuleBaseNameA(process.Get(), firstModule, baseName, MAX_PATH);
        }
        if (::lstrcmpA(baseName, programFileName.c_str()) == 0 && processes[i] != self)
            return processes[i];
    }
    return 0;
}

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK MatchProcessWindow(HWND window, LPARAM context)
{
    return Kiln::CatchAll<BOOL>(TRUE, [&]() -> BOOL {
        auto* search = reinterpret_cast<WindowSearch*>(context);
        if (!::IsWindowVisible(window))
            return TRUE;
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner != search->processId)
            return TRUE;
        search->found = window;
        return FALSE;
    });
}

}  // namespace

std::string ProgramFileName()
{
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    ::PathStripPathA(path);
    return path;
}

InstanceMutex CreateInstanceMutex()
{
    SECURITY_DESCRIPTOR descriptor;
    ::InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    ::SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE);
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, &descriptor, TRUE};

    InstanceMutex result;
    result.handle.Reset(::CreateMutexA(&attributes, FALSE, ProgramFileName().c_str()));
    result.anotherCopyRuns = result.handle && ::GetLastError() == ERROR_ALREADY_EXISTS;
    return result;
}

HWND FindOtherCopyWindow(const std::string& programFileName)
{
    WindowSearch search = {FindOtherProcess(programFileName), nullptr};
    if (search.processId == 0)
        return nullptr;
    ::EnumWindows(MatchProcessWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace Launcher
