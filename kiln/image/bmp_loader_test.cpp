#include "kiln/image/bmp_loader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "kiln/base/little_endian.h"
#include "tests/support/test_image_files.h"

namespace Kiln {
namespace {

using KilnTest::Bytes;

KilnHandle<CBMPLoader> Loaded(const Bytes& file)
{
    auto loader = KilnHandle<CBMPLoader>::Adopt(new CBMPLoader);
    EXPECT_TRUE(KilnTest::LoadBytes(*loader, file));
    return loader;
}

// 3 x 2, 24-bit: each 9-byte row is padded with 3 bytes; the file's first row is the bottom.
Bytes ThreeByTwo()
{
    return KilnTest::MakeBmp(3, 2, 24, {}, 0,
                             {1, 2, 3, 4, 5, 6, 7, 8, 9, 0xEE, 0xEE, 0xEE,              // bottom row
                              10, 11, 12, 13, 14, 15, 16, 17, 18, 0xEE, 0xEE, 0xEE});  // top row
}

TEST(BmpLoaderTest, TwentyFourBitRowsArePaddedAndBottomUp)
{
    auto loader = Loaded(ThreeByTwo());
    EXPECT_EQ(loader->GetWidth(), 3);
    EXPECT_EQ(loader->GetHeight(), 2);
    EXPECT_EQ(loader->GetBitCount(), 24);
    const std::vector<uint32_t> expected = {0xFF0C0B0A, 0xFF0F0E0D, 0xFF121110,   // the file's last row
                                            0xFF030201, 0xFF060504, 0xFF090807};
    EXPECT_EQ(KilnTest::CopyPixels(*loader, 3, 2), expected);
}

TEST(BmpLoaderTest, LargerDestinationKeepsTheImageTopLeftAndTheRestZero)
{
    auto loader = Loaded(ThreeByTwo());
    const std::vector<uint32_t> pixels = KilnTest::CopyPixels(*loader, 5, 3, 0xDEADBEEF);
    EXPECT_EQ(pixels[0], 0xFF0C0B0Au);
    EXPECT_EQ(pixels[2], 0xFF121110u);
    EXPECT_EQ(pixels[5], 0xFF030201u);
    for (size_t i : {3u, 4u, 8u, 9u, 10u, 11u, 12u, 13u, 14u})
        EXPECT_EQ(pixels[i], 0u) << i;
}

TEST(BmpLoaderTest, SmallerDestinationGetsTheTopLeftCornerOnly)
{
    auto loader = Loaded(ThreeByTwo());
    const std::vector<uint32_t> pixels = KilnTest::CopyPixels(*loader, 2, 1);
    EXPECT_EQ(pixels, (std::vector<uint32_t>{0xFF0C0B0A, 0xFF0F0E0D}));
}

TEST(BmpLoaderTest, EightBitWithoutColorsUsedReadsAllTwoHundredFiftySixEntries)
{
    Bytes palette(256 * 4);
    for (int i = 0; i < 256; ++i) {
        palette[i * 4 + 0] = static_cast<uint8_t>(i);        // blue
        palette[i * 4 + 1] = static_cast<uint8_t>(255 - i);  // green
        palette[i * 4 + 2] = 7;                              // red
    }
    auto loader = Loaded(KilnTest::MakeBmp(2, 1, 8, palette, 0, {0, 255, 0, 0}));
    EXPECT_EQ(KilnTest::CopyPixels(*loader, 2, 1), (std::vector<uint32_t>{0xFF07FF00, 0xFF0700FF}));
}

TEST(BmpLoaderTest, LowBitPalettesTakeTheHighBitsFirst)
{
    const Bytes palette16 = [] {
        Bytes p(16 * 4);
        for (int i = 0; i < 16; ++i)
            p[i * 4] = static_cast<uint8_t>(i * 16);
        return p;
    }();
    // 1-bit, 10 pixels: 0b10110000 0b01...: the row is 2 bytes padded to 4
    auto one = Loaded(KilnTest::MakeBmp(10, 1, 1, {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0}, 0, {0xB0, 0x40, 0, 0}));
    const auto ones = KilnTest::CopyPixels(*one, 10, 1);
    const std::vector<int> bits = {1, 0, 1, 1, 0, 0, 0, 0, 0, 1};
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(ones[x], bits[x] ? 0xFFFFFFFFu : 0xFF000000u) << x;

    auto two = Loaded(KilnTest::MakeBmp(4, 1, 2, Bytes(palette16.begin(), palette16.begin() + 16), 4, {0x1B, 0, 0, 0}));
    EXPECT_EQ(KilnTest::CopyPixels(*two, 4, 1), (std::vector<uint32_t>{0xFF000000, 0xFF000010, 0xFF000020, 0xFF000030}));

    auto four = Loaded(KilnTest::MakeBmp(3, 1, 4, palette16, 0, {0xF1, 0x20, 0, 0}));
    EXPECT_EQ(KilnTest::CopyPixels(*four, 3, 1), (std::vector<uint32_t>{0xFF0000F0, 0xFF000010, 0xFF000020}));
}

TEST(BmpLoaderTest, IndexesBeyondAShortPaletteGiveOpaqueBlack)
{
    // Two entries declared, index 200 used.
    auto loader = Loaded(KilnTest::MakeBmp(2, 1, 8, {1, 2, 3, 0, 4, 5, 6, 0}, 2, {1, 200, 0, 0}));
    EXPECT_EQ(KilnTest::CopyPixels(*loader, 2, 1), (std::vector<uint32_t>{0xFF060504, 0xFF000000}));
}

TEST(BmpLoaderTest, ThirtyTwoBitPixelsKeepTheirFourthByteAsAlpha)
{
    auto loader = Loaded(KilnTest::MakeBmp(2, 1, 32, {}, 0, {1, 2, 3, 0x80, 4, 5, 6, 0}));
    EXPECT_EQ(KilnTest::CopyPixels(*loader, 2, 1), (std::vector<uint32_t>{0x80030201, 0x00060504}));
}

TEST(BmpLoaderTest, UnsupportedLayoutsLoadButLeaveTheDestinationAlone)
{
    auto sixteen = Loaded(KilnTest::MakeBmp(2, 1, 16, {}, 0, {1, 2, 3, 4}));
    EXPECT_EQ(KilnTest::CopyPixels(*sixteen, 2, 1, 0x12345678), (std::vector<uint32_t>(2, 0x12345678)));
    auto topDown = Loaded(KilnTest::MakeBmp(1, -1, 24, {}, 0, {1, 2, 3, 0}));
    EXPECT_EQ(topDown->GetHeight(), -1);
    EXPECT_EQ(KilnTest::CopyPixels(*topDown, 1, 1, 0x12345678), (std::vector<uint32_t>(1, 0x12345678)));
}

TEST(BmpLoaderTest, RefusesWrongOrHostileHeaders)
{
    CBMPLoader loader;
    Bytes notBmp = ThreeByTwo();
    notBmp[1] = 'A';
    EXPECT_FALSE(KilnTest::LoadBytes(loader, notBmp));
    EXPECT_FALSE(loader.Load(nullptr));
    const Bytes good = ThreeByTwo();
    EXPECT_FALSE(KilnTest::LoadBytes(loader, Bytes(good.begin(), good.begin() + 53)));  // short header
    // More palette entries than 8 bits can index.
    EXPECT_FALSE(KilnTest::LoadBytes(loader, KilnTest::MakeBmp(1, 1, 8, Bytes(257 * 4), 257, {0, 0, 0, 0})));
    EXPECT_FALSE(KilnTest::LoadBytes(loader, KilnTest::MakeBmp(2, 1, 1, {}, 3, {0, 0, 0, 0})));
    // Sizes whose products overflow, and empty images.
    EXPECT_FALSE(KilnTest::LoadBytes(loader, KilnTest::MakeBmp(0x7FFFFFFF, 0x7FFFFFFF, 32, {}, 0, {})));
    EXPECT_FALSE(KilnTest::LoadBytes(loader, KilnTest::MakeBmp(1, INT32_MIN, 24, {}, 0, {})));
    EXPECT_FALSE(KilnTest::LoadBytes(loader, KilnTest::MakeBmp(0, 4, 24, {}, 0, {})));
    EXPECT_FALSE(KilnTest::LoadBytes(loader, KilnTest::MakeBmp(4, 0, 24, {}, 0, {})));
    EXPECT_EQ(loader.GetWidth(), 0);
}

Bytes WithCompression(Bytes file, uint32_t compression)
{
    PutLE32(&file[30], compression);
    return file;
}

// A file cut short reads as a damaged one: a size its bytes cannot hold is refused before
// anything is reserved for it. Rows are whole, after the palette or at the data offset; RLE
// data needs one 2-byte run per 255 pixels.
TEST(BmpLoaderTest, RefusesSizesItsBytesCannotHold)
{
    Bytes lastRowCut = ThreeByTwo();
    lastRowCut.resize(lastRowCut.size() - 12);
    Bytes lastByteCut = ThreeByTwo();
    lastByteCut.pop_back();
    Bytes offsetPastTheEnd = ThreeByTwo();
    PutLE32(&offsetPastTheEnd[10], 0x10000);
    const struct {
        const char* what;
        Bytes file;
        bool loads;
    } cases[] = {
        {"whole 24-bit rows", ThreeByTwo(), true},
        {"the top row missing", lastRowCut, false},
        {"the last padding byte missing", lastByteCut, false},
        {"the data offset past the end", offsetPastTheEnd, false},
        // 33 pixels of 1 bit: 5 bytes, padded to 8, after a palette of two entries.
        {"1-bit rows", KilnTest::MakeBmp(33, 2, 1, Bytes(8), 0, Bytes(16)), true},
        {"1-bit rows a byte short", KilnTest::MakeBmp(33, 2, 1, Bytes(8), 0, Bytes(15)), false},
        // A bit count of 0 (compressed pictures) still takes a bit a pixel.
        {"no bit count", KilnTest::MakeBmp(64, 64, 0, {}, 0, Bytes(511)), false},
        // 16384 x 4096 pixels need ceil(67108864 / 255) = 263173 runs of 2 bytes.
        {"RLE8 runs", WithCompression(KilnTest::MakeBmp(16384, 4096, 8, Bytes(1024), 0, Bytes(526346)), 1), true},
        {"RLE8 a byte short", WithCompression(KilnTest::MakeBmp(16384, 4096, 8, Bytes(1024), 0, Bytes(526345)), 1), false},
        {"RLE4 a byte short", WithCompression(KilnTest::MakeBmp(16384, 4096, 4, Bytes(64), 0, Bytes(526345)), 2), false},
        {"8192 x 8192 in 60 bytes", KilnTest::MakeBmp(8192, 8192, 32, {}, 0, Bytes(6)), false},
    };
    for (const auto& c : cases) {
        CBMPLoader loader;
        EXPECT_EQ(KilnTest::LoadBytes(loader, c.file), c.loads) << c.what;
    }
}

TEST(BmpLoaderTest, LoadsOnceUntilUnloaded)
{
    auto loader = Loaded(ThreeByTwo());
    EXPECT_FALSE(KilnTest::LoadBytes(*loader, ThreeByTwo()));
    loader->Unload();
    EXPECT_EQ(loader->GetWidth(), 0);
    std::vector<uint32_t> untouched(6, 7);
    loader->CopyPixels(untouched.data(), 3, 2, false);
    EXPECT_EQ(untouched, std::vector<uint32_t>(6, 7));
    EXPECT_TRUE(KilnTest::LoadBytes(*loader, ThreeByTwo()));
}

TEST(BmpLoaderTest, DxtFiveOfTheExactImageIsItsHandWorkedBlocks)
{
    // 32-bit rows B, G, R, A, bottom row first.
    Bytes rows;
    for (int y = 3; y >= 0; --y) {
        for (int x = 0; x < 8; ++x) {
            const uint32_t pixel = KilnTest::kExactDxt5Pixels[y * 8 + x];
            rows.insert(rows.end(), {static_cast<uint8_t>(pixel), static_cast<uint8_t>(pixel >> 8),
                                     static_cast<uint8_t>(pixel >> 16), static_cast<uint8_t>(pixel >> 24)});
        }
    }
    auto loader = Loaded(KilnTest::MakeBmp(8, 4, 32, {}, 0, rows));
    Bytes blocks(32);
    loader->CopyPixels(blocks.data(), 8, 4, true);
    EXPECT_EQ(blocks, Bytes(KilnTest::kExactDxt5Blocks, KilnTest::kExactDxt5Blocks + 32));
}

}  // namespace
}  // namespace Kiln
