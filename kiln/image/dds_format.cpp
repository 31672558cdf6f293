#include "kiln/image/dds_format.h"

#include <cstring>

#include "kiln/base/little_endian.h"

namespace Kiln::DdsFormat {
namespace {

constexpr uint32_t kSurfaceDescBytes = 124;
constexpr uint32_t kPixelFormatBytes = 32;

// Header flags.
constexpr uint32_t kCaps = 0x1;
constexpr uint32_t kHeight = 0x2;
constexpr uint32_t kWidth = 0x4;
constexpr uint32_t kPixelFormatFlag = 0x1000;
constexpr uint32_t kLinearSize = 0x80000;
// Pixel format flags.
constexpr uint32_t kAlphaPixels = 0x1;
constexpr uint32_t kFourCC = 0x4;
constexpr uint32_t kRgb = 0x40;
constexpr uint32_t kTextureCaps = 0x1000;

// Field offsets from the start of the file (after the 4-byte magic).
constexpr size_t kSizeAt = 4;
constexpr size_t kFlagsAt = 8;
constexpr size_t kHeightAt = 12;
constexpr size_t kWidthAt = 16;
constexpr size_t kLinearSizeAt = 20;
constexpr size_t kPixelFormatAt = 76;
constexpr size_t kCapsAt = 108;

}  // namespace

Surface ParseHeader(const Header& header)
{
    Surface surface;
    const uint8_t* h = header.data();
    if (std::memcmp(h, "DDS ", 4) != 0 || GetLE32(h + kSizeAt) != kSurfaceDescBytes)
        return surface;
    if ((GetLE32(h + kFlagsAt) & (kHeight | kWidth)) != (kHeight | kWidth))
        return surface;
    const uint8_t* pf = h + kPixelFormatAt;
    const uint32_t flags = GetLE32(pf + 4);
    if ((flags & kFourCC) && std::memcmp(pf + 8, "DXT5", 4) == 0) {
        surface.format = PixelFormat::Dxt5;
    } else if ((flags & kRgb) && (flags & kAlphaPixels) && GetLE32(pf + 16) == 0x00FF0000 &&
               GetLE32(pf + 20) == 0x0000FF00 && GetLE32(pf + 24) == 0x000000FF && GetLE32(pf + 28) == 0xFF000000) {
        surface.format = PixelFormat::A8R8G8B8;
    } else {
        return surface;
    }
    surface.height = GetLE32(h + kHeightAt);
    surface.width = GetLE32(h + kWidthAt);
    return surface;
}

uint64_t TopLevelBytes(const Surface& surface)
{
    if (surface.format == PixelFormat::Dxt5)
        return (uint64_t{surface.width} + 3) / 4 * ((uint64_t{surface.height} + 3) / 4) * 16;
    return uint64_t{surface.width} * surface.height * 4;
}

Header MakeDxt5Header(uint32_t width, uint32_t height)
{
    Header header{};
    uint8_t* h = header.data();
    std::memcpy(h, "DDS ", 4);
    PutLE32(h + kSizeAt, kSurfaceDescBytes);
    PutLE32(h + kFlagsAt, kCaps | kHeight | kWidth | kPixelFormatFlag | kLinearSize);
    PutLE32(h + kHeightAt, height);
    PutLE32(h + kWidthAt, width);
    PutLE32(h + kLinearSizeAt,
            static_cast<uint32_t>(TopLevelBytes(Surface{width, height, PixelFormat::Dxt5})));
    PutLE32(h + kPixelFormatAt, kPixelFormatBytes);
    PutLE32(h + kPixelFormatAt + 4, kFourCC);
    std::memcpy(h + kPixelFormatAt + 8, "DXT5", 4);
    PutLE32(h + kCapsAt, kTextureCaps);
    return header;
}

}  // namespace Kiln::DdsFormat
