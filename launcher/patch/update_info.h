#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The update-information file that a server lists its patches in: one entry per line,
// "VERSION,MD5,FLAG,..." from the oldest version to the newest.
namespace Launcher {

struct UpdateEntry {
    std::string version;
    std::string digest;           // as written; compared without regard to case
    uint32_t launcherUpdate = 0;  // non-zero: the patch also replaces the launcher
};

// Lines end at LF; every CR is dropped; reading stops at the first empty line. A line is an
// entry when it has at least four comma-separated fields (none trimmed). A flag that is not
// a decimal number counts as 0.
std::vector<UpdateEntry> ParseUpdateInfo(std::string_view body);

struct NextPatch {
    enum class Kind {
        VersionUnknown,  // the installed version is not listed
        AlreadyLatest,   // it is the last entry
        Patch,           // `entry` leads to the next version
    };
    Kind kind = Kind::VersionUnknown;
    UpdateEntry entry;
};

// The entry after the first one whose version equals `installedVersion` exactly.
NextPatch FindNextPatch(const std::vector<UpdateEntry>& entries, const std::string& installedVersion);

// The entry line for a patch file: "VERSION,MD5,FLAG,NAME".
std::string FormatUpdateEntry(const std::string& version, const std::string& digest, uint32_t launcherUpdate,
                              const std::string& patchFileName);

}  // namespace Launcher
