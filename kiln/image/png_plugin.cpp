#include "kiln/image/png_plugin.h"

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <limits>
#include <new>

#include <png.h>

#include "kiln/file/stream_read.h"
#include "kiln/image/pixel_buffer.h"

namespace Kiln {

// Owns libpng's structures for the length of one Load.
struct CPNGPlugin::Reader {
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::unique_ptr<png_bytep[]> rows;

    ~Reader()
    {
        if (png)
            png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    }
};

namespace {

// Damaged files are an expected input: no messages, just the jump back to Decode.
void SilentError(png_structp png, png_const_charp /*message*/)
{
    png_longjmp(png, 1);
}

void SilentWarning(png_structp /*png*/, png_const_charp /*message*/) {}

void ReadFromStream(png_structp png, png_bytep data, size_t length)
{
    auto* stream = static_cast<IDataStream*>(png_get_io_ptr(png));
    if (length > std::numeric_limits<uint32_t>::max() || !ReadExact(*stream, data, static_cast<uint32_t>(length)))
        png_error(png, "unexpected end of data");
}

uint8_t ToEightBits(uint32_t sample, int32_t bitDepth)
{
    if (bitDepth == 8)
        return static_cast<uint8_t>(sample);
    if (bitDepth == 16)
        return static_cast<uint8_t>(sample >> 8);
    return static_cast<uint8_t>(sample * 255 / ((1u << bitDepth) - 1));
}

void PutPixel(uint8_t* out, uint8_t r, uint8_t g, uint8_t b, uint8_t a)
{
    out[0] = b;
    out[1] = g;
    out[2] = r;
    out[3] = a;
}

}  // namespace

CPNGPlugin::~CPNGPlugin() = default;

bool CPNGPlugin::Load(IDataStream* stream)
{
    if (loaded_ || !stream)
        return false;
    uint8_t signature[8];
    const bool complete = ReadExact(*stream, signature, sizeof signature);
    stream->Seek(0, kSeekBegin);
    if (!complete || png_sig_cmp(signature, 0, sizeof signature) != 0)
        return false;

    Reader reader;
    // libpng refuses a version text other than the one it was built from.
    reader.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, SilentError, SilentWarning);
    if (!reader.png)
        return false;
    reader.info = png_create_info_struct(reader.png);
    if (!reader.info)
        return false;
    png_set_read_fn(reader.png, stream, ReadFromStream);
    if (!Decode(reader, stream->GetSize())) {
        Clear();
        return false;
    }
    stream_ = KilnHandle<IDataStream>::Retain(stream);
    loaded_ = true;
    return true;
}

// libpng reports errors by longjmp back here: this frame holds no object with a destructor.
bool CPNGPlugin::Decode(Reader& reader, uint32_t streamBytes)
{
    png_structp png = reader.png;
    png_infop info = reader.info;
    if (setjmp(png_jmpbuf(png)))
        return false;

    png_set_user_limits(png, PixelBuffer::kMaxSide, PixelBuffer::kMaxSide);
    png_read_info(png, info);
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colorType = 0;
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colorType, nullptr, nullptr, nullptr);
    // The whole file bounds the compressed rows: a header cannot make us reserve more than
    // they could inflate to.
    // Memory: libpng's state, rows of at most 1032 bytes a byte of the file, and 4 bytes a pixel of at most 8 a row byte.
    const int bitsPerPixel = png_get_channels(png, info) * bitDepth;
    if (!PixelBuffer::CouldInflateTo(streamBytes, width, height, bitsPerPixel))
        return false;
    width_ = width;
    height_ = height;
    bitDepth_ = bitDepth;
    colorType_ = colorType;

    palette_.fill(0);
    png_colorp palette = nullptr;
    int paletteSize = 0;
    if (png_get_PLTE(png, info, &palette, &paletteSize)) {
        for (int i = 0; i < std::min(paletteSize, 256); ++i) {
            palette_[i * 3 + 0] = palette[i].red;
            palette_[i * 3 + 1] = palette[i].green;
            palette_[i * 3 + 2] = palette[i].blue;
        }
    }

    alpha_.fill(0xFF);
    transparentColor_ = {0, 0, 0};
    png_bytep transAlpha = nullptr;
    int transCount = 0;
    png_color_16p transColor = nullptr;
    hasTransparency_ = png_get_tRNS(png, info, &transAlpha, &transCount, &transColor) != 0;
    if (hasTransparency_) {
        // Keys compare with the raw samples; 8-bit images use the low byte of each key.
        const uint32_t keyMask = bitDepth == 16 ? 0xFFFF : 0xFF;
        if (colorType == PNG_COLOR_TYPE_GRAY && transColor) {
            transparentColor_[0] = transColor->gray & keyMask;
        } else if (colorType == PNG_COLOR_TYPE_RGB && transColor) {
            transparentColor_ = {transColor->red & keyMask, transColor->green & keyMask, transColor->blue & keyMask};
        } else if (colorType == PNG_COLOR_TYPE_PALETTE && transAlpha) {
            std::memcpy(alpha_.data(), transAlpha, static_cast<size_t>(std::clamp(transCount, 0, 256)));
        }
    }
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        alpha_[0] = 0;  // palette index 0 is the transparent colour, tRNS or not
        hasTransparency_ = true;
    }

    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    rowBytes_ = png_get_rowbytes(png, info);
    image_.reset(new (std::nothrow) uint8_t[rowBytes_ * height_]);
    reader.rows.reset(new (std::nothrow) png_bytep[height_]);
    if (!image_ || !reader.rows)
        return false;
    for (uint32_t y = 0; y < height_; ++y)
        reader.rows[y] = image_.get() + y * rowBytes_;
    png_read_image(png, reader.rows.get());
    return true;
}

