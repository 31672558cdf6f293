#include "kiln/image/pixel_buffer.h"

#include <cstring>

#include <squish.h>

namespace Kiln::PixelBuffer {

bool IsSaneSize(int64_t width, int64_t height)
{
    return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide && width * height <= kMaxPixels;
}

bool CouldInflateTo(uint64_t compressedBytes, int64_t width, int64_t height, int bitsPerPixel)
{
    if (!IsSaneSize(width, height) || bitsPerPixel <= 0 || bitsPerPixel > 64)
        return false;
    // At most 2^26 pixels of 64 bits: no overflow.
    const uint64_t inflated = (static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * bitsPerPixel + 7) / 8;
    return inflated <= compressedBytes * kMaxDeflateRatio;
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
