#pragma once

#include <optional>
#include <string>
#include <vector>

#include "kiln/patch/apply.h"

// The patch program's choices that need no window: its switches, where the game is, whether
// to ask for elevation, where Windows keeps a virtualised System.ini, and what to tell the player.
namespace Patcher {

struct Switches {
    bool quiet = false;     // no window; the exit code says everything
    bool elevated = false;  // this run was started elevated by another run of ours
    std::string target;     // UTF-8: a game folder named on the command line, or empty
    bool valid = true;
};
Switches ParseSwitches(const std::vector<std::string>& arguments);

// Update.ini [Update] TargetDirectory (CP932, as the launcher wrote it); empty when absent.
std::string TargetDirectoryOf(const std::string& updateIniText);

enum class Elevation {
    kApplyHere,        // the folder takes our writes
    kRestartElevated,  // start ourselves again with "runas" and pass its exit code on
    kCannotWrite,      // already elevated and still refused: fail
};
Elevation DecideElevation(bool folderWritable, bool elevated);

// Where Windows redirects an unelevated program's writes to `path` (UTF-8, a full Windows path
// with a drive) below a protected folder: <localAppData>\VirtualStore\<path without drive>.
// Empty for a path that is not under Program Files or Windows (Windows does not virtualise
// elsewhere) or has no drive.
std::string VirtualStorePath(const std::string& localAppData, const std::string& path);

// The process's exit code for an outcome: 0 applied, 1 failed (folder as before), 2 refused.
int ExitCodeOf(Kiln::Patch::Outcome outcome);

// The player's words for a result (UTF-16, Japanese); the file names are UTF-8 in `result`.
std::u16string MessageOf(const Kiln::Patch::ApplyResult& result);

// The progress window's line for a step.
std::u16string StepText(Kiln::Patch::Step step);

}  // namespace Patcher
