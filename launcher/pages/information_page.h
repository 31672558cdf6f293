#pragma once

#include <windows.h>

namespace Launcher {

// The page captioned "情報" (template 107): the configured web pages in the system's browser
// control, tried in turn until one loads.
INT_PTR CALLBACK InformationPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace Launcher
