#include "kiln/image/pixel_buffer.h"

#include <cstring>

#include <squish.h>

namespace Kiln::PixelBuffer {

bool IsSaneSize(int64_t width, int64_t height)
{
    return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide && width * height <= kMaxPixels;
}

size_t Bytes(int32_t width, int32_t height, bool dxt5)
{
    if (!IsSaneSize(width, height))
        return 0;
    if (dxt5)
        return static_cast<size_t>(BlockCount(width) * BlockCount(height) * 16);
    return static_cast<size_t>(int64_t{width} * height * 4);
}

void SwapRedBlue(uint8_t* pixels, size_t count)
{
    for (size_t i = 0; i < count; ++i, pixels += 4) {
        const uint8_t first = pixels[0];
        pixels[0] = pixels[2];
        pixels[2] = first;
    }
}

void CompressDxt5(const uint8_t* rgba, int32_t width, int32_t height, void* blocks, int extraFlags)
{
    squish::CompressImage(rgba, width, height, blocks, squish::kDxt5 | extraFlags);
}

int ClusterFit()
{
    return squish::kColourClusterFit;
}

int RangeFit()
{
    return squish::kColourRangeFit;
}

void Deliver(uint8_t* bgra, int32_t width, int32_t height, void* destination, bool dxt5, int fit)
{
    const size_t bytes = Bytes(width, height, false);
    if (!dxt5) {
        std::memcpy(destination, bgra, bytes);
        return;
    }
    SwapRedBlue(bgra, bytes / 4);
    CompressDxt5(bgra, width, height, destination, fit);
}

void DecompressDxt5(uint8_t* rgba, int32_t width, int32_t height, const void* blocks)
{
    squish::DecompressImage(rgba, width, height, blocks, squish::kDxt5);
}

}  // namespace Kiln::PixelBuffer
