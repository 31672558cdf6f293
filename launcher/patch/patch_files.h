#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "kiln/base/scoped_win.h"

// The auto-patcher's working files under the user's Documents folder.
namespace Launcher::Patch {

// The Documents folder, without a trailing backslash; empty when the shell has none.
std::string DocumentsFolder(HWND owner);

// Creates the folder and any missing parents; an existing folder is fine, failures are ignored.
void CreateFolderTree(HWND owner, const std::string& folder);

// Writes the bytes into a file made fresh under that name: an existing file of the name is
// removed first, and nothing is written when it cannot be (a planted read-only file, one held
// open). False on any failure.
bool WriteFreshFile(const std::string& path, std::string_view bytes);

// The file opened for reading with no write or delete sharing: while the handle is held
// nobody can change, replace or remove it, so what was checked through it is what runs.
// Invalid when it cannot be opened so.
Kiln::UniqueFileHandle HoldFile(const std::string& path);

// Runs the patch program in its own folder. `process` receives the process handle (may be
// null even on success); false when it could not be started.
bool StartPatchProgram(HWND owner, const std::string& patchFilePath, HANDLE& process);

}  // namespace Launcher::Patch

namespace Launcher {

// Deletes the files and then the folders that the working folder's Update.ini lists
// ([WrittenFile] File1..., [CreateDirectory] Directory1..., up to 256 of each), then the
// working folder itself when it is empty. Failures are ignored; a folder that is not empty
// stays. `settleMs`: a folder that is empty but still refuses (a process that has just ended
// may hold it as its current folder for a moment) is tried again for up to that long.
void RemoveUpdateFiles(unsigned settleMs = 0);

}  // namespace Launcher
