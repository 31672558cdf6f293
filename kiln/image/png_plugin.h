#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "kiln/image/graphics_plugin.h"

namespace Kiln {

// PNG through libpng. Load decodes the whole image; transparency follows the tRNS chunk, and
// palette index 0 is always fully transparent.
class CPNGPlugin : public RefCounted<IGraphicsPlugin> {
public:
    ~CPNGPlugin() override;

    int32_t GetWidth() override { return loaded_ ? static_cast<int32_t>(width_) : 0; }
    int32_t GetHeight() override { return loaded_ ? static_cast<int32_t>(height_) : 0; }
    int32_t GetBitCount() override { return loaded_ ? bitDepth_ : 0; }
    bool Load(IDataStream* stream) override;
    void CopyPixels(void* destination, int32_t width, int32_t height, bool dxt5) override;
    void Unload() override;

    // Libpng's state during Load; defined in the source file.
    struct Reader;

private:
    // `streamBytes`: the size of the whole file.
    bool Decode(Reader& reader, uint32_t streamBytes);
    // One decoded row into `count` pixels B, G, R, A.
    void ConvertRow(const uint8_t* row, uint8_t* out, uint32_t count) const;
    uint32_t Sample(const uint8_t* row, uint32_t index) const;
    void Clear();

    bool loaded_ = false;
    KilnHandle<IDataStream> stream_;
    uint32_t width_ = 0;
    uint32_t height_ = 0;
    int32_t bitDepth_ = 0;
    int32_t colorType_ = 0;
    bool hasTransparency_ = false;
    // Grey or R, G, B key of colour types 0 and 2.
    std::array<uint32_t, 3> transparentColor_{};
    std::array<uint8_t, 256> alpha_{};
    std::array<uint8_t, 256 * 3> palette_{};
    size_t rowBytes_ = 0;
    std::unique_ptr<uint8_t[]> image_;
};

}  // namespace Kiln
