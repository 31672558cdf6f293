// The update information comes from any server the configuration names.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "launcher/patch/information_stamp.h"
#include "launcher/patch/patch_rules.h"
#include "launcher/patch/resume_record.h"
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
    // A plain version never holds what would lead out of a folder.
    if (next.kind == Launcher::NextPatch::Kind::Patch && Launcher::Patch::IsPlainVersion(next.entry.version) &&
        next.entry.version.find_first_of("\\/:") != std::string::npos)
        __builtin_trap();

    // Re-stamping keeps the entries and reads back the stamp written.
    const auto stamp = Launcher::Patch::ReadStamp(text);
    Launcher::Patch::InformationStamp written{stamp ? stamp->serial : size, static_cast<int64_t>(size) * 86400};
    const std::string stamped = Launcher::Patch::WriteStamp(text, written);
    const auto reread = Launcher::Patch::ReadStamp(stamped);
    if (!reread || reread->serial != written.serial || reread->expires != written.expires)
        __builtin_trap();
    if (Launcher::ParseUpdateInfo(stamped).size() != entries.size())
        __builtin_trap();

    // A partial download's record (a file of the working folder) reads back as written.
    if (const auto record = Launcher::Patch::ReadResumeRecord(text)) {
        const auto again = Launcher::Patch::ReadResumeRecord(Launcher::Patch::WriteResumeRecord(*record));
        if (!again || again->fileName != record->fileName || again->validator != record->validator ||
            again->total != record->total)
            __builtin_trap();
    }
    return 0;
}
