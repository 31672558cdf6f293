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
        SourceReader contents = ContentsOf(entry);
        std::string nextText;
        const bool decoded =
            DecodeWholeInPieces(contents, entry.newSize, [&nextText](const uint8_t* data, size_t size) {
                nextText.append(reinterpret_cast<const char*>(data), size);
                return true;
            });
        const auto nextBytes = reinterpret_cast<const uint8_t*>(nextText.data());
        if (!decoded || HashBytes(nextBytes, nextText.size()) != entry.newHash)
            return std::nullopt;
        const auto installedBytes = reinterpret_cast<const uint8_t*>(installed.data());
        if (HashBytes(installedBytes, installed.size()) == entry.oldHash)
            return nextText;
        return MergeIniText(payload.oldSystemIni, installed, nextText);
    }
    return std::nullopt;
}

}  // namespace Kiln::Patch
