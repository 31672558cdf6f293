// Test engine: records how it was started into engine-record.txt beside itself, then
// returns at once.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string ModulePath()
{
    HMODULE self = nullptr;
    ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCSTR>(&ModulePath), &self);
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(self, path, MAX_PATH);
    return path;
}

}  // namespace

extern "C" __declspec(dllexport) void WINAPI RunEngine(const char* commandLine, HICON icon)
{
    const std::string module = ModulePath();
    const std::string folder = module.substr(0, module.find_last_of('\\') + 1);
    FILE* record = std::fopen((folder + "engine-record.txt").c_str(), "wb");
    if (!record)
        return;
    std::fprintf(record, "library=%s\ncommand=%s\nicon=%d\n", module.substr(folder.size()).c_str(),
                 commandLine ? commandLine : "(null)", icon != nullptr ? 1 : 0);
    std::fclose(record);
}
