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

// Who does what. The run that elevation started only changes the game folder it was given:
// what is done for the player (the virtual store's System.ini, which the player can write and
// so can point anywhere, and starting the new launcher) is done by the run that asked for it,
// running as the player, once the elevated run has succeeded.
struct RunPlan {
    Elevation elevation;
    bool finishesForPlayer;  // after the folder is patched: the virtual store, the launcher
};
RunPlan PlanRun(bool folderWritable, bool elevated);

// Where Windows redirects an unelevated program's writes to `path` (UTF-8, a full Windows path
// with a drive) below a protected folder, relative to the player's local application data
// folder: "VirtualStore/<path without drive>", '/' between parts. Empty for a path that is not
// under Program Files or Windows (Windows does not virtualise elsewhere) or has no drive.
std::string VirtualStoreName(const std::string& path);

// Gives the virtual store's copy of a game's System.ini (`systemIni`: UTF-8, the game's own
// full path) this patch's changes, merged as the game's own was. `localAppData` is the player's
// local application data folder. True when done or when there is no such copy.
bool MergeVirtualisedSystemIni(Kiln::Patch::FileSystem& localAppData, const std::string& systemIni,
                               const Kiln::Patch::Payload& payload);

// The process's exit code for an outcome: 0 applied, 1 failed (folder as before), 2 refused.
int ExitCodeOf(Kiln::Patch::Outcome outcome);

// The player's words for a result (UTF-16, Japanese); the file names are UTF-8 in `result`.
std::u16string MessageOf(const Kiln::Patch::ApplyResult& result);

// The progress window's line for a step.
std::u16string StepText(Kiln::Patch::Step step);

}  // namespace Patcher
