#pragma once

#include <cstdint>

#include "kiln/image/graphics_plugin.h"

namespace Kiln {

// Windows bitmaps: 1, 2, 4 and 8-bit palettes, 24 and 32-bit pixels, rows bottom-up.
class CBMPLoader : public RefCounted<IGraphicsPlugin> {
public:
    // Other bit counts load, but CopyPixels leaves the destination as it is.
    static bool IsSupportedBitCount(int32_t bitCount);

    int32_t GetWidth() override { return loaded_ ? width_ : 0; }
    int32_t GetHeight() override { return loaded_ ? height_ : 0; }
    int32_t GetBitCount() override { return loaded_ ? bitCount_ : 0; }
    bool Load(IDataStream* stream) override;
    void CopyPixels(void* destination, int32_t width, int32_t height, bool dxt5) override;
    void Unload() override;

private:
    // Decodes the file's rows into `pixels` (B, G, R, A; width x height, zeroed by the caller).
    void DecodeRows(uint8_t* pixels, int32_t width, int32_t height);

    bool loaded_ = false;
    KilnHandle<IDataStream> stream_;
    uint32_t dataOffset_ = 0;
    int32_t width_ = 0;
    int32_t height_ = 0;
    int32_t bitCount_ = 0;
    uint32_t colorsUsed_ = 0;
};

}  // namespace Kiln
