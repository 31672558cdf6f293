#include "kiln/core/image_writers.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include <jpeglib.h>
#include <png.h>

#include "kiln/base/little_endian.h"

namespace Kiln::ImageWriters {
namespace {

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<FILE, FileCloser>;

bool ValidImage(int width, int height, const uint8_t* const* rows)
{
    return width > 0 && height > 0 && rows != nullptr;
}

// libjpeg reports errors by calling error_exit, whose default ends the process.
struct JpegErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

void JpegErrorExit(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<JpegErrorManager*>(info->err)->jump, 1);
}

bool CompressJpeg(FILE* file, int width, int height, const uint8_t* const* rows, int quality)
{
    jpeg_compress_struct info;
    JpegErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = JpegErrorExit;
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rows[info.next_scanline]);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

bool CompressPng(FILE* file, int width, int height, const uint8_t* const* rows, int level)
{
    // The version must be the one the library was built from, or libpng refuses to start.
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) {
        std::fputs("png create error.", stderr);
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_compression_level(png, level);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, const_cast<png_bytepp>(rows));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool WriteBMP(int width, int height, const uint8_t* const* rows, const char* fileName)
{
    if (!ValidImage(width, height, rows))
        return false;
    const uint64_t rowBytes = (static_cast<uint64_t>(width) * 3 + 3) & ~uint64_t{3};
    const uint64_t imageBytes = rowBytes * static_cast<uint64_t>(height);
    constexpr uint32_t kHeaderBytes = 14 + 40;
    if (imageBytes > std::numeric_limits<uint32_t>::max() - kHeaderBytes)
        return false;

    UniqueFile file(std::fopen(fileName, "wb"));
    if (!file)
        return false;

    uint8_t header[kHeaderBytes] = {};
    header[0] = 'B';
    header[1] = 'M';
    PutLE32(header + 2, kHeaderBytes + static_cast<uint32_t>(imageBytes));
    PutLE32(header + 10, kHeaderBytes);
    uint8_t* info = header + 14;
    PutLE32(info + 0, 40);
    PutLE32(info + 4, static_cast<uint32_t>(width));
    PutLE32(info + 8, static_cast<uint32_t>(height));
    PutLE16(info + 12, 1);
    PutLE16(info + 14, 24);
    bool ok = std::fwrite(header, sizeof header, 1, file.get()) == 1;

    std::vector<uint8_t> line(static_cast<size_t>(rowBytes), 0);
    for (int y = height - 1; ok && y >= 0; --y) {
        const uint8_t* source = rows[y];
        for (int x = 0; x < width; ++x) {
            line[3 * x + 0] = source[3 * x + 2];
            line[3 * x + 1] = source[3 * x + 1];
            line[3 * x + 2] = source[3 * x + 0];
        }
        ok = std::fwrite(line.data(), line.size(), 1, file.get()) == 1;
    }
    return std::fclose(file.release()) == 0 && ok;
}

bool WriteJPEG(int width, int height, const uint8_t* const* rows, const char* fileName, int quality)
{
    if (!ValidImage(width, height, rows))
        return false;
    UniqueFile file(std::fopen(fileName, "wb"));
    if (!file)
        return false;
    const bool ok = CompressJpeg(file.get(), width, height, rows, quality == -1 ? 80 : quality);
    return std::fclose(file.release()) == 0 && ok;
}

bool WritePNG(int width, int height, const uint8_t* const* rows, const char* fileName, int level)
{
    if (!ValidImage(width, height, rows))
        return false;
    UniqueFile file(std::fopen(fileName, "wb"));
    if (!file)
        return false;
    const bool ok = CompressPng(file.get(), width, height, rows, level == -1 ? 6 : level);
    return std::fclose(file.release()) == 0 && ok;
}

}  // namespace Kiln::ImageWriters
