#include "kiln/image/dds_plugin.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "kiln/file/stream_read.h"
#include "kiln/image/pixel_buffer.h"

namespace Kiln {

bool CDDSPlugin::Load(IDataStream* stream)
{
    if (loaded_ || !stream)
        return false;
    DdsFormat::Header header;
    if (!ReadExact(*stream, header.data(), DdsFormat::kHeaderBytes))
        return false;
    const DdsFormat::Surface surface = DdsFormat::ParseHeader(header);
    if (surface.format == DdsFormat::PixelFormat::Unsupported ||
        !PixelBuffer::IsSaneSize(surface.width, surface.height))
        return false;
    // The file must hold the whole top-level image its header promises.
    // Memory: 4 bytes a pixel twice (a temporary and the blocks of DXT5), for at most 1 pixel a byte of the file.
    if (stream->GetSize() - DdsFormat::kHeaderBytes < DdsFormat::TopLevelBytes(surface))
        return false;
    stream_ = KilnHandle<IDataStream>::Retain(stream);
    surface_ = surface;
    loaded_ = true;
    return true;
}

void CDDSPlugin::CopyPixels(void* destination, int32_t width, int32_t height, bool dxt5)
{
    if (!loaded_ || !destination || PixelBuffer::Bytes(width, height, false) == 0)
        return;
    stream_->Seek(DdsFormat::kHeaderBytes, kSeekBegin);
    if (surface_.format == DdsFormat::PixelFormat::Dxt5)
        CopyBlocks(static_cast<uint8_t*>(destination), width, height, dxt5);
    else
        CopyArgb(static_cast<uint8_t*>(destination), width, height, dxt5);
}

void CDDSPlugin::CopyBlocks(uint8_t* destination, int32_t width, int32_t height, bool dxt5)
{
    // Block rows of the file into a buffer laid out for the destination's width.
    const size_t fileRowBytes = static_cast<size_t>(PixelBuffer::BlockCount(surface_.width)) * 16;
    const size_t rowBytes = static_cast<size_t>(PixelBuffer::BlockCount(width)) * 16;
    const int64_t fileRows = PixelBuffer::BlockCount(surface_.height);
    const int64_t rows = PixelBuffer::BlockCount(height);
    const size_t total = PixelBuffer::Bytes(width, height, true);
    std::unique_ptr<uint8_t[]> blocks(new (std::nothrow) uint8_t[total]());
    std::unique_ptr<uint8_t[]> row(new (std::nothrow) uint8_t[fileRowBytes]);
    if (!blocks || !row)
        return;
    for (int64_t r = 0; r < fileRows && r < rows; ++r) {
        if (!ReadExact(*stream_, row.get(), static_cast<uint32_t>(fileRowBytes)))
            break;
        std::memcpy(blocks.get() + r * rowBytes, row.get(), std::min(fileRowBytes, rowBytes));
    }
    if (dxt5) {
        std::memcpy(destination, blocks.get(), total);
        return;
    }
    PixelBuffer::DecompressDxt5(destination, width, height, blocks.get());
    PixelBuffer::SwapRedBlue(destination, PixelBuffer::Bytes(width, height, false) / 4);
}

void CDDSPlugin::CopyArgb(uint8_t* destination, int32_t width, int32_t height, bool dxt5)
{
    const size_t bytes = PixelBuffer::Bytes(width, height, false);
    std::unique_ptr<uint8_t[]> pixels(new (std::nothrow) uint8_t[bytes]());
    if (!pixels)
        return;
    const uint32_t fileRowBytes = surface_.width * 4;
    const size_t rowBytes = static_cast<size_t>(width) * 4;
    const uint32_t rows = std::min(surface_.height, static_cast<uint32_t>(height));
    for (uint32_t y = 0; y < rows; ++y) {
        uint8_t* out = pixels.get() + y * rowBytes;
        if (fileRowBytes <= rowBytes) {
            if (!ReadExact(*stream_, out, fileRowBytes))
                break;
        } else {
            // A destination narrower than the image keeps the left part of each row.
            if (!ReadExact(*stream_, out, static_cast<uint32_t>(rowBytes)))
                break;
            stream_->Seek(static_cast<int>(fileRowBytes - rowBytes), kSeekCurrent);
        }
    }
    PixelBuffer::Deliver(pixels.get(), width, height, destination, dxt5, PixelBuffer::RangeFit());
}

void CDDSPlugin::Unload()
{
    stream_.Reset();
    surface_ = DdsFormat::Surface{};
    loaded_ = false;
}

}  // namespace Kiln