uint32_t CPNGPlugin::Sample(const uint8_t* row, uint32_t index) const
{
    switch (bitDepth_) {
    case 8:
        return row[index];
    case 16:
        return static_cast<uint32_t>(row[index * 2] << 8 | row[index * 2 + 1]);
    default: {
        // 1, 2 or 4 bits, most significant first.
        const uint32_t bit = index * static_cast<uint32_t>(bitDepth_);
        const uint32_t shift = 8 - static_cast<uint32_t>(bitDepth_) - bit % 8;
        return (row[bit / 8] >> shift) & ((1u << bitDepth_) - 1);
    }
    }
}

void CPNGPlugin::ConvertRow(const uint8_t* row, uint8_t* out, uint32_t count) const
{
    const auto eight = [this](uint32_t sample) { return ToEightBits(sample, bitDepth_); };
    const auto isKey = [this](uint32_t r, uint32_t g, uint32_t b) {
        return hasTransparency_ && r == transparentColor_[0] && g == transparentColor_[1] && b == transparentColor_[2];
    };
    switch (colorType_) {
    case PNG_COLOR_TYPE_RGB_ALPHA:
        if (bitDepth_ == 8 && !hasTransparency_) {
            // The common case: R, G, B, A to B, G, R, A.
            for (uint32_t x = 0; x < count; ++x) {
                uint32_t v;
                std::memcpy(&v, row + x * 4, 4);
                v = (v & 0xFF00FF00u) | ((v >> 16) & 0xFFu) | ((v & 0xFFu) << 16);
                std::memcpy(out + x * 4, &v, 4);
            }
            return;
        }
        for (uint32_t x = 0; x < count; ++x, out += 4) {
            const uint32_t r = Sample(row, x * 4), g = Sample(row, x * 4 + 1), b = Sample(row, x * 4 + 2);
            if (isKey(r, g, b))
                std::memset(out, 0, 4);
            else
                PutPixel(out, eight(r), eight(g), eight(b), eight(Sample(row, x * 4 + 3)));
        }
        return;
    case PNG_COLOR_TYPE_RGB:
        for (uint32_t x = 0; x < count; ++x, out += 4) {
            const uint32_t r = Sample(row, x * 3), g = Sample(row, x * 3 + 1), b = Sample(row, x * 3 + 2);
            if (isKey(r, g, b))
                std::memset(out, 0, 4);
            else
                PutPixel(out, eight(r), eight(g), eight(b), 0xFF);
        }
        return;
    case PNG_COLOR_TYPE_PALETTE:
        for (uint32_t x = 0; x < count; ++x, out += 4) {
            const uint32_t index = Sample(row, x);
            PutPixel(out, palette_[index * 3], palette_[index * 3 + 1], palette_[index * 3 + 2], alpha_[index]);
        }
        return;
    case PNG_COLOR_TYPE_GRAY:
    case PNG_COLOR_TYPE_GRAY_ALPHA: {
        const uint32_t step = colorType_ == PNG_COLOR_TYPE_GRAY ? 1 : 2;
        for (uint32_t x = 0; x < count; ++x, out += 4) {
            const uint32_t grey = Sample(row, x * step);
            if (hasTransparency_ && grey == transparentColor_[0]) {
                std::memset(out, 0, 4);
                continue;
            }
            const uint8_t alpha = step == 2 ? eight(Sample(row, x * step + 1)) : 0xFF;
            PutPixel(out, eight(grey), eight(grey), eight(grey), alpha);
        }
        return;
    }
    default:
        std::memset(out, 0, static_cast<size_t>(count) * 4);
    }
}

void CPNGPlugin::CopyPixels(void* destination, int32_t width, int32_t height, bool dxt5)
{
    if (!loaded_ || !destination)
        return;
    const size_t bytes = PixelBuffer::Bytes(width, height, false);
    if (bytes == 0)
        return;
    std::unique_ptr<uint8_t[]> temporary;
    uint8_t* pixels = static_cast<uint8_t*>(destination);
    if (dxt5) {
        temporary.reset(new (std::nothrow) uint8_t[bytes]);
        if (!temporary)
            return;
        pixels = temporary.get();
    }
    const uint32_t columns = std::min(width_, static_cast<uint32_t>(width));
    const size_t rowOut = static_cast<size_t>(width) * 4;
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* out = pixels + static_cast<size_t>(y) * rowOut;
        const uint32_t filled = static_cast<uint32_t>(y) < height_ ? columns : 0;
        if (filled)
            ConvertRow(image_.get() + static_cast<size_t>(y) * rowBytes_, out, filled);
        std::memset(out + filled * 4, 0, rowOut - filled * 4);
    }
    if (dxt5)
        PixelBuffer::Deliver(pixels, width, height, destination, true, PixelBuffer::ClusterFit());
}

void CPNGPlugin::Clear()
{
    image_.reset();
    rowBytes_ = 0;
    width_ = height_ = 0;
    stream_.Reset();
    loaded_ = false;
}

void CPNGPlugin::Unload()
{
    Clear();
}

}  // namespace Kiln
