#pragma once

#include <array>
#include <cstdint>

// The 128-byte header of a DirectDraw surface file: what the DDS decoder accepts and what the
// maker's tool writes.
namespace Kiln::DdsFormat {

constexpr uint32_t kHeaderBytes = 128;
using Header = std::array<uint8_t, kHeaderBytes>;

enum class PixelFormat { Unsupported, A8R8G8B8, Dxt5 };

struct Surface {
    uint32_t width = 0;
    uint32_t height = 0;
    PixelFormat format = PixelFormat::Unsupported;
};

// "DDS ", header size 124, height and width flags, and an A8R8G8B8 or DXT5 pixel format;
// anything else is Unsupported.
Surface ParseHeader(const Header& header);

// Bytes of the top-level image: 4 per pixel, or 16 per 4 x 4 block with partial edge blocks
// counted whole (as DXT files store them).
uint64_t TopLevelBytes(const Surface& surface);

// The header of a DXT5 texture of one level.
Header MakeDxt5Header(uint32_t width, uint32_t height);

}  // namespace Kiln::DdsFormat
