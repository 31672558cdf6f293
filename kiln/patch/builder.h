#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "kiln/patch/payload.h"

// A payload from two versions of a game folder.
namespace Kiln::Patch {

// The name of the file whose [Game] Version says which version a folder holds.
constexpr char kSystemIni[] = "System.ini";
constexpr char kLauncherExe[] = "Launcher.exe";

// The version a game folder holds ([Game] Version of its System.ini); nothing when unreadable.
std::optional<std::string> FolderVersion(const std::filesystem::path& root);

// How far the encoding of a large file has come: its name and how many of its bytes are done.
using BuildProgress = std::function<void(const std::string& name, uint64_t done, uint64_t total)>;

// Nothing (and `error` says why) when a folder is unreadable, the versions are missing or the
// same, or a name cannot be carried. A file too large to hold with its old version in memory
// (more than one delta window, see delta_windows.h) is read a window at a time.
std::optional<Payload> BuildPayload(const std::filesystem::path& oldRoot, const std::filesystem::path& newRoot,
                                    std::string* error = nullptr, int level = 19,
                                    const BuildProgress& progress = {});

}  // namespace Kiln::Patch
