#include "kiln/patch/file_system.h"

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

std::unique_ptr<ByteSource> DiskFileSystem::Open(const std::string& name)
{
    return ReadableFile::Open(Path(name));
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
