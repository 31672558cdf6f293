#include "launcher/window/memory_picture.h"

namespace Launcher {

MemoryPicture::~MemoryPicture()
{
    if (dc_ && previous_)
        ::SelectObject(dc_.Get(), previous_);
}

void MemoryPicture::Create(int width, int height)
{
    HDC desktop = ::GetDC(nullptr);
    dc_.Reset(::CreateCompatibleDC(desktop));
    bitmap_.Reset(::CreateCompatibleBitmap(desktop, width, height));
    ::ReleaseDC(nullptr, desktop);
    width_ = width;
    height_ = height;
    if (!dc_ || !bitmap_)
        return;
    previous_ = ::SelectObject(dc_.Get(), bitmap_.Get());
    // A picture that is missing or of the wrong size leaves the dialog's own colour.
    const RECT all = {0, 0, width, height};
    ::FillRect(dc_.Get(), &all, ::GetSysColorBrush(COLOR_3DFACE));
}

void MemoryPicture::Draw(const void* pixels)
{
    if (!dc_)
        return;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    ::StretchDIBits(dc_.Get(), 0, 0, width_, height_, 0, 0, width_, height_, pixels, &info,
                    DIB_RGB_COLORS, SRCCOPY);
}

void MemoryPicture::CopyTo(HDC target, int x, int y, int width, int height) const
{
    if (!dc_)
        return;
    if (width == width_ && height == height_) {
        ::BitBlt(target, x, y, width_, height_, dc_.Get(), 0, 0, SRCCOPY);
        return;
    }
    // Averaging keeps an enlarged picture smooth; the brush origin must follow the mode.
    const int previousMode = ::SetStretchBltMode(target, HALFTONE);
    POINT previousOrigin;
    ::SetBrushOrgEx(target, 0, 0, &previousOrigin);
    ::StretchBlt(target, x, y, width, height, dc_.Get(), 0, 0, width_, height_, SRCCOPY);
    ::SetBrushOrgEx(target, previousOrigin.x, previousOrigin.y, nullptr);
    ::SetStretchBltMode(target, previousMode);
}

}  // namespace Launcher
