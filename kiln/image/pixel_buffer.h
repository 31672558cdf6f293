#pragma once

#include <cstddef>
#include <cstdint>

// Sizes, bounds and conversions shared by the image decoders.
namespace Kiln::PixelBuffer {

// Images come from files a player can replace; no picture or texture of the game comes near
// these bounds, and they keep every size product far from overflowing.
constexpr int64_t kMaxSide = 16384;
constexpr int64_t kMaxPixels = int64_t{1} << 26;

// Both sides positive and within the bounds above.
bool IsSaneSize(int64_t width, int64_t height);

// Deflate turns a byte into at most 1032 (a 258-byte match in about two bits).
constexpr uint64_t kMaxDeflateRatio = 1032;

// Whether `compressedBytes` of deflate data could possibly hold an image of `width` x
// `height` pixels of `bitsPerPixel` (rows' filter bytes left out, so the bound is generous).
bool CouldInflateTo(uint64_t compressedBytes, int64_t width, int64_t height, int bitsPerPixel);

// Bytes a destination of width x height needs: 4 per pixel, or 16 per 4 x 4 block (partial
// blocks at the right and bottom edges count whole) for DXT5. 0 when the size is not sane.
size_t Bytes(int32_t width, int32_t height, bool dxt5);

// DXT5 blocks in one block row / block rows for a side of `pixels`.
inline int64_t BlockCount(int64_t pixels)
{
    return (pixels + 3) / 4;
}

// Exchanges the first and third byte of every 4-byte pixel (B, G, R, A <-> R, G, B, A).
void SwapRedBlue(uint8_t* pixels, size_t count);

// DXT5 compression of R, G, B, A pixels through libsquish; `extraFlags` picks the colour fit.
void CompressDxt5(const uint8_t* rgba, int32_t width, int32_t height, void* blocks, int extraFlags);
// The default (cluster) fit and the fast range fit, as squish flags.
int ClusterFit();
int RangeFit();

// Hands a finished width x height image of B, G, R, A pixels to the caller's destination:
// copied as it is, or (dxt5) exchanged to R, G, B, A in place and compressed with the fit.
void Deliver(uint8_t* bgra, int32_t width, int32_t height, void* destination, bool dxt5, int fit);

// DXT5 decompression into R, G, B, A pixels.
void DecompressDxt5(uint8_t* rgba, int32_t width, int32_t height, const void* blocks);

}  // namespace Kiln::PixelBuffer
