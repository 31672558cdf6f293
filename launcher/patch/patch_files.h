#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

// The auto-patcher's working files under the user's Documents folder.
namespace Launcher::Patch {

// The Documents folder, without a trailing backslash; empty when the shell has none.
std::string DocumentsFolder(HWND owner);

// Creates the folder and any missing parents; an existing folder is fine, failures are ignored.
void CreateFolderTree(HWND owner, const std::string& folder);

// Creates the file anew (readable by others meanwhile) and writes all bytes; false on failure.
bool WriteWholeFile(const std::string& path, std::string_view bytes);

// Runs the patch program in its own folder. `process` receives the process handle (may be
// null even on success); false when it could not be started.
bool StartPatchProgram(HWND owner, const std::string& patchFilePath, HANDLE& process);

}  // namespace Launcher::Patch

namespace Launcher {

// Deletes the files and then the folders that the working folder's Update.ini lists
// ([WrittenFile] File1..., [CreateDirectory] Directory1..., up to 256 of each). Failures are
// ignored; a folder that is not empty stays; without an Update.ini nothing happens.
void RemoveUpdateFiles();

}  // namespace Launcher
