#pragma once

#include <windows.h>

namespace Launcher {

// The answer to WM_CTLCOLORSTATIC/WM_CTLCOLOREDIT for a box that must read as an ordinary
// edit field (read-only boxes otherwise take the dialog's grey): black text on white.
inline INT_PTR PaintBlackOnWhite(HDC dc)
{
    ::SetTextColor(dc, RGB(0, 0, 0));
    ::SetBkColor(dc, RGB(255, 255, 255));
    return reinterpret_cast<INT_PTR>(::GetStockObject(WHITE_BRUSH));
}

}  // namespace Launcher
