#include "kiln/image/png_plugin.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include <png.h>
#include <zlib.h>

#include "kiln/file/byte_stream.h"
#include "tests/support/test_image_files.h"

namespace Kiln {
namespace {

using KilnTest::Bytes;
using KilnTest::PngShape;

// Packs samples of `bits` bits into rows, most significant first.
std::vector<Bytes> Pack(const std::vector<std::vector<uint32_t>>& samples, int bits)
{
    std::vector<Bytes> rows;
    for (const auto& line : samples) {
        Bytes row;
        if (bits == 16) {
            for (uint32_t sample : line) {
                row.push_back(static_cast<uint8_t>(sample >> 8));
                row.push_back(static_cast<uint8_t>(sample));
            }
        } else {
            row.assign((line.size() * bits + 7) / 8, 0);
            for (size_t i = 0; i < line.size(); ++i) {
                const size_t bit = i * bits;
                row[bit / 8] |= static_cast<uint8_t>(line[i] << (8 - bits - bit % 8));
            }
        }
        rows.push_back(row);
    }
    return rows;
}

int Channels(int colorType)
{
    switch (colorType) {
    case PNG_COLOR_TYPE_RGB: return 3;
    case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
    case PNG_COLOR_TYPE_RGB_ALPHA: return 4;
    default: return 1;
    }
}

// A varied image: gradients, noise and a few repeated values (so tRNS keys and palette
// index 0 appear), `width` x `height` with the given layout.
PngShape Generated(int colorType, int bitDepth, uint32_t width, uint32_t height, bool interlaced, bool withTrns,
                  std::vector<std::vector<uint32_t>>* indexesOut = nullptr)
{
    PngShape shape;
    shape.width = width;
    shape.height = height;
    shape.bitDepth = bitDepth;
    shape.colorType = colorType;
    shape.interlaced = interlaced;
    const uint32_t top = (1u << bitDepth) - 1;
    const int channels = Channels(colorType);
    std::vector<std::vector<uint32_t>> samples(height);
    uint32_t noise = 12345;
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            noise = noise * 1103515245 + 12345;
            for (int c = 0; c < channels; ++c) {
                uint32_t v = (x * 37 + y * 11 + c * 71 + (noise >> 16) % 5) % (top + 1);
                if ((x + y) % 7 == 0)
                    v = c == 3 || (colorType == PNG_COLOR_TYPE_GRAY_ALPHA && c == 1) ? top / 2 : 10 % (top + 1) * (c + 1) % (top + 1);
                samples[y].push_back(v);
            }
        }
    }
    shape.rows = Pack(samples, bitDepth);
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        for (uint32_t i = 0; i <= top; ++i)
            shape.palette.insert(shape.palette.end(), {static_cast<uint8_t>(i * 3), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i * 7)});
        if (withTrns) {
            for (uint32_t i = 0; i <= std::min(top, 5u); ++i)
                shape.transAlpha.push_back(static_cast<uint8_t>(40 * i + 3));
        }
        if (indexesOut)
            *indexesOut = samples;
    } else if (withTrns && colorType == PNG_COLOR_TYPE_GRAY) {
        shape.transKey = {static_cast<uint16_t>(10 % (top + 1))};
    } else if (withTrns && colorType == PNG_COLOR_TYPE_RGB) {
        shape.transKey = {10, 20, 30};
    }
    return shape;
}

// libpng's own decoding through its simplified API, in the same layout (B, G, R, A).
std::vector<uint32_t> LibpngDecode(const Bytes& file)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    EXPECT_TRUE(png_image_begin_read_from_memory(&image, file.data(), file.size())) << image.message;
    image.format = PNG_FORMAT_BGRA;
    std::vector<uint32_t> pixels(static_cast<size_t>(image.width) * image.height);
    EXPECT_TRUE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) << image.message;
    return pixels;
}

