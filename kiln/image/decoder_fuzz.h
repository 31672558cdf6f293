#pragma once

// The body every image decoder's fuzz target shares: load the bytes, then copy the pixels
// into destinations of the image's size, a larger and a smaller one, and as DXT5 blocks.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "kiln/image/graphics_plugin.h"
#include "kiln/image/pixel_buffer.h"
#include "kiln/file/byte_stream.h"

namespace KilnFuzz {

inline void CopyInto(Kiln::IGraphicsPlugin& decoder, int32_t width, int32_t height, bool dxt5)
{
    const size_t bytes = Kiln::PixelBuffer::Bytes(width, height, dxt5);
    // Large images decode the same way as small ones; keep each run quick.
    if (bytes == 0 || bytes > (size_t{1} << 22) || (dxt5 && bytes > 64 * 64))
        return;
    std::vector<uint8_t> destination(bytes);
    decoder.CopyPixels(destination.data(), width, height, dxt5);
}

inline void RunDecoder(Kiln::IGraphicsPlugin& decoder, const uint8_t* data, size_t size)
{
    auto stream = Kiln::KilnHandle<Kiln::CByteStream>::Adopt(new Kiln::CByteStream(data, size));
    if (!decoder.Load(stream.Get()))
        return;
    const int32_t width = decoder.GetWidth();
    const int32_t height = decoder.GetHeight();
    CopyInto(decoder, width, height, false);
    CopyInto(decoder, width + 3, height + 1, false);
    CopyInto(decoder, width / 2, height / 2, false);
    CopyInto(decoder, width, height, true);
    decoder.Unload();
}

}  // namespace KilnFuzz
