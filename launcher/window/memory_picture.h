#pragma once

#include <windows.h>

#include "kiln/base/scoped_win.h"

namespace Launcher {

// A bitmap of fixed size selected into its own memory device context, ready to be copied to
// the window when it paints.
class MemoryPicture {
public:
    MemoryPicture() = default;
    ~MemoryPicture();
    MemoryPicture(const MemoryPicture&) = delete;
    MemoryPicture& operator=(const MemoryPicture&) = delete;

    // Makes a blank bitmap compatible with the desktop.
    void Create(int width, int height);
    // Draws 32-bit top-down pixels (0xAARRGGBB) 1:1 into the bitmap.
    void Draw(const void* pixels);
    // Copies the picture into the area, enlarged or reduced when the area has another size.
    void CopyTo(HDC target, int x, int y, int width, int height) const;

    int Width() const { return width_; }
    int Height() const { return height_; }

private:
    Kiln::UniqueMemoryDC dc_;
    Kiln::UniqueGdiObject bitmap_;
    HGDIOBJ previous_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace Launcher
