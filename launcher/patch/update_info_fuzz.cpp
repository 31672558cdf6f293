// The update information comes from any server the configuration names.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "launcher/patch/update_info.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto entries = Launcher::ParseUpdateInfo(text);
    size_t total = 0;
    for (const Launcher::UpdateEntry& entry : entries) {
        // fields are pieces of their line: no CR, LF or comma inside
        for (const std::string* field : {&entry.version, &entry.digest}) {
            if (field->find_first_of("\r\n,") != std::string::npos)
                __builtin_trap();
            total += field->size();
        }
    }
    if (total > size)
        __builtin_trap();
    const std::string installed = entries.empty() ? std::string(text.substr(0, 4)) : entries.front().version;
    const auto next = Launcher::FindNextPatch(entries, installed);
    if (!entries.empty() && next.kind == Launcher::NextPatch::Kind::VersionUnknown)
        __builtin_trap();
    return 0;
}
