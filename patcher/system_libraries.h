#pragma once

#include <windows.h>

// The patch program lies in a folder that the player, and whatever runs as the player, can
// write to, and it may run elevated: no library may come from that folder. Its import table
// names KnownDLLs only (the loader takes those from the system before any of our code runs);
// every other library is loaded here, from the system.
namespace Patcher {

// Called first: from then on a library loaded by name, by this program or by a system library
// on its behalf, is looked for in the system folder alone (on a Windows 7 without the update
// that brought this, the current folder at least leaves the search).
void SearchSystemFolderOnly();

// A system library by name: from the side-by-side store where the manifest binds the name
// (comctl32), otherwise from the system folder. Null when it cannot be loaded.
HMODULE LoadSystemLibrary(const wchar_t* name);

}  // namespace Patcher