KilnHandle<CPNGPlugin> Loaded(const Bytes& file)
{
    auto plugin = KilnHandle<CPNGPlugin>::Adopt(new CPNGPlugin);
    EXPECT_TRUE(KilnTest::LoadBytes(*plugin, file));
    return plugin;
}

struct Layout {
    int colorType;
    int bitDepth;
};

TEST(PngPluginTest, MatchesLibpngOnEverySupportedLayout)
{
    const Layout layouts[] = {{PNG_COLOR_TYPE_GRAY, 8},    {PNG_COLOR_TYPE_RGB, 8},     {PNG_COLOR_TYPE_PALETTE, 1},
                              {PNG_COLOR_TYPE_PALETTE, 2}, {PNG_COLOR_TYPE_PALETTE, 4}, {PNG_COLOR_TYPE_PALETTE, 8},
                              {PNG_COLOR_TYPE_GRAY_ALPHA, 8}, {PNG_COLOR_TYPE_RGB_ALPHA, 8}};
    int compared = 0;
    for (const Layout& layout : layouts) {
        const bool trnsPossible = layout.colorType == PNG_COLOR_TYPE_GRAY || layout.colorType == PNG_COLOR_TYPE_RGB ||
                                  layout.colorType == PNG_COLOR_TYPE_PALETTE;
        for (bool withTrns : {false, true}) {
            if (withTrns && !trnsPossible)
                continue;
            for (bool interlaced : {false, true}) {
                const std::string name = "type " + std::to_string(layout.colorType) + " depth " +
                                         std::to_string(layout.bitDepth) + (withTrns ? " tRNS" : "") +
                                         (interlaced ? " interlaced" : "");
                std::vector<std::vector<uint32_t>> indexes;
                const Bytes file = KilnTest::MakePng(Generated(layout.colorType, layout.bitDepth, 13, 11, interlaced, withTrns, &indexes));
                std::vector<uint32_t> expected = LibpngDecode(file);
                for (size_t i = 0; i < expected.size(); ++i) {
                    if (layout.colorType == PNG_COLOR_TYPE_PALETTE && indexes[i / 13][i % 13] == 0)
                        expected[i] &= 0x00FFFFFF;  // palette index 0 is always transparent
                    else if (withTrns && layout.colorType != PNG_COLOR_TYPE_PALETTE && (expected[i] >> 24) == 0)
                        expected[i] = 0;  // a key colour becomes pixel 0
                }
                auto plugin = Loaded(file);
                EXPECT_EQ(plugin->GetWidth(), 13) << name;
                EXPECT_EQ(plugin->GetBitCount(), layout.bitDepth) << name;
                EXPECT_EQ(KilnTest::CopyPixels(*plugin, 13, 11), expected) << name;
                ++compared;
            }
        }
    }
    EXPECT_EQ(compared, 28);
}

TEST(PngPluginTest, PaletteIndexZeroIsTransparentWithoutTrns)
{
    PngShape shape;
    shape.width = 3;
    shape.colorType = PNG_COLOR_TYPE_PALETTE;
    shape.palette = {1, 2, 3, 4, 5, 6};
    shape.rows = {{0, 1, 0}};
    auto plugin = Loaded(KilnTest::MakePng(shape));
    EXPECT_EQ(KilnTest::CopyPixels(*plugin, 3, 1), (std::vector<uint32_t>{0x00010203, 0xFF040506, 0x00010203}));
}

TEST(PngPluginTest, RgbTrnsKeyTurnsExactlyThatColourIntoZero)
{
    PngShape shape;
    shape.width = 3;
    shape.colorType = PNG_COLOR_TYPE_RGB;
    shape.rows = {{10, 20, 30, 30, 20, 10, 10, 20, 31}};
    shape.transKey = {10, 20, 30};
    auto plugin = Loaded(KilnTest::MakePng(shape));
    EXPECT_EQ(KilnTest::CopyPixels(*plugin, 3, 1), (std::vector<uint32_t>{0, 0xFF1E140A, 0xFF0A141F}));
}

