#include "kiln/image/pixel_buffer.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/test_image_files.h"

namespace Kiln::PixelBuffer {
namespace {

using KilnTest::Bytes;
using KilnTest::kExactDxt5Blocks;
using KilnTest::kExactDxt5Pixels;

// The exact image as B, G, R, A bytes, as the decoders hand it over.
Bytes ExactBgra()
{
    Bytes bgra;
    for (uint32_t pixel : kExactDxt5Pixels)
        bgra.insert(bgra.end(), {static_cast<uint8_t>(pixel), static_cast<uint8_t>(pixel >> 8),
                                 static_cast<uint8_t>(pixel >> 16), static_cast<uint8_t>(pixel >> 24)});
    return bgra;
}

TEST(PixelBufferTest, DxtFiveOfAnExactImageIsTheHandWorkedBlocksWithEitherFit)
{
    const Bytes blocks(kExactDxt5Blocks, kExactDxt5Blocks + 32);
    for (int fit : {ClusterFit(), RangeFit()}) {
        Bytes bgra = ExactBgra();
        Bytes out(32, 0xCD);
        Deliver(bgra.data(), 8, 4, out.data(), true, fit);
        EXPECT_EQ(out, blocks) << "fit " << fit;
    }
}

TEST(PixelBufferTest, HandWorkedBlocksDecodeToTheExactImage)
{
    Bytes rgba(8 * 4 * 4);
    DecompressDxt5(rgba.data(), 8, 4, kExactDxt5Blocks);
    Bytes expected = ExactBgra();
    for (size_t i = 0; i < expected.size(); i += 4)
        std::swap(expected[i], expected[i + 2]);
    EXPECT_EQ(rgba, expected);
}

TEST(PixelBufferTest, PlainDeliveryCopiesTheBgraPixels)
{
    Bytes bgra = ExactBgra();
    Bytes out(bgra.size());
    Deliver(bgra.data(), 8, 4, out.data(), false, RangeFit());
    EXPECT_EQ(out, ExactBgra());
}

struct SizeCase {
    int32_t width, height;
    size_t plain, dxt5;
};

TEST(PixelBufferTest, BytesForEachSize)
{
    const SizeCase cases[] = {
        {1, 1, 4, 16},
        {4, 4, 64, 16},
        {5, 4, 80, 32},
        {6, 5, 120, 64},
        {16384, 4096, 268435456, 67108864},  // the pixel cap exactly
        {16384, 4097, 0, 0},                 // one row over it
        {16385, 1, 0, 0},                    // side over its cap
        {1, 16385, 0, 0},
        {0, 4, 0, 0},
        {4, -1, 0, 0},
    };
    for (const SizeCase& c : cases) {
        EXPECT_EQ(PixelBuffer::Bytes(c.width, c.height, false), c.plain) << c.width << " x " << c.height;
        EXPECT_EQ(PixelBuffer::Bytes(c.width, c.height, true), c.dxt5) << c.width << " x " << c.height;
    }
}

TEST(PixelBufferTest, SidesAndPixelCountWithinTheirCaps)
{
    const struct {
        int64_t width, height;
        bool sane;
    } cases[] = {
        {1, 1, true},          {16384, 1, true},  {1, 16384, true},   {16385, 1, false},
        {1, 16385, false},     {16384, 4096, true}, {4096, 16384, true}, {16384, 4097, false},
        {8192, 8192, true},    {8192, 8193, false}, {0, 1, false},       {1, 0, false},
        {-1, 5, false},        {5, -1, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsSaneSize(c.width, c.height), c.sane) << c.width << " x " << c.height;
}

TEST(PixelBufferTest, CompressedDataBoundsTheImageItCanHold)
{
    const struct {
        uint64_t compressed;
        int64_t width, height;
        int bits;
        bool possible;
    } cases[] = {
        {1, 1032, 1, 8, true},           // 1032 bytes from 1: deflate's best
        {1, 1033, 1, 8, false},
        {1, 258, 1, 32, true},
        {1, 8256, 1, 1, true},           // 1032 bytes of single bits
        {1, 8257, 1, 1, false},          // one bit more starts byte 1033
        {0, 1, 1, 1, false},
        {520223, 16384, 4096, 64, false},  // 512 MiB needs 520 224 bytes
        {520224, 16384, 4096, 64, true},
        {1 << 20, 16384, 4097, 8, false},  // past the pixel cap, whatever the file
        {1 << 20, 4, 4, 0, false},
        {1 << 20, 4, 4, 65, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CouldInflateTo(c.compressed, c.width, c.height, c.bits), c.possible)
            << c.compressed << " bytes, " << c.width << " x " << c.height << " x " << c.bits;
}

}  // namespace
}  // namespace Kiln::PixelBuffer
