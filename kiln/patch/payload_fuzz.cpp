#include <cstddef>
#include <cstdint>

#include "kiln/patch/ini_value.h"
#include "kiln/patch/payload.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto payload = Kiln::Patch::ReadPayload(data, size);
    if (payload) {
        // What reads back must write back to the same bytes.
        const Kiln::Patch::Bytes again = Kiln::Patch::WritePayload(*payload);
        if (again.size() != size)
            __builtin_trap();
        // Three profile texts from the old System.ini's bytes; a folder that still holds the
        // old text gets the new one unchanged.
        const std::string_view ini = payload->oldSystemIni;
        const std::string_view old = ini.substr(0, ini.size() / 3);
        const std::string_view installed = ini.substr(ini.size() / 3, ini.size() / 3);
        const std::string_view next = ini.substr(2 * (ini.size() / 3));
        Kiln::Patch::MergeIniText(old, installed, next);
        if (Kiln::Patch::MergeIniText(old, old, next) != next)
            __builtin_trap();
    }
    if (size >= Kiln::Patch::kTrailerSize)
        Kiln::Patch::ReadTrailer(data + size - Kiln::Patch::kTrailerSize, size);
    return 0;
}
