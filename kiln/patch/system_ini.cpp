#include "kiln/patch/system_ini.h"

#include "kiln/patch/builder.h"
#include "kiln/patch/ini_value.h"
#include "kiln/patch/names.h"

namespace Kiln::Patch {

bool IsSystemIni(const std::string& name)
{
    return FoldedName(name) == FoldedName(kSystemIni);
}

std::optional<std::string> SystemIniFor(const Payload& payload, std::string_view installed)
{
    for (const Entry& entry : payload.entries) {
        if (entry.kind != EntryKind::kChangeFile || !IsSystemIni(entry.name))
            continue;
        // Always whole: a delta would need the old file, which the folder may no longer hold.
        if (entry.method != Method::kWhole)
            return std::nullopt;
        const auto next = DecodeContents(Method::kWhole, {}, entry.data, entry.newSize);
        if (!next || HashBytes(next->data(), next->size()) != entry.newHash)
            return std::nullopt;
        const std::string_view nextText(reinterpret_cast<const char*>(next->data()), next->size());
        const auto installedBytes = reinterpret_cast<const uint8_t*>(installed.data());
        if (HashBytes(installedBytes, installed.size()) == entry.oldHash)
            return std::string(nextText);
        return MergeIniText(payload.oldSystemIni, installed, nextText);
    }
    return std::nullopt;
}

}  // namespace Kiln::Patch
