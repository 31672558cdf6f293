#include "kiln/patch/file_system.h"

#include <fstream>
#include <system_error>

#include "kiln/patch/durable_write.h"
#include "kiln/patch/file_bytes.h"
#include "kiln/patch/folder_compare.h"

namespace fs = std::filesystem;

namespace Kiln::Patch {

fs::path DiskFileSystem::Path(const std::string& name) const
{
    return PathOf(root_, name);
}

bool DiskFileSystem::Exists(const std::string& name)
{
    std::error_code code;
    return fs::exists(fs::symlink_status(Path(name), code));
}

bool DiskFileSystem::IsFolder(const std::string& name)
{
    std::error_code code;
    return fs::is_directory(Path(name), code);
}

std::optional<Bytes> DiskFileSystem::Read(const std::string& name)
{
    return ReadWholeFile(Path(name));
}

std::optional<Sha256> DiskFileSystem::Hash(const std::string& name)
{
    return HashFile(Path(name));
}

FileSystem::ReadResult DiskFileSystem::ReadInto(const std::string& name, uint8_t* buffer, size_t size,
                                                const std::function<void(size_t filled)>& filled)
{
    std::ifstream in(Path(name), std::ios::binary | std::ios::ate);
    if (!in)
        return ReadResult::kUnreadable;
    const std::streamoff actual = in.tellg();
    if (actual < 0)
        return ReadResult::kUnreadable;
    if (static_cast<unsigned long long>(actual) != size)
        return ReadResult::kOtherSize;
    in.seekg(0);
    constexpr size_t kPiece = size_t{1} << 20;
    for (size_t done = 0; done < size;) {
        const size_t piece = size - done < kPiece ? size - done : kPiece;
        if (!in.read(reinterpret_cast<char*>(buffer + done), static_cast<std::streamsize>(piece)))
            return ReadResult::kUnreadable;
        done += piece;
        filled(done);
    }
    return ReadResult::kRead;
}

std::unique_ptr<MappedFile> DiskFileSystem::Map(const std::string& name, size_t size)
{
    return MappedFile::Open(Path(name), size);
}

bool DiskFileSystem::WriteFrom(const std::string& name, const Producer& produce)
{
    if (WriteDurably(Path(name), produce))
        return true;
    Remove(name);
    return false;
}

bool DiskFileSystem::Rename(const std::string& from, const std::string& to)
{
    if (Exists(to))
        return false;
    std::error_code code;
    fs::rename(Path(from), Path(to), code);
    return !code;
}

bool DiskFileSystem::Replace(const std::string& from, const std::string& to)
{
    // The standard library replaces in one step: rename(2), or MoveFileExW with
    // MOVEFILE_REPLACE_EXISTING on Windows.
    std::error_code code;
    fs::rename(Path(from), Path(to), code);
    return !code;
}

bool DiskFileSystem::Remove(const std::string& name)
{
    std::error_code code;
    fs::remove(Path(name), code);
    return !code && !Exists(name);
}

bool DiskFileSystem::MakeFolder(const std::string& name)
{
    std::error_code code;
    fs::create_directory(Path(name), code);
    return IsFolder(name);
}

bool DiskFileSystem::RemoveFolder(const std::string& name)
{
    if (!Exists(name))
        return true;
    std::error_code code;
    fs::remove(Path(name), code);  // refuses a folder that is not empty
    return !code && !Exists(name);
}

std::optional<uint64_t> DiskFileSystem::FreeSpace()
{
    std::error_code code;
    const fs::space_info info = fs::space(root_, code);
    if (code)
        return std::nullopt;
    return info.available;
}

}  // namespace Kiln::Patch
