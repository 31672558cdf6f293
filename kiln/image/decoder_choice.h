#pragma once

#include <string_view>

#include "kiln/image/graphics_plugin.h"

namespace Kiln {

enum class ImageDecoder { Bmp, Png, Dds };

// The file name's extension picks the decoder: exactly "png" or "dds" after lower-casing;
// everything else (".jpg", "top.png.bak", no dot) is read as a BMP.
ImageDecoder DecoderForName(std::string_view name);

const char* DecoderName(ImageDecoder decoder);

// A new decoder object (one reference, owned by the caller); null when out of memory.
IGraphicsPlugin* CreateDecoder(ImageDecoder decoder);

}  // namespace Kiln
