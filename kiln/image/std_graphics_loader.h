#pragma once

#include <cstdint>

#include "kiln/base/kiln_interface.h"
#include "kiln/file/data_stream.h"
#include "kiln/image/graphics_plugin.h"

namespace Kiln {

// Holds one stream and one decoder and forwards to the decoder.
class IStdGraphicsLoader : public IKilnInterface {
public:
    // The decoder's size; 0 when nothing is loaded.
    virtual int32_t GetWidth() = 0;
    virtual int32_t GetHeight() = 0;
    // Without a decoder the image is read as a BMP.
    virtual bool Load(IDataStream* stream, IGraphicsPlugin* decoder) = 0;
    virtual void CopyPixels(void* destination, int32_t width, int32_t height, bool dxt5) = 0;
    virtual void Unload() = 0;
};

class CStdGraphicsLoader : public RefCounted<IStdGraphicsLoader> {
public:
    int32_t GetWidth() override;
    int32_t GetHeight() override;
    bool Load(IDataStream* stream, IGraphicsPlugin* decoder) override;
    void CopyPixels(void* destination, int32_t width, int32_t height, bool dxt5) override;
    void Unload() override;

private:
    bool loaded_ = false;
    KilnHandle<IDataStream> stream_;
    KilnHandle<IGraphicsPlugin> decoder_;
};

}  // namespace Kiln
