// Runs a program and prints its exit code, its time and its peak working set, as Windows counts
// it (GetProcessMemoryInfo), for tools/patch-bench under Wine.
//   peak_memory PROGRAM [ARGS...]
#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <string>

#include "kiln/base/scoped_win.h"

namespace {

// Our command line less our own name: the program and its arguments, exactly as given.
std::wstring RestOfCommandLine()
{
    const wchar_t* line = ::GetCommandLineW();
    if (*line == L'"') {
        ++line;
        while (*line && *line != L'"')
            ++line;
        if (*line)
            ++line;
    } else {
        while (*line && *line != L' ' && *line != L'\t')
            ++line;
    }
    while (*line == L' ' || *line == L'\t')
        ++line;
    return line;
}

SIZE_T PeakOf(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    return ::GetProcessMemoryInfo(process, &counters, sizeof counters) ? counters.PeakWorkingSetSize : 0;
}

}  // namespace

int wmain(int argc, wchar_t**)
{
    std::wstring command = RestOfCommandLine();
    if (argc < 2 || command.empty()) {
        std::fprintf(stderr, "usage: peak_memory PROGRAM [ARGS...]\n");
        return 2;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    const ULONGLONG started = ::GetTickCount64();
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        std::fprintf(stderr, "peak_memory: cannot start the program (error %lu)\n", ::GetLastError());
        return 2;
    }
    const Kiln::UniqueHandle thread(info.hThread);
    const Kiln::UniqueHandle process(info.hProcess);
    // The peak so far, asked while the program runs: once it has ended there may be nothing to ask.
    SIZE_T peak = 0;
    while (::WaitForSingleObject(process.Get(), 50) == WAIT_TIMEOUT) {
        const SIZE_T now = PeakOf(process.Get());
        peak = now > peak ? now : peak;
    }
    const SIZE_T last = PeakOf(process.Get());
    peak = last > peak ? last : peak;
    if (peak == 0) {
        std::fprintf(stderr, "peak_memory: the program ended before its memory could be read\n");
        return 3;
    }
    DWORD code = 0;
    ::GetExitCodeProcess(process.Get(), &code);
    std::printf("exit %lu, %.2f s, peak working set %llu bytes (%.1f MiB)\n", code,
                static_cast<double>(::GetTickCount64() - started) / 1000.0, static_cast<unsigned long long>(peak),
                static_cast<double>(peak) / 1048576.0);
    return 0;
}
