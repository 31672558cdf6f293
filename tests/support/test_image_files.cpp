#include "tests/support/test_image_files.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include <png.h>

#include "kiln/base/little_endian.h"
#include "kiln/file/byte_stream.h"
#include "kiln/image/dds_format.h"

namespace KilnTest {

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
    Kiln::DdsFormat::Header header = Kiln::DdsFormat::MakeDxt5Header(width, height);
    uint8_t* pf = header.data() + 76;
    if (fourCC && *fourCC) {
        std::memcpy(pf + 8, fourCC, 4);
    } else {
        Kiln::PutLE32(pf + 4, 0x40 | 0x1);  // RGB with alpha
        std::memset(pf + 8, 0, 4);
        Kiln::PutLE32(pf + 12, 32);
        Kiln::PutLE32(pf + 16, 0x00FF0000);
        Kiln::PutLE32(pf + 20, 0x0000FF00);
        Kiln::PutLE32(pf + 24, 0x000000FF);
        Kiln::PutLE32(pf + 28, 0xFF000000);
    }
    Bytes file(header.size() + payload.size());
    std::copy(header.begin(), header.end(), file.begin());
    std::copy(payload.begin(), payload.end(), file.begin() + header.size());
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
