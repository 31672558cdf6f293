#include "kiln/image/dds_plugin.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>

#include "kiln/image/dds_format.h"
#include "tests/support/test_image_files.h"

namespace Kiln {
namespace {

using KilnTest::Bytes;

// A smooth, varied R, G, B, A image of the kind textures hold.
Bytes Gradient(int width, int height)
{
    Bytes rgba;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            rgba.push_back(static_cast<uint8_t>(x * 6));
            rgba.push_back(static_cast<uint8_t>(y * 9));
            rgba.push_back(static_cast<uint8_t>(200 - (x + y) * 2));
            rgba.push_back(static_cast<uint8_t>(255 - x * 3));
        }
    }
    return rgba;
}

// B, G, R, A file pixels of an R, G, B, A image.
Bytes ToBgra(Bytes rgba)
{
    for (size_t i = 0; i < rgba.size(); i += 4)
        std::swap(rgba[i], rgba[i + 2]);
    return rgba;
}

KilnHandle<CDDSPlugin> Loaded(const Bytes& file)
{
    auto plugin = KilnHandle<CDDSPlugin>::Adopt(new CDDSPlugin);
    EXPECT_TRUE(KilnTest::LoadBytes(*plugin, file));
    return plugin;
}

TEST(DdsPluginTest, ArgbPixelsAreCopiedAsStored)
{
    const Bytes bgra = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    auto plugin = Loaded(KilnTest::MakeDds(2, 2, "", bgra));
    EXPECT_EQ(plugin->GetWidth(), 2);
    EXPECT_EQ(plugin->GetBitCount(), 32);
    EXPECT_EQ(KilnTest::CopyPixels(*plugin, 2, 2), (std::vector<uint32_t>{0x04030201, 0x08070605, 0x0C0B0A09, 0x100F0E0D}));
    // A larger destination: the rest stays 0.
    EXPECT_EQ(KilnTest::CopyPixels(*plugin, 3, 3, 0xDEADBEEF),
              (std::vector<uint32_t>{0x04030201, 0x08070605, 0, 0x0C0B0A09, 0x100F0E0D, 0, 0, 0, 0}));
}

const Bytes kExactBlocks(KilnTest::kExactDxt5Blocks, KilnTest::kExactDxt5Blocks + 32);

TEST(DdsPluginTest, DxtFiveBlocksPassThroughOrDecodeToBgra)
{
    auto plugin = Loaded(KilnTest::MakeDds(8, 4, "DXT5", kExactBlocks));
    Bytes copied(32);
    plugin->CopyPixels(copied.data(), 8, 4, true);
    EXPECT_EQ(copied, kExactBlocks);
    const auto pixels = KilnTest::CopyPixels(*plugin, 8, 4);
    EXPECT_EQ(pixels, std::vector<uint32_t>(KilnTest::kExactDxt5Pixels, KilnTest::kExactDxt5Pixels + 32));
}

TEST(DdsPluginTest, ArgbPixelsCompressToTheHandWorkedBlocks)
{
    Bytes bgra(32 * 4);
    std::memcpy(bgra.data(), KilnTest::kExactDxt5Pixels, bgra.size());  // 0xAARRGGBB, little-endian
    auto plugin = Loaded(KilnTest::MakeDds(8, 4, "", bgra));
    Bytes blocks(32);
    plugin->CopyPixels(blocks.data(), 8, 4, true);
    EXPECT_EQ(blocks, kExactBlocks);
}

// A smooth gradient through the DXT5 path and back: the loss stays small.
TEST(DdsPluginTest, DxtFiveRoundTripOfAGradientStaysClose)
{
    const int width = 32, height = 16;
    const Bytes rgba = Gradient(width, height);
    auto source = Loaded(KilnTest::MakeDds(width, height, "", ToBgra(rgba)));
    Bytes blocks(width / 4 * height / 4 * 16);
    source->CopyPixels(blocks.data(), width, height, true);

    auto round = Loaded(KilnTest::MakeDds(width, height, "DXT5", blocks));
    const auto pixels = KilnTest::CopyPixels(*round, width, height);
    Bytes back(rgba.size());
    std::memcpy(back.data(), pixels.data(), back.size());
    back = ToBgra(back);  // to R, G, B, A

    double colourError = 0, alphaError = 0;
    for (size_t i = 0; i < rgba.size(); i += 4) {
        for (int c = 0; c < 3; ++c)
            colourError += (rgba[i + c] - back[i + c]) * (rgba[i + c] - back[i + c]);
        alphaError += (rgba[i + 3] - back[i + 3]) * (rgba[i + 3] - back[i + 3]);
    }
    const double count = width * height;
    // Under 8 levels of root mean square error per colour channel, 2 for alpha.
    EXPECT_LT(colourError / count / 3, 64.0);
    EXPECT_LT(alphaError / count, 4.0);
    EXPECT_GT(colourError, 0.0);  // it did go through the lossy form
}

