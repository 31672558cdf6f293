#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "kiln/patch/leave_out.h"
#include "kiln/patch/payload.h"

// A payload from two versions of a game folder.
namespace Kiln::Patch {

// The name of the file whose [Game] Version says which version a folder holds.
constexpr char kSystemIni[] = "System.ini";
constexpr char kLauncherExe[] = "Launcher.exe";

// The version a game folder holds ([Game] Version of its System.ini); nothing when unreadable.
std::optional<std::string> FolderVersion(const std::filesystem::path& root);

// What a build tells its caller besides the payload.
struct BuildReport {
    std::vector<LeftOut> leftOut;  // never in a patch (see LeaveOut), each name once
};

// How a build goes: told before each file's contents are encoded (bytesDone 0) and, for a file
// larger than a delta window, as its encoding goes on.
struct BuildStep {
    std::string name;
    uint64_t bytesDone = 0;
    uint64_t bytes = 0;    // the file's size
    size_t filesDone = 0;  // files encoded before this one
    size_t files = 0;      // files with contents in all
};
using BuildProgress = std::function<void(const BuildStep& step)>;

// Nothing (and `error` says why) when a folder is unreadable, the versions are missing or the
// same, or a name cannot be carried. NEW's .kilnignore and the fixed rules of LeaveOut decide
// what stays out of it, on both sides. A file too large to hold with its old version in memory
// (more than one delta window, see delta_windows.h) is read a window at a time.
std::optional<Payload> BuildPayload(const std::filesystem::path& oldRoot, const std::filesystem::path& newRoot,
                                    std::string* error = nullptr, int level = 19, BuildReport* report = nullptr,
                                    const BuildProgress& progress = {});

}  // namespace Kiln::Patch
