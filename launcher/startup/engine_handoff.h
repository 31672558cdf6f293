#pragma once

#include <windows.h>

#include <string>

namespace Launcher {

// Loads an engine library from the program directory and runs its RunEngine export with the
// command-line text and the program icon. A missing file is silent; a file that does not
// load, or lacks the export, is reported in a message box.
void RunEngineLibrary(const std::string& libraryName, const char* commandLine, HICON icon);

}  // namespace Launcher
