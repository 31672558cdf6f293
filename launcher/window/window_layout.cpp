#include "launcher/window/window_layout.h"

#include <algorithm>

namespace Launcher {
namespace {

int Scale(int value, int dpi)
{
    // to the nearest pixel, halves away from zero, as MulDiv rounds
    const long long scaled = static_cast<long long>(value) * dpi;
    return static_cast<int>(scaled >= 0 ? (scaled + 48) / 96 : -((-scaled + 48) / 96));
}

void Move(Box& box, int dx, int dy)
{
    box.left += dx;
    box.right += dx;
    box.top += dy;
    box.bottom += dy;
}

}  // namespace

PictureArea ScaleArea(const PictureArea& area, int dpi)
{
    if (dpi <= 0)
        return area;
    return {Scale(area.x, dpi), Scale(area.y, dpi), Scale(area.width, dpi), Scale(area.height, dpi)};
}

WindowLayout LayOutWindow(const WindowLayout& fromTemplate, int pageWidth, int pageHeight,
                          const std::optional<PictureColumn>& pictures, int gap)
{
    WindowLayout layout = fromTemplate;
    // Room for a page: the tab control's right and bottom edges move out.
    const int wider = std::max(0, pageWidth - layout.display.Width());
    int taller = std::max(0, pageHeight - layout.display.Height());
    // Room for the pictures: everything right of them moves right, the bottom edge down.
    int right = 0;
    if (pictures) {
        const int columnRight = std::max(pictures->top.x + pictures->top.width,
                                         pictures->banner.x + pictures->banner.width);
        right = std::max(0, columnRight + gap - layout.tab.left);
        const int bannerBottom = pictures->banner.y + pictures->banner.height;
        taller = std::max(taller, bannerBottom + gap - layout.clientHeight);
    }
    // The buttons keep their places under the tab control's right edge and below its bottom.
    for (Box& button : layout.buttons)
        Move(button, right + wider, button.top >= layout.tab.bottom ? taller : 0);
    for (Box* box : {&layout.tab, &layout.display}) {
        Move(*box, right, 0);
        box->right += wider;
        box->bottom += taller;
    }
    layout.clientWidth += right + wider;
    layout.clientHeight += taller;
    return layout;
}

}  // namespace Launcher
