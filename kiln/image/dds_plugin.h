#pragma once

#include <cstdint>

#include "kiln/image/dds_format.h"
#include "kiln/image/graphics_plugin.h"

namespace Kiln {

// DirectDraw surfaces: the top-level image of an A8R8G8B8 or DXT5 file.
class CDDSPlugin : public RefCounted<IGraphicsPlugin> {
public:
    int32_t GetWidth() override { return loaded_ ? static_cast<int32_t>(surface_.width) : 0; }
    int32_t GetHeight() override { return loaded_ ? static_cast<int32_t>(surface_.height) : 0; }
    int32_t GetBitCount() override { return loaded_ ? 32 : 0; }
    bool Load(IDataStream* stream) override;
    void CopyPixels(void* destination, int32_t width, int32_t height, bool dxt5) override;
    void Unload() override;

private:
    void CopyBlocks(uint8_t* destination, int32_t width, int32_t height, bool dxt5);
    void CopyArgb(uint8_t* destination, int32_t width, int32_t height, bool dxt5);

    bool loaded_ = false;
    KilnHandle<IDataStream> stream_;
    DdsFormat::Surface surface_;
};

}  // namespace Kiln