TEST(DdsPluginTest, RefusesOtherFormatsAndShortFiles)
{
    CDDSPlugin plugin;
    EXPECT_FALSE(KilnTest::LoadBytes(plugin, KilnTest::MakeDds(4, 4, "DXT1", Bytes(8))));
    EXPECT_FALSE(KilnTest::LoadBytes(plugin, KilnTest::MakeDds(4, 4, "DXT3", Bytes(16))));
    // The header promises 16 bytes of blocks; the file holds 15.
    EXPECT_FALSE(KilnTest::LoadBytes(plugin, KilnTest::MakeDds(4, 4, "DXT5", Bytes(15))));
    EXPECT_FALSE(KilnTest::LoadBytes(plugin, KilnTest::MakeDds(2, 2, "", Bytes(15))));
    EXPECT_FALSE(KilnTest::LoadBytes(plugin, KilnTest::MakeDds(0x40000000, 0x40000000, "", Bytes(16))));
    EXPECT_FALSE(KilnTest::LoadBytes(plugin, KilnTest::MakeDds(0, 4, "DXT5", Bytes(16))));

    Bytes wrongSize = KilnTest::MakeDds(4, 4, "DXT5", Bytes(16));
    wrongSize[4] = 123;
    EXPECT_FALSE(KilnTest::LoadBytes(plugin, wrongSize));
    Bytes noWidthFlag = KilnTest::MakeDds(4, 4, "DXT5", Bytes(16));
    noWidthFlag[8] &= ~0x4;
    EXPECT_FALSE(KilnTest::LoadBytes(plugin, noWidthFlag));
    Bytes wrongMask = KilnTest::MakeDds(1, 1, "", Bytes(4));
    wrongMask[76 + 16] = 0xFF;
    EXPECT_FALSE(KilnTest::LoadBytes(plugin, wrongMask));
    EXPECT_FALSE(plugin.Load(nullptr));
    EXPECT_EQ(plugin.GetWidth(), 0);
}

TEST(DdsPluginTest, PartialEdgeBlocksAreReadWhole)
{
    // 6 x 5 pixels are 2 x 2 blocks, as DXT files store them.
    Bytes blocks(64);
    for (size_t i = 0; i < blocks.size(); ++i)
        blocks[i] = static_cast<uint8_t>(i * 7 + 1);
    auto plugin = Loaded(KilnTest::MakeDds(6, 5, "DXT5", blocks));
    Bytes copied(64);
    plugin->CopyPixels(copied.data(), 6, 5, true);
    EXPECT_EQ(copied, blocks);
}

// The maker's tool writes this header; laid out independently in the test support.
TEST(DdsPluginTest, WrittenDxtFiveHeaderIsTheFileFormats)
{
    for (const auto& size : {std::pair<uint32_t, uint32_t>{1, 1}, {8, 4}, {6, 5}, {1024, 768}}) {
        const DdsFormat::Header header = DdsFormat::MakeDxt5Header(size.first, size.second);
        const Bytes expected = KilnTest::MakeDds(size.first, size.second, "DXT5", {});
        EXPECT_EQ(Bytes(header.begin(), header.end()), expected) << size.first << " x " << size.second;
    }
}

TEST(DdsPluginTest, LoadsOnceUntilUnloaded)
{
    const Bytes file = KilnTest::MakeDds(1, 1, "", {1, 2, 3, 4});
    auto plugin = Loaded(file);
    EXPECT_FALSE(KilnTest::LoadBytes(*plugin, file));
    plugin->Unload();
    EXPECT_EQ(plugin->GetHeight(), 0);
    EXPECT_EQ(KilnTest::CopyPixels(*plugin, 1, 1, 9), std::vector<uint32_t>{9});
    EXPECT_TRUE(KilnTest::LoadBytes(*plugin, file));
}

}  // namespace
}  // namespace Kiln
