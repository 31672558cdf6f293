// DiskFileSystem where the patch program never runs elevated: each part of a name is looked at
// before the call (see file_system_win.cpp for Windows).
#ifndef _WIN32

#include "kiln/patch/file_system.h"

#include <system_error>

#include "kiln/patch/durable_write.h"
#include "kiln/patch/file_bytes.h"
#include "kiln/patch/folder_compare.h"

namespace fs = std::filesystem;

namespace Kiln::Patch {

struct DiskFileSystem::Held {};

namespace {

// Whether a part of `name` below `root`, the name itself included, is a link.
bool PassesLink(const fs::path& root, const std::string& name)
{
    fs::path path = root;
    for (const fs::path& part : fs::u8path(name)) {
        path /= part;
        std::error_code code;
        const fs::file_status status = fs::symlink_status(path, code);
        if (fs::is_symlink(status))
            return true;
        if (!fs::exists(status))
            return false;
    }
    return false;
}

}  // namespace

DiskFileSystem::DiskFileSystem(fs::path root) : root_(std::move(root)) {}

DiskFileSystem::~DiskFileSystem() = default;

bool DiskFileSystem::Exists(const std::string& name)
{
    std::error_code code;
    return PassesLink(root_, name) || fs::exists(fs::symlink_status(PathOf(root_, name), code));
}

bool DiskFileSystem::IsFolder(const std::string& name)
{
    std::error_code code;
    return !PassesLink(root_, name) && fs::is_directory(PathOf(root_, name), code);
}

std::optional<Bytes> DiskFileSystem::Read(const std::string& name)
{
    if (PassesLink(root_, name))
        return std::nullopt;
    return ReadWholeFile(PathOf(root_, name));
}

std::optional<Sha256> DiskFileSystem::Hash(const std::string& name)
{
    if (PassesLink(root_, name))
        return std::nullopt;
    return HashFile(PathOf(root_, name));
}

std::unique_ptr<ByteSource> DiskFileSystem::Open(const std::string& name)
{
    if (PassesLink(root_, name))
        return nullptr;
    return ReadableFile::Open(PathOf(root_, name));
}

bool DiskFileSystem::WriteFrom(const std::string& name, const Producer& produce)
{
    if (PassesLink(root_, name))
        return false;
    if (WriteDurably(PathOf(root_, name), produce))
        return true;
    Remove(name);
    return false;
}

bool DiskFileSystem::Move(const std::string& from, const std::string& to, bool replace)
{
    if (PassesLink(root_, from) || PassesLink(root_, to) || (!replace && Exists(to)))
        return false;
    // rename(2) replaces in one step.
    std::error_code code;
    fs::rename(PathOf(root_, from), PathOf(root_, to), code);
    return !code;
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
    if (PassesLink(root_, name))
        return false;
    std::error_code code;
    fs::remove(PathOf(root_, name), code);
    return !code && !Exists(name);
}

bool DiskFileSystem::MakeFolder(const std::string& name)
{
    if (PassesLink(root_, name))
        return false;
    std::error_code code;
    fs::create_directory(PathOf(root_, name), code);
    return IsFolder(name);
}

bool DiskFileSystem::RemoveFolder(const std::string& name)
{
    if (!Exists(name))
        return true;
    if (PassesLink(root_, name))
        return false;
    std::error_code code;
    fs::remove(PathOf(root_, name), code);  // refuses a folder that is not empty
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

#endif