TEST(PngPluginTest, GreyKeyAndLowBitGreyAndSixteenBitSamples)
{
    PngShape grey;
    grey.width = 3;
    grey.colorType = PNG_COLOR_TYPE_GRAY;
    grey.rows = {{7, 8, 255}};
    grey.transKey = {8};
    auto plugin = Loaded(KilnTest::MakePng(grey));
    EXPECT_EQ(KilnTest::CopyPixels(*plugin, 3, 1), (std::vector<uint32_t>{0xFF070707, 0, 0xFFFFFFFF}));

    // 2-bit grey: 4 levels spread over 0..255, the key compared with the raw sample.
    grey.bitDepth = 2;
    grey.width = 4;
    grey.rows = Pack({{0, 1, 2, 3}}, 2);
    grey.transKey = {2};
    plugin = Loaded(KilnTest::MakePng(grey));
    EXPECT_EQ(KilnTest::CopyPixels(*plugin, 4, 1), (std::vector<uint32_t>{0xFF000000, 0xFF555555, 0, 0xFFFFFFFF}));

    // 16-bit RGBA: the high byte of each sample.
    PngShape wide;
    wide.width = 1;
    wide.bitDepth = 16;
    wide.rows = Pack({{0x1234, 0x5678, 0x9ABC, 0xDEF0}}, 16);
    plugin = Loaded(KilnTest::MakePng(wide));
    EXPECT_EQ(plugin->GetBitCount(), 16);
    EXPECT_EQ(KilnTest::CopyPixels(*plugin, 1, 1), (std::vector<uint32_t>{0xDE12569A}));
}

TEST(PngPluginTest, LargerDestinationKeepsTheRestZero)
{
    auto plugin = Loaded(KilnTest::MakePng(Generated(PNG_COLOR_TYPE_RGB_ALPHA, 8, 3, 2, false, false)));
    const auto small = KilnTest::CopyPixels(*plugin, 3, 2);
    const auto large = KilnTest::CopyPixels(*plugin, 5, 4, 0xDEADBEEF);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(large[y * 5 + x], x < 3 && y < 2 ? small[y * 3 + x] : 0u) << x << "," << y;
    }
}

TEST(PngPluginTest, DamagedFilesFailCleanly)
{
    const Bytes good = KilnTest::MakePng(Generated(PNG_COLOR_TYPE_RGB, 8, 40, 30, false, false));
    CPNGPlugin plugin;
    // Cut inside the image data: libpng stops mid-way.
    EXPECT_FALSE(KilnTest::LoadBytes(plugin, Bytes(good.begin(), good.begin() + good.size() / 2)));
    EXPECT_FALSE(KilnTest::LoadBytes(plugin, Bytes(good.begin(), good.begin() + 20)));
    Bytes corrupt = good;
    corrupt[good.size() / 2] ^= 0xFF;  // a CRC error in a critical chunk
    EXPECT_FALSE(KilnTest::LoadBytes(plugin, corrupt));
    Bytes signature = good;
    signature[1] = 'X';
    EXPECT_FALSE(KilnTest::LoadBytes(plugin, signature));
    EXPECT_FALSE(plugin.Load(nullptr));
    EXPECT_EQ(plugin.GetWidth(), 0);
    // Still usable afterwards.
    EXPECT_TRUE(KilnTest::LoadBytes(plugin, good));
    EXPECT_FALSE(KilnTest::LoadBytes(plugin, good));
    plugin.Unload();
    EXPECT_EQ(plugin.GetHeight(), 0);
}

