#pragma once

#include <windows.h>

namespace Launcher {

// The page captioned "設定" (template 102): graphics and cache options of [General], held in
// the controller until the window saves them.
INT_PTR CALLBACK GraphicsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace Launcher
