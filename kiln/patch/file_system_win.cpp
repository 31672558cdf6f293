// DiskFileSystem on Windows: every name is opened part by part from the handle of the folder
// above it (NtCreateFile with a root directory), never through a link, and the folders on the
// way stay open without delete sharing while a call runs.
#include <windows.h>

#include <winternl.h>

#include <algorithm>
#include <new>
#include <vector>

#include "kiln/base/scoped_win.h"
#include "kiln/patch/file_system.h"
#include "kiln/patch/names.h"

extern "C" NTSTATUS NTAPI NtQueryDirectoryFile(HANDLE file, HANDLE event, PIO_APC_ROUTINE routine, PVOID context,
                                               PIO_STATUS_BLOCK io, PVOID information, ULONG length,
                                               FILE_INFORMATION_CLASS kind, BOOLEAN single, PUNICODE_STRING name,
                                               BOOLEAN restart);

namespace fs = std::filesystem;

namespace Kiln::Patch {

namespace {

constexpr NTSTATUS kNameNotFound = static_cast<NTSTATUS>(0xC0000034);  // STATUS_OBJECT_NAME_NOT_FOUND
constexpr NTSTATUS kPathNotFound = static_cast<NTSTATUS>(0xC000003A);  // STATUS_OBJECT_PATH_NOT_FOUND
constexpr NTSTATUS kNoSuchFile = static_cast<NTSTATUS>(0xC000000F);    // STATUS_NO_SUCH_FILE
constexpr NTSTATUS kNotAFolder = static_cast<NTSTATUS>(0xC0000103);    // STATUS_NOT_A_DIRECTORY
constexpr NTSTATUS kIsALink = static_cast<NTSTATUS>(0xC000050B);       // STATUS_REPARSE_POINT_ENCOUNTERED
constexpr NTSTATUS kCannotAsk = static_cast<NTSTATUS>(0xC0000001);     // STATUS_UNSUCCESSFUL
constexpr size_t kPiece = size_t{1} << 20;
constexpr size_t kLongestPart = 255;  // UTF-16 code units

// A folder on the way to a name: enough to open names below it and read its attributes; others
// may read and write in it meanwhile, but not rename or remove it.
constexpr ACCESS_MASK kFolderAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE;
constexpr ULONG kFolderShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr ULONG kReadShare = FILE_SHARE_READ | FILE_SHARE_WRITE;

// Nothing of that name, or a file where a folder on the way was expected.
bool Missing(NTSTATUS status)
{
    return status == kNameNotFound || status == kPathNotFound || status == kNoSuchFile || status == kNotAFolder;
}

// One part of a name, as the object attributes of a call below `folder`.
class Part {
public:
    Part(const std::u16string& text, HANDLE folder) : text_(text)
    {
        name_.Buffer = reinterpret_cast<PWSTR>(text_.data());
        name_.Length = static_cast<USHORT>(text_.size() * sizeof(char16_t));
        name_.MaximumLength = name_.Length;
        InitializeObjectAttributes(&attributes_, &name_, OBJ_CASE_INSENSITIVE, folder, nullptr);
    }
    Part(const Part&) = delete;
    Part& operator=(const Part&) = delete;
    OBJECT_ATTRIBUTES* Attributes() { return &attributes_; }

private:
    std::u16string text_;
    UNICODE_STRING name_{};
    OBJECT_ATTRIBUTES attributes_{};
};

// The attributes of `text` below `folder` as the folder lists it: of a link itself rather
// than of what it points to. Asked through a handle of its own, as a folder handle keeps the
// first name it was asked about for every later listing.
NTSTATUS QueryPart(HANDLE folder, const std::u16string& text, ULONG& attributes)
{
    attributes = 0;
    const UniqueFileHandle listing(::ReOpenFile(folder, FILE_LIST_DIRECTORY | SYNCHRONIZE,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                FILE_FLAG_BACKUP_SEMANTICS));
    if (!listing)
        return kCannotAsk;
    std::u16string name = text;
    UNICODE_STRING filter{};
    filter.Buffer = reinterpret_cast<PWSTR>(name.data());
    filter.Length = static_cast<USHORT>(name.size() * sizeof(char16_t));
    filter.MaximumLength = filter.Length;
    alignas(8) uint8_t entry[sizeof(FILE_DIRECTORY_INFORMATION) + (kLongestPart + 1) * sizeof(char16_t)];
    IO_STATUS_BLOCK io{};
    const NTSTATUS status = NtQueryDirectoryFile(listing.Get(), nullptr, nullptr, nullptr, &io, entry, sizeof entry,
                                                 FileDirectoryInformation, TRUE, &filter, TRUE);
    if (NT_SUCCESS(status))
        attributes = reinterpret_cast<const FILE_DIRECTORY_INFORMATION*>(entry)->FileAttributes;
    return status;
}

// Opens `text` below `folder` itself, never what it may point to. Wine tells of a link only
// when asked by name, Windows for certain only by the handle, which names what was opened
// whatever changed in between: both are asked.
NTSTATUS OpenPart(HANDLE folder, const std::u16string& text, ACCESS_MASK access, ULONG share, ULONG disposition,
                  ULONG options, UniqueFileHandle& opened)
{
    ULONG attributes = 0;
    if (NT_SUCCESS(QueryPart(folder, text, attributes)) && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return kIsALink;
    Part part(text, folder);
    IO_STATUS_BLOCK io{};
    HANDLE handle = INVALID_HANDLE_VALUE;
    const NTSTATUS status =
        NtCreateFile(&handle, access | FILE_READ_ATTRIBUTES | SYNCHRONIZE, part.Attributes(), &io, nullptr,
                     FILE_ATTRIBUTE_NORMAL, share, disposition,
                     options | FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
    if (!NT_SUCCESS(status))
        return status;
    opened.Reset(handle);
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (!::GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag) ||
        (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        opened.Reset();
        return kIsALink;
    }
    return status;
}

// A name's parts in UTF-16; nothing for a name with an empty, "." or ".." part, one longer than
// a Windows name can be, or a character that is no part of one (a listing would take a
// wildcard for one).
std::vector<std::u16string> Parts(const std::string& name)
{
    std::vector<std::u16string> parts;
    size_t start = 0;
    while (start <= name.size()) {
        const size_t end = std::min(name.find('/', start), name.size());
        std::u16string part;
        if (!Utf8ToUtf16(std::string_view(name).substr(start, end - start), part) || part.empty() ||
            part.size() > kLongestPart || part == u"." || part == u".." ||
            part.find_first_of(u"\\:*?<>\"|") != std::u16string::npos)
            return {};
        parts.push_back(std::move(part));
        start = end + 1;
    }
    return parts;
}

// The folders from the root down to a name's parent, held open while the caller works there.
struct Chain {
    enum class State { kHeld, kMissing, kLink, kFailed };
    State state = State::kFailed;
    HANDLE root = nullptr;  // owned by the file system
    std::vector<UniqueFileHandle> folders;
    std::u16string leaf;

    bool Held() const { return state == State::kHeld; }
    HANDLE Parent() const { return folders.empty() ? root : folders.back().Get(); }
};

Chain Walk(HANDLE root, const std::string& name)
{
    Chain chain;
    std::vector<std::u16string> parts = Parts(name);
    if (!root || parts.empty())
        return chain;
    chain.root = root;
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
        UniqueFileHandle folder;
        const NTSTATUS status =
            OpenPart(chain.Parent(), parts[i], kFolderAccess, kFolderShare, FILE_OPEN, FILE_DIRECTORY_FILE, folder);
        if (!NT_SUCCESS(status)) {
            chain.state = Missing(status) ? Chain::State::kMissing
                          : status == kIsALink ? Chain::State::kLink
                                               : Chain::State::kFailed;
            chain.folders.clear();
            return chain;
        }
        chain.folders.push_back(std::move(folder));
    }
    chain.leaf = std::move(parts.back());
    chain.state = Chain::State::kHeld;
    return chain;
}

// Opens a name's file for reading; invalid when it cannot.
UniqueFileHandle OpenToRead(HANDLE root, const std::string& name)
{
    const Chain chain = Walk(root, name);
    UniqueFileHandle file;
    if (chain.Held())
        OpenPart(chain.Parent(), chain.leaf, FILE_READ_DATA, kReadShare, FILE_OPEN, FILE_NON_DIRECTORY_FILE, file);
    return file;
}

// A file opened through the folders' handles, read at any offset.
class HandleSource : public ByteSource {
public:
    HandleSource(UniqueFileHandle file, uint64_t size) : file_(std::move(file)), size_(size) {}
    uint64_t Size() const override { return size_; }
    bool ReadAt(uint64_t offset, uint8_t* out, size_t size) override
    {
        if (offset > size_ || size > size_ - offset)
            return false;
        while (size > 0) {
            OVERLAPPED at = {};
            at.Offset = static_cast<DWORD>(offset);
            at.OffsetHigh = static_cast<DWORD>(offset >> 32);
            const DWORD want = static_cast<DWORD>(std::min<size_t>(size, kPiece));
            DWORD got = 0;
            if (!::ReadFile(file_.Get(), out, want, &got, &at) || got != want)
                return false;
            offset += got;
            out += got;
            size -= got;
        }
        return true;
    }

private:
    UniqueFileHandle file_;
    uint64_t size_;
};

// Reads up to `size` bytes in pieces, telling `piece` of each; false on a short or failed read.
bool ReadPieces(HANDLE file, uint64_t size, uint8_t* buffer, const std::function<bool(const uint8_t*, size_t)>& piece)
{
    std::vector<uint8_t> own;
    if (!buffer)
        own.resize(static_cast<size_t>(std::min<uint64_t>(size, kPiece)));
    for (uint64_t done = 0; done < size;) {
        const DWORD want = static_cast<DWORD>(std::min<uint64_t>(size - done, kPiece));
        uint8_t* at = buffer ? buffer + done : own.data();
        DWORD got = 0;
        if (!::ReadFile(file, at, want, &got, nullptr) || got != want)
            return false;
        done += got;
        if (!piece(at, got))
            return false;
    }
    return true;
}

std::optional<uint64_t> SizeOf(HANDLE file)
{
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file, &size) || size.QuadPart < 0)
        return std::nullopt;
    return static_cast<uint64_t>(size.QuadPart);
}

bool MarkDeleted(HANDLE handle)
{
    FILE_DISPOSITION_INFO disposition{TRUE};
    return ::SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition) != FALSE;
}

