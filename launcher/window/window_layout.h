#pragma once

#include <optional>
#include <vector>

#include "launcher/window/window_rules.h"

// Where the main window's controls go once its font and the screen's DPI are known: the
// template places them in dialog units, the pictures are drawn in pixels.
namespace Launcher {

// A rectangle in client pixels: left and top inside, right and bottom just outside.
struct Box {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

// A picture area for a screen of `dpi` dots per inch: the areas are laid out for 96.
PictureArea ScaleArea(const PictureArea& area, int dpi);

struct WindowLayout {
    int clientWidth = 0, clientHeight = 0;
    Box tab;
    // the tab control's display area (where pages go), as `tab` holds it
    Box display;
    std::vector<Box> buttons;
};

// The picture column: the top picture above the banner, both in client pixels.
struct PictureColumn {
    PictureArea top;
    PictureArea banner;
};

// The window grown where it must be, keeping its arrangement: the tab control's display
// area at least as large as a page (the tab control grows right and down, the buttons move
// with its edges), the tab control and buttons at least `gap` right of the picture column,
// and the client area `gap` taller than the banner's bottom (the buttons move down with the
// tab control's bottom edge). Without pictures (the compact window) only the page counts.
WindowLayout LayOutWindow(const WindowLayout& fromTemplate, int pageWidth, int pageHeight,
                          const std::optional<PictureColumn>& pictures, int gap);

}  // namespace Launcher
