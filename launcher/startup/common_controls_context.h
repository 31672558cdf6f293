#pragma once

#include <windows.h>

namespace Launcher {

// Version 6 of the common controls for everything the calling thread makes while this lives:
// the program's own manifest for them, activated by hand. Launcher.exe carries no process
// manifest, because Windows reads a Launcher.exe.manifest beside the program only when the
// program has none inside; the window keeps its look with that file or without it.
class CommonControlsContext {
public:
    explicit CommonControlsContext(HINSTANCE instance);
    ~CommonControlsContext();
    CommonControlsContext(const CommonControlsContext&) = delete;
    CommonControlsContext& operator=(const CommonControlsContext&) = delete;

private:
    HANDLE context_ = INVALID_HANDLE_VALUE;
    ULONG_PTR cookie_ = 0;
    bool active_ = false;
};

}  // namespace Launcher
