#include "kiln/core/image_writers.h"

#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include <jpeglib.h>
#include <png.h>

#include "kiln/image/bmp_loader.h"
#include "tests/support/test_image_files.h"

namespace Kiln::ImageWriters {
namespace {

std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// An RGB test image: a colour gradient with a few flat colours.
struct RgbImage {
    int width;
    int height;
    std::vector<uint8_t> pixels;
    std::vector<const uint8_t*> rows;

    RgbImage(int w, int h) : width(w), height(h), pixels(static_cast<size_t>(w) * h * 3)
    {
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                uint8_t* p = &pixels[(static_cast<size_t>(y) * w + x) * 3];
                p[0] = static_cast<uint8_t>(x * 255 / (w > 1 ? w - 1 : 1));
                p[1] = static_cast<uint8_t>(y * 255 / (h > 1 ? h - 1 : 1));
                p[2] = static_cast<uint8_t>((x + y) * 7);
            }
        }
        for (int y = 0; y < h; ++y)
            rows.push_back(&pixels[static_cast<size_t>(y) * w * 3]);
    }
};

class ImageWritersTest : public ::testing::Test {
protected:
    std::string TempPath(const char* name) const { return ::testing::TempDir() + "kiln_writer_" + name; }
};

TEST_F(ImageWritersTest, BmpIsBottomUpBgrWithPaddedRows)
{
    // 3x2: rows are 9 bytes of pixels padded to 12.
    const uint8_t row0[] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    const uint8_t row1[] = {10, 11, 12, 13, 14, 15, 16, 17, 18};
    const uint8_t* rows[] = {row0, row1};
    const std::string path = TempPath("3x2.bmp");
    ASSERT_TRUE(WriteBMP(3, 2, rows, path.c_str()));

    const std::vector<uint8_t> expected = {
        'B', 'M', 78, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,          // file header
        40, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0,        // size, width, height, planes, bits
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,          // compression, image size, resolution
        0, 0, 0, 0, 0, 0, 0, 0,                                  // colours used, important
        12, 11, 10, 15, 14, 13, 18, 17, 16, 0, 0, 0,             // last source row first, B G R
        3, 2, 1, 6, 5, 4, 9, 8, 7, 0, 0, 0,
    };
    EXPECT_EQ(ReadBytes(path), expected);
}

TEST_F(ImageWritersTest, BmpReadsBackThroughTheRuntimesBmpLoader)
{
    std::vector<uint8_t> rgb(5 * 3 * 3);
    for (size_t i = 0; i < rgb.size(); ++i)
        rgb[i] = static_cast<uint8_t>(i * 11);
    const uint8_t* rows[] = {&rgb[0], &rgb[15], &rgb[30]};
    const std::string path = TempPath("readback.bmp");
    ASSERT_TRUE(WriteBMP(5, 3, rows, path.c_str()));

    auto loader = KilnHandle<CBMPLoader>::Adopt(new CBMPLoader);
    ASSERT_TRUE(KilnTest::LoadBytes(*loader, ReadBytes(path)));
    const auto pixels = KilnTest::CopyPixels(*loader, 5, 3);
    for (size_t i = 0; i < 15; ++i) {
        const uint32_t expected = 0xFF000000u | rgb[i * 3] << 16 | rgb[i * 3 + 1] << 8 | rgb[i * 3 + 2];
        EXPECT_EQ(pixels[i], expected) << i;
    }
}

TEST_F(ImageWritersTest, PngReadsBackIdenticallyThroughLibpng)
{
    const RgbImage image(37, 23);
    const std::string path = TempPath("image.png");
    ASSERT_TRUE(WritePNG(image.width, image.height, image.rows.data(), path.c_str(), -1));

    png_image read = {};
    read.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&read, path.c_str())) << read.message;
    EXPECT_EQ(read.width, 37u);
    EXPECT_EQ(read.height, 23u);
    EXPECT_EQ(read.format & PNG_FORMAT_FLAG_ALPHA, 0u);
    read.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> decoded(PNG_IMAGE_SIZE(read));
    ASSERT_TRUE(png_image_finish_read(&read, nullptr, decoded.data(), 0, nullptr)) << read.message;
    EXPECT_EQ(decoded, image.pixels);
}

