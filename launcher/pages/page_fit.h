#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The measured layout of a page's texts (page_layout) applied to its controls: each text
// measured with its control's own font.
namespace Launcher {

// Gives every static text and check box of the page that does not show its whole text the
// room it needs from the free space around it (FitTexts). Run once a page's texts are set.
void FitPageTexts(HWND page);
// Draws the whole page again, after its controls have moved.
void RedrawPage(HWND page);

// The width of the widest of `texts` on one line in the control's font, in pixels.
int WidestText(HWND control, const std::vector<std::string>& texts);

// Dialog units of a dialog to pixels.
SIZE DialogPixels(HWND dialog, int x, int y);

}  // namespace Launcher