// A 1 x 1 PNG whose header is rewritten to claim `width` x `height`, CRC and all.
Bytes ClaimingSize(uint32_t width, uint32_t height, int colorType, int bitDepth)
{
    PngShape shape;
    shape.colorType = colorType;
    shape.bitDepth = bitDepth;
    shape.rows = {Bytes(16, 0)};
    Bytes file = KilnTest::MakePng(shape);
    // signature (8), IHDR length (4) and type (4), then width and height, big-endian
    for (int i = 0; i < 4; ++i) {
        file[16 + i] = static_cast<uint8_t>(width >> (24 - 8 * i));
        file[20 + i] = static_cast<uint8_t>(height >> (24 - 8 * i));
    }
    const uLong crc = crc32(crc32(0, nullptr, 0), file.data() + 12, 17);  // type and 13 data bytes
    for (int i = 0; i < 4; ++i)
        file[29 + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
    return file;
}

TEST(PngPluginTest, HeaderClaimingMoreThanTheFileCouldInflateToIsRefusedBeforeTheRows)
{
    const struct {
        uint32_t width, height;
        int colorType, bitDepth;
        uint64_t pixelBytes;
    } cases[] = {
        {16384, 4096, PNG_COLOR_TYPE_RGB_ALPHA, 16, 536870912},  // 512 MiB behind about 70 bytes
        {16384, 4096, PNG_COLOR_TYPE_GRAY, 1, 8388608},          // 8 MiB: needs 8 KiB of file
        {300, 300, PNG_COLOR_TYPE_RGB, 8, 270000},
    };
    for (const auto& c : cases) {
        const Bytes file = ClaimingSize(c.width, c.height, c.colorType, c.bitDepth);
        ASSERT_LT(file.size() * 1032, c.pixelBytes);
        auto stream = KilnHandle<CByteStream>::Adopt(new CByteStream(file));
        CPNGPlugin plugin;
        EXPECT_FALSE(plugin.Load(stream.Get())) << c.width << " x " << c.height;
        // read up to the first image data chunk's header and no further
        EXPECT_LE(stream->GetPosition(), 41u) << c.width << " x " << c.height;
    }
    // Within the bound, a header-only file still fails, but only once the rows run out.
    const Bytes small = ClaimingSize(8, 8, PNG_COLOR_TYPE_RGB_ALPHA, 8);
    auto stream = KilnHandle<CByteStream>::Adopt(new CByteStream(small));
    CPNGPlugin plugin;
    EXPECT_FALSE(plugin.Load(stream.Get()));
    EXPECT_GT(stream->GetPosition(), 41u);
}

TEST(PngPluginTest, AsCompressedAsDeflateGoesStillLoads)
{
    PngShape zeros;
    zeros.width = 2048;
    zeros.height = 2048;
    zeros.colorType = PNG_COLOR_TYPE_GRAY;
    zeros.rows.assign(2048, Bytes(2048, 0));
    const Bytes file = KilnTest::MakePng(zeros);
    EXPECT_GT(4194304 / file.size(), 500u);  // really compressed hundreds of times
    auto plugin = Loaded(file);
    EXPECT_EQ(plugin->GetWidth(), 2048);
}

TEST(PngPluginTest, DxtFiveOfTheExactImageIsItsHandWorkedBlocks)
{
    PngShape shape;
    shape.width = 8;
    shape.height = 4;
    for (int y = 0; y < 4; ++y) {
        Bytes row;
        for (int x = 0; x < 8; ++x) {
            const uint32_t pixel = KilnTest::kExactDxt5Pixels[y * 8 + x];
            row.insert(row.end(), {static_cast<uint8_t>(pixel >> 16), static_cast<uint8_t>(pixel >> 8),
                                   static_cast<uint8_t>(pixel), static_cast<uint8_t>(pixel >> 24)});
        }
        shape.rows.push_back(row);
    }
    auto plugin = Loaded(KilnTest::MakePng(shape));
    Bytes blocks(32);
    plugin->CopyPixels(blocks.data(), 8, 4, true);
    EXPECT_EQ(blocks, Bytes(KilnTest::kExactDxt5Blocks, KilnTest::kExactDxt5Blocks + 32));
}

}  // namespace
}  // namespace Kiln