// Marks a file or a folder (`kind`) below `root`, which others may hold with `share`, to go
// when its last handle closes; true also when it is not there.
bool MarkDeleted(HANDLE root, const std::string& name, ULONG share, ULONG kind)
{
    const Chain chain = Walk(root, name);
    if (chain.state == Chain::State::kMissing)
        return true;
    if (!chain.Held())
        return false;
    UniqueFileHandle handle;
    const NTSTATUS status = OpenPart(chain.Parent(), chain.leaf, DELETE, share | FILE_SHARE_DELETE, FILE_OPEN, kind, handle);
    if (Missing(status))
        return true;
    return NT_SUCCESS(status) && MarkDeleted(handle.Get());
}

// FILE_RENAME_INFORMATION: the new name relative to the folder handle given.
struct RenameInformation {
    BOOLEAN replaceIfExists;
    HANDLE rootDirectory;
    ULONG fileNameLength;
    WCHAR fileName[1];
};

}  // namespace

struct DiskFileSystem::Held {
    UniqueFileHandle root;
    bool tried = false;

    // The root, opened once: as given, links and all; it stays where it is while held.
    HANDLE Root(const fs::path& path)
    {
        if (!tried) {
            tried = true;
            root.Reset(::CreateFileW(path.c_str(), kFolderAccess | FILE_READ_ATTRIBUTES | SYNCHRONIZE, kFolderShare,
                                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        }
        return root ? root.Get() : nullptr;
    }
};

DiskFileSystem::DiskFileSystem(fs::path root) : root_(std::move(root)), held_(std::make_unique<Held>()) {}

DiskFileSystem::~DiskFileSystem() = default;

bool DiskFileSystem::Exists(const std::string& name)
{
    const Chain chain = Walk(held_->Root(root_), name);
    if (chain.state == Chain::State::kMissing || (!chain.Held() && !chain.root))
        return false;
    if (!chain.Held())
        return true;  // a link or an unreadable folder on the way: something is there
    ULONG attributes = 0;
    return !Missing(QueryPart(chain.Parent(), chain.leaf, attributes));
}

bool DiskFileSystem::IsFolder(const std::string& name)
{
    const Chain chain = Walk(held_->Root(root_), name);
    ULONG attributes = 0;
    return chain.Held() && NT_SUCCESS(QueryPart(chain.Parent(), chain.leaf, attributes)) &&
           (attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

std::optional<Bytes> DiskFileSystem::Read(const std::string& name)
{
    const UniqueFileHandle file = OpenToRead(held_->Root(root_), name);
    const auto size = file ? SizeOf(file.Get()) : std::nullopt;
    if (!size || *size > SIZE_MAX / 2)
        return std::nullopt;
    Bytes bytes;
    try {
        bytes.resize(static_cast<size_t>(*size));
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    if (!ReadPieces(file.Get(), *size, bytes.data(), [](const uint8_t*, size_t) { return true; }))
        return std::nullopt;
    return bytes;
}

std::optional<Sha256> DiskFileSystem::Hash(const std::string& name)
{
    const UniqueFileHandle file = OpenToRead(held_->Root(root_), name);
    const auto size = file ? SizeOf(file.Get()) : std::nullopt;
    if (!size)
        return std::nullopt;
    Hasher hasher;
    if (!ReadPieces(file.Get(), *size, nullptr, [&](const uint8_t* data, size_t length) {
            hasher.Update(data, length);
            return true;
        }))
        return std::nullopt;
    return hasher.Finish();
}

std::unique_ptr<ByteSource> DiskFileSystem::Open(const std::string& name)
{
    UniqueFileHandle file = OpenToRead(held_->Root(root_), name);
    const auto size = file ? SizeOf(file.Get()) : std::nullopt;
    if (!size)
        return nullptr;
    return std::make_unique<HandleSource>(std::move(file), *size);
}

bool DiskFileSystem::WriteFrom(const std::string& name, const Producer& produce)
{
    const Chain chain = Walk(held_->Root(root_), name);
    UniqueFileHandle file;
    if (!chain.Held() || !NT_SUCCESS(OpenPart(chain.Parent(), chain.leaf, FILE_GENERIC_WRITE | DELETE, FILE_SHARE_READ,
                                              FILE_OVERWRITE_IF, FILE_NON_DIRECTORY_FILE, file)))
        return false;
    auto sink = [&file](const uint8_t* data, size_t size) {
        for (size_t done = 0; done < size;) {
            const DWORD piece = static_cast<DWORD>(std::min(size - done, kPiece));
            DWORD written = 0;
            if (!::WriteFile(file.Get(), data + done, piece, &written, nullptr) || written != piece)
                return false;
            done += piece;
        }
        return true;
    };
    // On the disk before the journal that names it: a power cut must not leave a journal
    // naming a file that never reached the disk.
    if (produce(sink) && ::FlushFileBuffers(file.Get()))
        return true;
    MarkDeleted(file.Get());
    return false;
}

bool DiskFileSystem::Move(const std::string& from, const std::string& to, bool replace)
{
    HANDLE root = held_->Root(root_);
    const Chain source = Walk(root, from);
    const Chain target = Walk(root, to);
    UniqueFileHandle file;
    if (!source.Held() || !target.Held() ||
        !NT_SUCCESS(OpenPart(source.Parent(), source.leaf, DELETE, kReadShare | FILE_SHARE_DELETE, FILE_OPEN, 0, file)))
        return false;
    ULONG attributes = 0;
    const NTSTATUS there = QueryPart(target.Parent(), target.leaf, attributes);
    if (NT_SUCCESS(there) && ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) || !replace))
        return false;
    const size_t nameBytes = target.leaf.size() * sizeof(char16_t);
    std::vector<uint8_t> buffer(sizeof(RenameInformation) + nameBytes);
    auto* rename = reinterpret_cast<RenameInformation*>(buffer.data());
    rename->replaceIfExists = replace ? TRUE : FALSE;
    rename->rootDirectory = target.Parent();
    rename->fileNameLength = static_cast<ULONG>(nameBytes);
    std::copy(target.leaf.begin(), target.leaf.end(), reinterpret_cast<char16_t*>(rename->fileName));
    IO_STATUS_BLOCK io{};
    return NT_SUCCESS(NtSetInformationFile(file.Get(), &io, rename, static_cast<ULONG>(buffer.size()),
                                           FileRenameInformation));
}

bool DiskFileSystem::Rename(const std::string& from, const std::string& to)
{
    return Move(from, to, false);
}

bool DiskFileSystem::Replace(const std::string& from, const std::string& to)
{
    return Move(from, to, true);
}

bool DiskFileSystem::Remove(const std::string& name)
{
    // Gone once closed, unless someone else still holds it.
    return MarkDeleted(held_->Root(root_), name, kReadShare, FILE_NON_DIRECTORY_FILE) && !Exists(name);
}

bool DiskFileSystem::MakeFolder(const std::string& name)
{
    const Chain chain = Walk(held_->Root(root_), name);
    UniqueFileHandle folder;
    return chain.Held() && NT_SUCCESS(OpenPart(chain.Parent(), chain.leaf, kFolderAccess, kFolderShare, FILE_OPEN_IF,
                                               FILE_DIRECTORY_FILE, folder));
}

bool DiskFileSystem::RemoveFolder(const std::string& name)
{
    // Refused for a folder that holds anything.
    return MarkDeleted(held_->Root(root_), name, kFolderShare, FILE_DIRECTORY_FILE) && !Exists(name);
}


std::optional<uint64_t> DiskFileSystem::FreeSpace()
{
    ULARGE_INTEGER available{};
    if (!::GetDiskFreeSpaceExW(root_.c_str(), &available, nullptr, nullptr))
        return std::nullopt;
    return available.QuadPart;
}

}  // namespace Kiln::Patch
