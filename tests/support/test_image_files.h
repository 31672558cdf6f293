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

// Loads `file` into the decoder (false when it refuses) and copies its pixels into a
// width x height destination first filled with `fill`; pixels read as 0xAARRGGBB values.
bool LoadBytes(Kiln::IGraphicsPlugin& decoder, const Bytes& file);
std::vector<uint32_t> CopyPixels(Kiln::IGraphicsPlugin& decoder, int32_t width, int32_t height,
                                 uint32_t fill = 0);

}  // namespace KilnTest
