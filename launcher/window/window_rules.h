#pragma once

namespace Launcher {

// What the message loop does with a key-down message.
enum class KeyDownAction {
    Dispatch,   // to the dialog manager as usual
    Drop,       // neither translated nor dispatched
    StartGame,  // save, start request 0, quit
    Quit,       // save, start request 255, quit
};

constexpr unsigned kVirtualKeyReturn = 0x0D;
constexpr unsigned kVirtualKeyEscape = 0x1B;

// Key pages capture every key themselves, so nothing closes the window while one is current;
// elsewhere Enter starts the game and Escape quits.
KeyDownAction ActionForKeyDown(bool keyPageIsCurrent, unsigned virtualKey);

// The picture column, in client pixels of the main dialog at 96 DPI; the pictures have these
// sizes, and are drawn enlarged on a screen of more dots per inch.
struct PictureArea {
    int x, y, width, height;
};
constexpr PictureArea kTopPictureArea{9, 10, 288, 380};
constexpr PictureArea kBannerArea{9, 394, 200, 40};

// Whether a client point lies on the banner where the window draws it.
bool IsOnBanner(int clientX, int clientY, const PictureArea& banner = kBannerArea);

// A picture is shown only when it has exactly the size of its area; any other size leaves
// the area blank rather than stretching or cropping it.
bool PictureFitsArea(unsigned width, unsigned height, const PictureArea& area);

// Top-left corner for centring an outer size inside a rectangle (integer halves; a larger
// size gives a position before the rectangle's start).
struct Position {
    int x, y;
};
Position CenterIn(int left, int top, int width, int height, int innerWidth, int innerHeight);

}  // namespace Launcher
