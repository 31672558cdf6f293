#include "kiln/cli/tool_location.h"

#include "kiln/patch/file_bytes.h"

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

std::optional<Kiln::Patch::Bytes> ReadPatchStub(const std::string& given, std::string& error)
{
    if (!given.empty()) {
        auto bytes = Kiln::Patch::ReadWholeFile(std::filesystem::u8path(given));
        if (!bytes)
            error = "cannot read the patch program's code '" + given + "' (given with --stub)";
        return bytes;
    }
    const std::filesystem::path folder = ToolFolder();
    auto bytes = folder.empty() ? std::nullopt : Kiln::Patch::ReadWholeFile(folder / kPatchStubName);
    if (!bytes)
        error = std::string("cannot find the patch program's code: no readable ") + kPatchStubName + " beside this tool" +
                (folder.empty() ? std::string() : " in '" + folder.u8string() + "'") +
                "; give it with --stub FILE (it comes beside kiln.exe in the release archive)";
    return bytes;
}

}  // namespace KilnCli
