#pragma once

#include <windows.h>

#include <string>

#include "kiln/base/scoped_win.h"

namespace Launcher {

struct InstanceMutex {
    Kiln::UniqueHandle handle;     // empty when the mutex could not be created
    bool anotherCopyRuns = false;  // the mutex existed already
};

// Creates the single-instance mutex, named after the program's bare file name so that two
// copies under one file name exclude each other whatever folder they run from. Everybody
// may open it (null DACL).
InstanceMutex CreateInstanceMutex();

// The first visible top-level window of another process running a program file of this
// name, or null.
HWND FindOtherCopyWindow(const std::string& programFileName);

// The bare file name of this program ("Launcher.exe").
std::string ProgramFileName();

}  // namespace Launcher
