#pragma once

#include <windows.h>

namespace Launcher {

// Everything after the runtime bootstrap exists: single instance, DirectX check, runtime
// start and mode selection. Returns the process exit code.
int RunStartup(HINSTANCE instance, const char* commandLine);

}  // namespace Launcher
