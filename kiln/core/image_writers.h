#pragma once

#include <cstdint>

// Writers behind the extension service: each takes `height` row pointers of `width` RGB
// pixels (3 bytes R, G, B) and returns false when the file cannot be written.
namespace Kiln::ImageWriters {

// 24-bit uncompressed BMP, rows stored bottom-up and padded to 4 bytes.
bool WriteBMP(int width, int height, const uint8_t* const* rows, const char* fileName);

// Baseline JPEG; quality -1 means 80.
bool WriteJPEG(int width, int height, const uint8_t* const* rows, const char* fileName, int quality);

// 8-bit RGB PNG, not interlaced; compression level -1 means 6.
bool WritePNG(int width, int height, const uint8_t* const* rows, const char* fileName, int level);

}  // namespace Kiln::ImageWriters
