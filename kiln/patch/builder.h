#pragma once

#include <filesystem>
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

// Nothing (and `error` says why) when a folder is unreadable, the versions are missing or the
// same, or a name cannot be carried.
std::optional<Payload> BuildPayload(const std::filesystem::path& oldRoot, const std::filesystem::path& newRoot,
                                    std::string* error = nullptr, int level = 19);

}  // namespace Kiln::Patch
