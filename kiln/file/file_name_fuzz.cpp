// File names come from data files and settings a player can edit.
#include <cstddef>
#include <cstdint>
#include <string>

#include "kiln/base/text.h"
#include "kiln/file/file_name.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The input is "root\0name"; without a NUL it is all name.
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t split = input.find('\0');
    const std::string root = split == std::string::npos ? std::string("C:\\Game\\") : input.substr(0, split);
    const std::string name = split == std::string::npos ? input : input.substr(split + 1);

    const std::string full = Kiln::FileName::FullName(name, root, Kiln::IsShiftJisLeadByte);
    const std::string display = Kiln::FileName::DisplayName(name, root, Kiln::IsShiftJisLeadByte);
    if (full.size() > root.size() + name.size() || display.size() > name.size())
        __builtin_trap();
    if (name.size() >= 2 && !Kiln::FileName::IsAbsolute(full) && full.compare(0, root.size(), root) != 0)
        __builtin_trap();
    Kiln::AsciiLower(display);
    return 0;
}
