#pragma once

#include <windows.h>

namespace Launcher {

// Process exit codes.
constexpr int kExitNormal = 0;
constexpr int kExitEarly = 1;

// Everything after the runtime bootstrap exists: single instance, DirectX check, runtime
// start and mode selection. Returns the process exit code.
int RunStartup(HINSTANCE instance, const char* commandLine);

}  // namespace Launcher
