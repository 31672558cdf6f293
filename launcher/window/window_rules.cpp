#include "launcher/window/window_rules.h"

namespace Launcher {

KeyDownAction ActionForKeyDown(bool keyPageIsCurrent, unsigned virtualKey)
{
    if (keyPageIsCurrent)
        return KeyDownAction::Drop;
    if (virtualKey == kVirtualKeyReturn)
        return KeyDownAction::StartGame;
    if (virtualKey == kVirtualKeyEscape)
        return KeyDownAction::Quit;
    return KeyDownAction::Dispatch;
}

bool IsOnBanner(int clientX, int clientY, const PictureArea& b)
{
    return clientX >= b.x && clientX < b.x + b.width && clientY >= b.y && clientY < b.y + b.height;
}

bool PictureFitsArea(unsigned width, unsigned height, const PictureArea& area)
{
    return width == static_cast<unsigned>(area.width) && height == static_cast<unsigned>(area.height);
}

Position CenterIn(int left, int top, int width, int height, int innerWidth, int innerHeight)
{
    return {left + (width - innerWidth) / 2, top + (height - innerHeight) / 2};
}

}  // namespace Launcher