TEST_F(ImageWritersTest, PngDefaultLevelIsSix)
{
    const RgbImage image(64, 64);
    const std::string byDefault = TempPath("default.png"), six = TempPath("six.png"), stored = TempPath("stored.png");
    ASSERT_TRUE(WritePNG(64, 64, image.rows.data(), byDefault.c_str(), -1));
    ASSERT_TRUE(WritePNG(64, 64, image.rows.data(), six.c_str(), 6));
    ASSERT_TRUE(WritePNG(64, 64, image.rows.data(), stored.c_str(), 0));
    EXPECT_EQ(ReadBytes(byDefault), ReadBytes(six));
    // level 0 stores the rows uncompressed, so it is larger than the deflated default
    EXPECT_GT(ReadBytes(stored).size(), ReadBytes(byDefault).size());
    // the file closes with its IEND chunk
    const std::vector<uint8_t> bytes = ReadBytes(six);
    ASSERT_GE(bytes.size(), 12u);
    EXPECT_EQ(std::string(bytes.end() - 8, bytes.end() - 4), "IEND");
}

struct JpegErrors {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

// Decodes with libjpeg into RGB; empty on error.
std::vector<uint8_t> DecodeJpeg(const std::string& path, int& width, int& height)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return {};
    jpeg_decompress_struct info;
    JpegErrors errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = [](j_common_ptr common) {
        std::longjmp(reinterpret_cast<JpegErrors*>(common->err)->jump, 1);
    };
    std::vector<uint8_t> pixels;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        std::fclose(file);
        return {};
    }
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    width = static_cast<int>(info.output_width);
    height = static_cast<int>(info.output_height);
    pixels.resize(static_cast<size_t>(width) * height * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = &pixels[static_cast<size_t>(info.output_scanline) * width * 3];
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(file);
    return pixels;
}

TEST_F(ImageWritersTest, JpegDecodesCloseToTheSource)
{
    const RgbImage image(48, 32);
    const std::string path = TempPath("image.jpg");
    ASSERT_TRUE(WriteJPEG(image.width, image.height, image.rows.data(), path.c_str(), 95));
    int width = 0, height = 0;
    const std::vector<uint8_t> decoded = DecodeJpeg(path, width, height);
    ASSERT_EQ(width, 48);
    ASSERT_EQ(height, 32);
    ASSERT_EQ(decoded.size(), image.pixels.size());
    double error = 0;
    for (size_t i = 0; i < decoded.size(); ++i)
        error += std::abs(int(decoded[i]) - int(image.pixels[i]));
    EXPECT_LT(error / decoded.size(), 4.0);
}

TEST_F(ImageWritersTest, JpegDefaultQualityIs80)
{
    const RgbImage image(40, 40);
    const std::string byDefault = TempPath("q-default.jpg"), eighty = TempPath("q80.jpg"), ten = TempPath("q10.jpg");
    ASSERT_TRUE(WriteJPEG(40, 40, image.rows.data(), byDefault.c_str(), -1));
    ASSERT_TRUE(WriteJPEG(40, 40, image.rows.data(), eighty.c_str(), 80));
    ASSERT_TRUE(WriteJPEG(40, 40, image.rows.data(), ten.c_str(), 10));
    EXPECT_EQ(ReadBytes(byDefault), ReadBytes(eighty));
    EXPECT_NE(ReadBytes(byDefault), ReadBytes(ten));
}

TEST_F(ImageWritersTest, FailuresReturnFalse)
{
    const RgbImage image(4, 4);
    const std::string missingFolder = TempPath("no-such-folder/x");
    EXPECT_FALSE(WriteBMP(4, 4, image.rows.data(), missingFolder.c_str()));
    EXPECT_FALSE(WriteJPEG(4, 4, image.rows.data(), missingFolder.c_str(), -1));
    EXPECT_FALSE(WritePNG(4, 4, image.rows.data(), missingFolder.c_str(), -1));
    const std::string path = TempPath("bad.bin");
    EXPECT_FALSE(WriteBMP(0, 4, image.rows.data(), path.c_str()));
    EXPECT_FALSE(WriteJPEG(4, -1, image.rows.data(), path.c_str(), -1));
    EXPECT_FALSE(WritePNG(4, 4, nullptr, path.c_str(), -1));
    // a compression level zlib refuses is reported, not fatal
    EXPECT_FALSE(WritePNG(4, 4, image.rows.data(), path.c_str(), 42));
}

}  // namespace
}  // namespace Kiln::ImageWriters
