#include "kiln/patch/builder.h"

#include <future>

#include "kiln/patch/delta_windows.h"
#include "kiln/patch/file_bytes.h"
#include "kiln/patch/folder_compare.h"
#include "kiln/patch/ini_value.h"
#include "kiln/patch/names.h"
#include "kiln/patch/system_ini.h"
#include "kiln/patch/trailing_digest.h"

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

// A file's contents, encoded, with its sizes and digests.
struct EncodedFile {
    Encoded encoded;
    uint64_t oldSize = 0;
    uint64_t newSize = 0;
    Sha256 oldHash{};
    Sha256 newHash{};
};

// Both versions in memory: compressed whole and as a delta, the smaller kept, their digests
// taken on threads of their own meanwhile. System.ini travels whole: the installed one may
// differ from the old version's.
std::optional<EncodedFile> EncodeInMemory(const Bytes& old, const Bytes& next, bool systemIni, int level)
{
    TrailingDigest oldHash(old.data(), old.size());
    TrailingDigest newHash(next.data(), next.size());
    oldHash.Filled(old.size());
    newHash.Filled(next.size());
    auto encoded = EncodeContents(systemIni ? Bytes{} : old, next, level);
    if (!encoded)
        return std::nullopt;
    return EncodedFile{std::move(*encoded), old.size(), next.size(), oldHash.Finish(), newHash.Finish()};
}

// A large file, read a piece at a time: a changed one as a delta in windows, a new one
// compressed whole. The digests are taken on threads of their own meanwhile.
std::optional<EncodedFile> EncodeLarge(const fs::path* oldPath, const fs::path& nextPath, int level,
                                       const std::function<void(uint64_t done)>& encodedBytes)
{
    const auto next = ReadableFile::Open(nextPath);
    const auto old = oldPath ? ReadableFile::Open(*oldPath) : nullptr;
    if (!next || (oldPath && !old))
        return std::nullopt;
    auto newHash = std::async(std::launch::async, [&] { return HashFile(nextPath); });
    auto oldHash = std::async(std::launch::async, [&] { return oldPath ? HashFile(*oldPath) : Sha256{}; });
    EncodedFile file;
    file.newSize = next->Size();
    file.oldSize = old ? old->Size() : 0;
    auto data = old ? EncodeDelta(*old, *next, level, {}, encodedBytes) : CompressSource(*next, level, encodedBytes);
    const auto oldDigest = oldHash.get();
    const auto newDigest = newHash.get();
    if (!data || !oldDigest || !newDigest)
        return std::nullopt;
    file.encoded = Encoded{old ? Method::kDelta : Method::kWhole, std::move(*data)};
    file.oldHash = *oldDigest;
    file.newHash = *newDigest;
    return file;
}

bool FitsInMemory(const fs::path* oldPath, const fs::path& nextPath)
{
    std::error_code code;
    const uint64_t nextSize = fs::file_size(nextPath, code);
    const uint64_t oldSize = oldPath ? fs::file_size(*oldPath, code) : 0;
    return code || (nextSize <= kMaxWindow && oldSize <= kMaxPrefix);  // unreadable: said when read
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
        std::error_code code;
        const uint64_t size = fs::file_size(PathOf(newRoot, name), code);
        const size_t filesDone = encoded++;
        const auto step = [&](uint64_t done) {
            if (progress)
                progress({name, done, code ? 0 : size, filesDone, withContents});
        };
        step(0);
        Entry entry;
        entry.kind = changed ? EntryKind::kChangeFile : EntryKind::kAddFile;
        entry.name = name;
        const bool systemIni = IsSystemIni(name);
        const fs::path nextPath = PathOf(newRoot, name);
        const fs::path oldPath = PathOf(oldRoot, name);
        std::optional<EncodedFile> file;
        std::optional<Bytes> old;
        if (systemIni || FitsInMemory(changed ? &oldPath : nullptr, nextPath)) {
            const auto next = ReadWholeFile(nextPath);
            old = changed ? ReadWholeFile(oldPath) : std::optional<Bytes>(Bytes{});
            if (!next || !old) {
                if (error)
                    *error = "cannot read '" + name + "'";
                return false;
            }
            file = EncodeInMemory(*old, *next, systemIni, level);
        } else {
            file = EncodeLarge(changed ? &oldPath : nullptr, nextPath, level, step);
        }
        if (!file) {
            if (error)
                *error = "cannot read or compress '" + name + "'";
            return false;
        }
        entry.method = file->encoded.method;
        entry.data = std::move(file->encoded.data);
        entry.oldSize = file->oldSize;
        entry.newSize = file->newSize;
        if (changed)
            entry.oldHash = file->oldHash;
        entry.newHash = file->newHash;
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
