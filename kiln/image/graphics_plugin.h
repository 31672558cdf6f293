#pragma once

#include <cstdint>

#include "kiln/base/kiln_interface.h"
#include "kiln/file/data_stream.h"

namespace Kiln {

// One image decoder. Pixels come out as 32-bit 0xAARRGGBB values (bytes B, G, R, A), rows
// top-down, the image in the top-left corner of the destination and the rest 0; or, with
// `dxt5`, as DXT5 blocks (see PixelBufferBytes for the sizes a destination must hold).
class IGraphicsPlugin : public IKilnInterface {
public:
    // 0 when nothing is loaded.
    virtual int32_t GetWidth() = 0;
    virtual int32_t GetHeight() = 0;
    // BMP: bits per pixel of the file; PNG: bits per channel; DDS: 32.
    virtual int32_t GetBitCount() = 0;
    // Reads the header (PNG: the whole image) and holds the stream.
    virtual bool Load(IDataStream* stream) = 0;
    virtual void CopyPixels(void* destination, int32_t width, int32_t height, bool dxt5) = 0;
    virtual void Unload() = 0;
};

}  // namespace Kiln
