#pragma once

#include <cstdint>
#include <vector>

#include "kiln/image/graphics_plugin.h"

// Image files built in memory for the tests, the fuzz seeds and the benchmark.
namespace KilnTest {

using Bytes = std::vector<uint8_t>;

// A BMP with a 40-byte info header. `rows` are the file's rows in file order (bottom row
// first), each already padded; `palette` entries are 4 bytes B, G, R, 0.
Bytes MakeBmp(int32_t width, int32_t height, uint16_t bitCount, const Bytes& palette, uint32_t colorsUsed,
              const Bytes& rows);

// Pads a row of pixel bytes to a multiple of 4.
Bytes PadBmpRow(const Bytes& row);

struct PngShape {
    uint32_t width = 1;
    uint32_t height = 1;
    int bitDepth = 8;
    int colorType = 6;  // libpng's PNG_COLOR_TYPE_*
    bool interlaced = false;
    // Packed rows as libpng wants them (samples of bitDepth bits, rows byte-aligned).
    std::vector<Bytes> rows;
    // R, G, B triples for colour type 3.
    Bytes palette;
    // tRNS: alphas for type 3; for types 0 and 2 the key, one or three 16-bit samples.
    Bytes transAlpha;
    std::vector<uint16_t> transKey;
};

// A PNG written by libpng's own writer.
Bytes MakePng(const PngShape& shape);

// A DDS header and payload: fourCC "DXT5"/"DXT1", or empty for A8R8G8B8.
Bytes MakeDds(uint32_t width, uint32_t height, const char* fourCC, const Bytes& payload);

// An 8 x 4 image (two 4 x 4 blocks) whose DXT5 form is exact and so has one encoding, worked
// out by hand from the block layout. Left block: grey 255/170/85/0 on the white-black line
// (colour0 0xFFFF, colour1 0x0000, indices 0 white, 1 black, 2 grey 170, 3 grey 85) and
// eight alphas 16..128 in steps of 16, exact only with eight interpolated alphas (alpha0 128,
// alpha1 16; index 0 128, 1 16, 2..7 112, 96, ..., 32). Right block: yellow-blue line (colour0
// 0xFFE0, colour1 0x001F; 2 = (170, 170, 85), 3 = (85, 85, 170)) and alphas 0, 255, 50..100 in steps
// of 10, exact only with six interpolated alphas plus 0 and 255 (alpha0 50, alpha1 100;
// index 0 50, 1 100, 2..5 60, 70, 80, 90, 6 0, 7 255).
// Pixels as 0xAARRGGBB, rows top-down.
extern const uint32_t kExactDxt5Pixels[8 * 4];
// The two blocks: alpha0, alpha1, 48 bits of 3-bit indices (pixel 0 lowest), colour0 and
// colour1 (5:6:5, little-endian), 32 bits of 2-bit indices (pixel 0 lowest).
extern const uint8_t kExactDxt5Blocks[32];

// Loads `file` into the decoder (false when it refuses) and copies its pixels into a
// width x height destination first filled with `fill`; pixels read as 0xAARRGGBB values.
bool LoadBytes(Kiln::IGraphicsPlugin& decoder, const Bytes& file);
std::vector<uint32_t> CopyPixels(Kiln::IGraphicsPlugin& decoder, int32_t width, int32_t height,
                                 uint32_t fill = 0);

}  // namespace KilnTest
