#pragma once

#include <windows.h>

namespace Launcher {

// The hardware information page (template 104, "ハード情報"): a read-only report about the
// processor, memory, joysticks and graphics adapter, built once when the page is created.
INT_PTR CALLBACK HardwarePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace Launcher
