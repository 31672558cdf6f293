#include "kiln/image/bmp_loader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <new>

#include "kiln/base/little_endian.h"
#include "kiln/file/stream_read.h"
#include "kiln/image/pixel_buffer.h"

namespace Kiln {
namespace {

constexpr uint32_t kFileHeaderBytes = 14;
constexpr uint32_t kInfoHeaderBytes = 40;

bool IsPaletted(int32_t bitCount)
{
    return bitCount == 1 || bitCount == 2 || bitCount == 4 || bitCount == 8;
}

constexpr uint32_t kRle8 = 1;
constexpr uint32_t kRle4 = 2;
// An RLE run is two bytes and paints at most 255 pixels.
constexpr uint64_t kRunBytes = 2;
constexpr uint64_t kMostRunPixels = 255;

// Whether the bytes after the rows' start could hold width x height pixels: every row whole
// (a pixel takes at least one bit, whatever its bit count says), or for RLE data one run per
// 255 pixels. A size the file cannot hold is refused before anything is reserved for it.
bool RowsFit(uint64_t available, int64_t width, int64_t height, int32_t bitCount, uint32_t compression)
{
    const uint64_t pixels = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
    if (compression == kRle8 || compression == kRle4)
        return (pixels + kMostRunPixels - 1) / kMostRunPixels * kRunBytes <= available;
    const uint64_t bits = static_cast<uint64_t>(std::max<int32_t>(bitCount, 1));
    const uint64_t rowBytes = (static_cast<uint64_t>(width) * bits + 31) / 32 * 4;
    return rowBytes * static_cast<uint64_t>(height) <= available;
}

// Palette entries B, G, R, reserved become opaque pixels; entries the file does not hold stay
// opaque black, so any index a row holds stays inside the table.
using Palette = std::array<uint8_t, 256 * 4>;

uint32_t PaletteEntries(int32_t bitCount, uint32_t colorsUsed)
{
    return colorsUsed != 0 ? colorsUsed : 1u << bitCount;
}

// Paletted rows follow the palette directly, whatever the file header's data offset says.
uint64_t RowsAfterPalette(int32_t bitCount, uint32_t colorsUsed)
{
    return kFileHeaderBytes + kInfoHeaderBytes + uint64_t{PaletteEntries(bitCount, colorsUsed)} * 4;
}

void ReadPalette(IDataStream& stream, uint32_t entries, Palette& palette)
{
    palette.fill(0);
    ReadSome(stream, palette.data(), entries * 4);
    for (uint32_t i = 0; i < 256; ++i)
        palette[i * 4 + 3] = 0xFF;
}

void ConvertPalettedRow(const uint8_t* row, int32_t bitCount, const Palette& palette, uint8_t* out,
                        int32_t count)
{
    const unsigned mask = (1u << bitCount) - 1;
    for (int32_t x = 0; x < count; ++x) {
        // Most significant bits first.
        const int64_t bit = int64_t{x} * bitCount;
        const unsigned shift = 8 - bitCount - static_cast<unsigned>(bit % 8);
        const unsigned index = (row[bit / 8] >> shift) & mask;
        std::memcpy(out + x * 4, &palette[index * 4], 4);
    }
}

void ConvertBgrRow(const uint8_t* row, uint8_t* out, int32_t count)
{
    for (int32_t x = 0; x < count; ++x, row += 3, out += 4) {
        out[0] = row[0];
        out[1] = row[1];
        out[2] = row[2];
        out[3] = 0xFF;
    }
}

}  // namespace

bool CBMPLoader::IsSupportedBitCount(int32_t bitCount)
{
    return IsPaletted(bitCount) || bitCount == 24 || bitCount == 32;
}

bool CBMPLoader::Load(IDataStream* stream)
{
    if (loaded_ || !stream)
        return false;
    uint8_t header[kFileHeaderBytes + kInfoHeaderBytes];
    if (!ReadExact(*stream, header, sizeof header) || header[0] != 'B' || header[1] != 'M')
        return false;
    const uint8_t* info = header + kFileHeaderBytes;
    const int32_t width = static_cast<int32_t>(GetLE32(info + 4));
    const int32_t height = static_cast<int32_t>(GetLE32(info + 8));
    const int32_t bitCount = GetLE16(info + 14);
    const uint32_t compression = GetLE32(info + 16);
    const uint32_t colorsUsed = GetLE32(info + 32);
    // A negative height (top-down rows) loads but copies nothing; sizes beyond the bounds and
    // a palette longer than the bit count can index are refused outright.
    const int64_t rows = height < 0 ? -int64_t{height} : height;
    if (!PixelBuffer::IsSaneSize(width, rows))
        return false;
    if (IsPaletted(bitCount) && colorsUsed > (1u << bitCount))
        return false;
    // Memory: 64 KiB + 4 bytes a pixel, of at most 128 pixels a byte of the file (1-bit rows 8, RLE runs 127.5).
    const uint32_t dataOffset = GetLE32(header + 10);
    const uint64_t rowsStart = IsPaletted(bitCount) ? RowsAfterPalette(bitCount, colorsUsed) : dataOffset;
    const uint32_t size = stream->GetSize();
    if (!RowsFit(size > rowsStart ? size - rowsStart : 0, width, rows, bitCount, compression))
        return false;

    stream_ = KilnHandle<IDataStream>::Retain(stream);
    dataOffset_ = dataOffset;
    width_ = width;
    height_ = height;
    bitCount_ = bitCount;
    colorsUsed_ = colorsUsed;
    loaded_ = true;
    return true;
}

void CBMPLoader::DecodeRows(uint8_t* pixels, int32_t width, int32_t height)
{
    IDataStream& stream = *stream_;
    Palette palette;
    if (IsPaletted(bitCount_)) {
        // The palette follows the info header directly, and the rows follow the palette.
        stream.Seek(kFileHeaderBytes + kInfoHeaderBytes, kSeekBegin);
        ReadPalette(stream, PaletteEntries(bitCount_, colorsUsed_), palette);
    } else {
        stream.Seek(static_cast<int>(dataOffset_), kSeekBegin);
    }

    const uint32_t rowBytes = static_cast<uint32_t>((int64_t{width_} * bitCount_ + 31) / 32 * 4);
    std::unique_ptr<uint8_t[]> row(new (std::nothrow) uint8_t[rowBytes]);
    if (!row)
        return;
    const int32_t columns = std::min(width_, width);
    for (int32_t k = 0; k < height_; ++k) {
        if (!ReadExact(stream, row.get(), rowBytes))
            break;  // RLE data, read as rows, runs out early: the remaining rows stay 0
        const int32_t y = height_ - 1 - k;
        if (y >= height)
            continue;
        uint8_t* out = pixels + static_cast<size_t>(y) * width * 4;
        if (bitCount_ == 24)
            ConvertBgrRow(row.get(), out, columns);
        else if (bitCount_ == 32)
            std::memcpy(out, row.get(), static_cast<size_t>(columns) * 4);
        else
            ConvertPalettedRow(row.get(), bitCount_, palette, out, columns);
    }
}

void CBMPLoader::CopyPixels(void* destination, int32_t width, int32_t height, bool dxt5)
{
    if (!loaded_ || !destination || height_ < 0 || !IsSupportedBitCount(bitCount_))
        return;
    const size_t bytes = PixelBuffer::Bytes(width, height, false);
    if (bytes == 0)
        return;
    std::unique_ptr<uint8_t[]> pixels(new (std::nothrow) uint8_t[bytes]());
    if (!pixels)
        return;
    DecodeRows(pixels.get(), width, height);
    PixelBuffer::Deliver(pixels.get(), width, height, destination, dxt5, PixelBuffer::RangeFit());
}

void CBMPLoader::Unload()
{
    if (stream_)
        stream_->Seek(0, kSeekBegin);
    stream_.Reset();
    loaded_ = false;
}

}  // namespace Kiln
