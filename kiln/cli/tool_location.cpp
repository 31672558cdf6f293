#include "kiln/cli/tool_location.h"

#ifdef _WIN32
#include <windows.h>

#include <vector>
#endif

namespace KilnCli {

std::filesystem::path ToolFolder()
{
#ifdef _WIN32
    std::vector<wchar_t> buffer(MAX_PATH);
    while (true) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size())
            return std::filesystem::path(std::wstring(buffer.data(), length)).parent_path();
        if (buffer.size() >= 32768)
            return {};
        buffer.resize(buffer.size() * 2);
    }
#else
    std::error_code code;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", code);
    return code ? std::filesystem::path() : self.parent_path();
#endif
}

}  // namespace KilnCli
