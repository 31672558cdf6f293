#include "tests/support/system_files.h"

#include <windows.h>

namespace KilnTest {
namespace {

std::string SystemPath(const std::string& name)
{
    char system[MAX_PATH] = {};
    ::GetSystemDirectoryA(system, MAX_PATH);
    return std::string(system) + "\\" + name;
}

bool Exists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The file back in its place; a copy aside next to a present file is the stale one.
bool Restore(const std::string& path)
{
    const std::string aside = path + ".aside";
    if (!Exists(aside))
        return true;
    if (Exists(path))
        return ::DeleteFileA(aside.c_str()) != FALSE;
    return ::MoveFileA(aside.c_str(), path.c_str()) != FALSE;
}

}  // namespace

SystemFileAside::SystemFileAside(const std::string& name) : path_(SystemPath(name))
{
    Restore(path_);
    moved_ = ::MoveFileA(path_.c_str(), (path_ + ".aside").c_str()) != FALSE;
}

SystemFileAside::~SystemFileAside()
{
    if (moved_)
        Restore(path_);
}

bool RestoreFilesSetAside()
{
    bool all = true;
    for (const char* name : kFilesTestsSetAside)
        all = Restore(SystemPath(name)) && all;
    return all;
}

}  // namespace KilnTest
