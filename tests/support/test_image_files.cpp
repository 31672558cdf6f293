#include "tests/support/test_image_files.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include <png.h>

#include "kiln/base/little_endian.h"
#include "kiln/file/byte_stream.h"

namespace KilnTest {

const uint32_t kExactDxt5Pixels[8 * 4] = {
    0x80FFFFFF, 0x10000000, 0x70AAAAAA, 0x60555555, 0x325555AA, 0x46AAAA55, 0x000000FF, 0x64FFFF00,
    0x50000000, 0x40AAAAAA, 0x30555555, 0x20FFFFFF, 0x50FFFF00, 0xFF5555AA, 0x3CAAAA55, 0x5A0000FF,
    0x80AAAAAA, 0x10555555, 0x70FFFFFF, 0x60000000, 0x320000FF, 0x46FFFF00, 0x005555AA, 0x64AAAA55,
    0x50555555, 0x40FFFFFF, 0x30000000, 0x20AAAAAA, 0x50AAAA55, 0xFF0000FF, 0x3CFFFF00, 0x5A5555AA,
};

// Left block: alpha indices 0..7, 0..7 in pixel order; colour indices row by row
// 0 1 2 3 / 1 2 3 0 / 2 3 0 1 / 3 0 1 2. Right block: alpha indices 0 3 6 1 4 7 2 5 twice;
// colour indices 3 2 1 0 / 0 3 2 1 / 1 0 3 2 / 2 1 0 3.
const uint8_t kExactDxt5Blocks[32] = {
    0x80, 0x10, 0x88, 0xC6, 0xFA, 0x88, 0xC6, 0xFA, 0xFF, 0xFF, 0x00, 0x00, 0xE4, 0x39, 0x4E, 0x93,
    0x32, 0x64, 0x98, 0xC3, 0xAB, 0x98, 0xC3, 0xAB, 0xE0, 0xFF, 0x1F, 0x00, 0x1B, 0x6C, 0xB1, 0xC6,
};

Bytes PadBmpRow(const Bytes& row)
{
    Bytes padded = row;
    padded.resize((row.size() + 3) / 4 * 4, 0);
    return padded;
}

Bytes MakeBmp(int32_t width, int32_t height, uint16_t bitCount, const Bytes& palette, uint32_t colorsUsed,
              const Bytes& rows)
{
    // Sized up front: GCC 12 misreads appends to a freshly sized vector as overflows.
    Bytes file(54 + palette.size() + rows.size(), 0);
    const uint32_t dataOffset = static_cast<uint32_t>(54 + palette.size());
    file[0] = 'B';
    file[1] = 'M';
    Kiln::PutLE32(&file[2], static_cast<uint32_t>(dataOffset + rows.size()));
    Kiln::PutLE32(&file[10], dataOffset);
    Kiln::PutLE32(&file[14], 40);
    Kiln::PutLE32(&file[18], static_cast<uint32_t>(width));
    Kiln::PutLE32(&file[22], static_cast<uint32_t>(height));
    Kiln::PutLE16(&file[26], 1);
    Kiln::PutLE16(&file[28], bitCount);
    Kiln::PutLE32(&file[34], static_cast<uint32_t>(rows.size()));
    Kiln::PutLE32(&file[46], colorsUsed);
    std::copy(palette.begin(), palette.end(), file.begin() + 54);
    std::copy(rows.begin(), rows.end(), file.begin() + dataOffset);
    return file;
}

namespace {

void AppendToBytes(png_structp png, png_bytep data, size_t length)
{
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void Flush(png_structp) {}

// libpng reports errors by longjmp: nothing in this frame has a destructor.
bool WritePng(const PngShape& shape, png_color* palette, int paletteSize, png_bytep* rows, Bytes* out)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, out, AppendToBytes, Flush);
    png_set_IHDR(png, info, shape.width, shape.height, shape.bitDepth, shape.colorType,
                 shape.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (paletteSize > 0)
        png_set_PLTE(png, info, palette, paletteSize);
    png_color_16 key{};
    if (!shape.transKey.empty()) {
        key.gray = shape.transKey[0];
        key.red = shape.transKey[0];
        key.green = shape.transKey.size() > 1 ? shape.transKey[1] : 0;
        key.blue = shape.transKey.size() > 2 ? shape.transKey[2] : 0;
    }
    if (!shape.transAlpha.empty() || !shape.transKey.empty()) {
        png_set_tRNS(png, info, shape.transAlpha.empty() ? nullptr : const_cast<png_bytep>(shape.transAlpha.data()),
                     static_cast<int>(shape.transAlpha.size()), shape.transKey.empty() ? nullptr : &key);
    }
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

Bytes MakePng(const PngShape& shape)
{
    std::vector<png_color> palette(shape.palette.size() / 3);
    for (size_t i = 0; i < palette.size(); ++i)
        palette[i] = {shape.palette[i * 3], shape.palette[i * 3 + 1], shape.palette[i * 3 + 2]};
    std::vector<png_bytep> rows;
    for (const Bytes& row : shape.rows)
        rows.push_back(const_cast<png_bytep>(row.data()));
    Bytes out;
    if (!WritePng(shape, palette.data(), static_cast<int>(palette.size()), rows.data(), &out))
        throw std::runtime_error("test PNG could not be written");
    return out;
}

Bytes MakeDds(uint32_t width, uint32_t height, const char* fourCC, const Bytes& payload)
{
    // Laid out field by field from the file format, apart from the runtime's own writer.
    // Sized up front: GCC 12 misreads appends to a freshly sized vector as overflows.
    Bytes file(128 + payload.size(), 0);
    const auto put = [&file](size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i)
            file[at + i] = static_cast<uint8_t>(value >> (8 * i));
    };
    const bool compressed = fourCC && *fourCC;
    std::memcpy(file.data(), "DDS ", 4);
    put(4, 124);  // size of the surface description
    // caps, height, width, pixel format, and linear size (compressed) or pitch
    put(8, 0x1 | 0x2 | 0x4 | 0x1000 | (compressed ? 0x80000 : 0x8));
    put(12, height);
    put(16, width);
    put(20, compressed ? ((width + 3) / 4) * ((height + 3) / 4) * 16 : width * 4);
    put(76, 32);  // size of the pixel format
    if (compressed) {
        put(80, 0x4);  // four-character code
        std::memcpy(file.data() + 84, fourCC, 4);
    } else {
        put(80, 0x40 | 0x1);  // RGB with alpha
        put(88, 32);
        put(92, 0x00FF0000);
        put(96, 0x0000FF00);
        put(100, 0x000000FF);
        put(104, 0xFF000000);
    }
    put(108, 0x1000);  // texture
    std::copy(payload.begin(), payload.end(), file.begin() + 128);
    return file;
}

bool LoadBytes(Kiln::IGraphicsPlugin& decoder, const Bytes& file)
{
    auto stream = Kiln::KilnHandle<Kiln::CByteStream>::Adopt(new Kiln::CByteStream(file));
    return decoder.Load(stream.Get());
}

std::vector<uint32_t> CopyPixels(Kiln::IGraphicsPlugin& decoder, int32_t width, int32_t height, uint32_t fill)
{
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height, fill);
    decoder.CopyPixels(pixels.data(), width, height, false);
    return pixels;
}

}  // namespace KilnTest
