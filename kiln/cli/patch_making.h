#pragma once

#include <optional>
#include <string>

#include "kiln/cli/command.h"
#include "kiln/patch/payload.h"

// A patch program made from two game folders, as `patch build` and `publish` make it.
namespace KilnCli {

struct PatchProgram {
    Kiln::Patch::Bytes bytes;  // the stub, then the payload
    std::string fromVersion;
    std::string toVersion;
    bool launcherUpdate = false;
    size_t files = 0;  // files added, changed or removed
    std::string md5;   // of `bytes`, lower-case hex
};

struct PatchMaking {
    std::string oldFolder;
    std::string newFolder;
    std::string stub;  // --stub, or empty: beside the tool
    int level = 19;
};

// Refuses a NEW whose System.ini has errors (each printed), names on the error stream what is
// left out and, on long builds, the file being packed. Nothing when it fails (the reason
// printed as "kiln COMMAND: ...").
std::optional<PatchProgram> MakePatchProgram(const PatchMaking& making, Streams& streams, const char* command);

}  // namespace KilnCli
