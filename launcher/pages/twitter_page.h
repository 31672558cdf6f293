#pragma once

#include <windows.h>

namespace Launcher {

// The page captioned "Twitter" (template 112): links the player's account by the PIN flow and
// keeps the access pair sealed in Game.ini.
INT_PTR CALLBACK TwitterPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace Launcher
