#include "kiln/patch/builder.h"

#include "kiln/patch/file_bytes.h"
#include "kiln/patch/folder_compare.h"
#include "kiln/patch/ini_value.h"
#include "kiln/patch/names.h"
#include "kiln/patch/system_ini.h"

namespace fs = std::filesystem;

namespace Kiln::Patch {
namespace {

std::optional<Payload> Fail(std::string* error, const std::string& why)
{
    if (error)
        *error = why;
    return std::nullopt;
}

// The folder's own spelling of a name, found without case.
fs::path FindInFolder(const fs::path& root, const std::string& name)
{
    std::error_code code;
    const std::u16string wanted = FoldedName(name);
    for (const auto& item : fs::directory_iterator(root, code)) {
        if (FoldedName(item.path().filename().u8string()) == wanted)
            return item.path();
    }
    return root / fs::u8path(name);
}

}  // namespace

std::optional<std::string> FolderVersion(const fs::path& root)
{
    const auto text = ReadWholeFile(FindInFolder(root, kSystemIni));
    if (!text)
        return std::nullopt;
    return ReadIniValue(std::string_view(reinterpret_cast<const char*>(text->data()), text->size()), "Game",
                        "Version");
}

std::optional<Payload> BuildPayload(const fs::path& oldRoot, const fs::path& newRoot, std::string* error, int level,
                                    BuildReport* report, const BuildProgress& progress)
{
    Payload payload;
    const auto from = FolderVersion(oldRoot);
    const auto to = FolderVersion(newRoot);
    if (!from || from->empty())
        return Fail(error, "the old folder's System.ini has no [Game] Version");
    if (!to || to->empty())
        return Fail(error, "the new folder's System.ini has no [Game] Version");
    if (*from == *to)
        return Fail(error, "both folders hold version " + *from);
    payload.fromVersion = *from;
    payload.toVersion = *to;

    const auto leaveOut = LeaveOut::FromFolder(newRoot, error);
    if (!leaveOut)
        return std::nullopt;
    const auto diff = CompareFolders(oldRoot, newRoot, error, &*leaveOut);
    if (!diff)
        return std::nullopt;
    if (report)
        report->leftOut = diff->leftOut;
    const size_t withContents = diff->addedFiles.size() + diff->changedFiles.size();
    size_t encoded = 0;
    const std::u16string launcher = FoldedName(kLauncherExe);
    for (const std::string& name : diff->addedFolders) {
        Entry entry;
        entry.kind = EntryKind::kAddFolder;
        entry.method = static_cast<Method>(0);
        entry.name = name;
        payload.entries.push_back(std::move(entry));
    }
    auto addContents = [&](const std::string& name, bool changed) -> bool {
        if (progress) {
            std::error_code code;
            const uint64_t size = fs::file_size(PathOf(newRoot, name), code);
            progress(name, code ? 0 : size, encoded++, withContents);
        }
        Entry entry;
        entry.kind = changed ? EntryKind::kChangeFile : EntryKind::kAddFile;
        entry.name = name;
        const auto next = ReadWholeFile(PathOf(newRoot, name));
        const auto old = changed ? ReadWholeFile(PathOf(oldRoot, name)) : std::optional<Bytes>(Bytes{});
        if (!next || !old) {
            if (error)
                *error = "cannot read '" + name + "'";
            return false;
        }
        // System.ini travels whole: the installed one may differ from the old version's.
        const bool systemIni = IsSystemIni(name);
        const auto encoded = EncodeContents(systemIni ? Bytes{} : *old, *next, level);
        if (!encoded) {
            if (error)
                *error = "cannot compress '" + name + "'";
            return false;
        }
        entry.method = encoded->method;
        entry.data = std::move(encoded->data);
        entry.oldSize = old->size();
        entry.newSize = next->size();
        if (changed)
            entry.oldHash = HashBytes(old->data(), old->size());
        entry.newHash = HashBytes(next->data(), next->size());
        if (FoldedName(name) == launcher)
            payload.launcherUpdate = true;
        if (systemIni && changed)
            payload.oldSystemIni.assign(old->begin(), old->end());
        payload.entries.push_back(std::move(entry));
        return true;
    };
    for (const std::string& name : diff->addedFiles) {
        if (!addContents(name, false))
            return std::nullopt;
    }
    for (const std::string& name : diff->changedFiles) {
        if (!addContents(name, true))
            return std::nullopt;
    }
    for (const std::string& name : diff->removedFiles) {
        Entry entry;
        entry.kind = EntryKind::kRemoveFile;
        entry.method = static_cast<Method>(0);
        entry.name = name;
        const auto old = HashFile(PathOf(oldRoot, name));
        std::error_code code;
        entry.oldSize = fs::file_size(PathOf(oldRoot, name), code);
        if (!old || code)
            return Fail(error, "cannot read '" + name + "'");
        entry.oldHash = *old;
        payload.entries.push_back(std::move(entry));
    }
    for (const std::string& name : diff->removedFolders) {
        Entry entry;
        entry.kind = EntryKind::kRemoveFolder;
        entry.method = static_cast<Method>(0);
        entry.name = name;
        payload.entries.push_back(std::move(entry));
    }
    return payload;
}

}  // namespace Kiln::Patch
