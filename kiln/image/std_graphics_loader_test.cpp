#include "kiln/image/std_graphics_loader.h"

#include <gtest/gtest.h>

#include "kiln/file/byte_stream.h"
#include "kiln/image/decoder_choice.h"
#include "kiln/image/png_plugin.h"
#include "tests/support/test_image_files.h"

namespace Kiln {
namespace {

using KilnTest::Bytes;

KilnHandle<IDataStream> StreamOf(const Bytes& bytes)
{
    return KilnHandle<IDataStream>::Adopt(new Kiln::CByteStream(bytes));
}

Bytes OnePixelBmp()
{
    return KilnTest::MakeBmp(1, 1, 24, {}, 0, {0x30, 0x20, 0x10, 0});
}

Bytes OnePixelPng()
{
    KilnTest::PngShape shape;
    shape.rows = {{0x10, 0x20, 0x30, 0x40}};
    return KilnTest::MakePng(shape);
}

TEST(DecoderChoiceTest, OnlyThePngAndDdsExtensionsPickTheirDecoders)
{
    EXPECT_EQ(DecoderForName("Data/Top.PNG"), ImageDecoder::Png);
    EXPECT_EQ(DecoderForName("tex.Dds"), ImageDecoder::Dds);
    EXPECT_EQ(DecoderForName("top.png.bak"), ImageDecoder::Bmp);
    EXPECT_EQ(DecoderForName("top"), ImageDecoder::Bmp);
    EXPECT_EQ(DecoderForName("photo.jpg"), ImageDecoder::Bmp);
    EXPECT_EQ(DecoderForName("dir.png\\file"), ImageDecoder::Bmp);
    EXPECT_EQ(DecoderForName("top.png "), ImageDecoder::Bmp);
    EXPECT_STREQ(DecoderName(DecoderForName("a.PNG")), "png");
}

TEST(StdGraphicsLoaderTest, WithoutADecoderReadsABmp)
{
    CStdGraphicsLoader loader;
    auto stream = StreamOf(OnePixelBmp());
    ASSERT_TRUE(loader.Load(stream.Get(), nullptr));
    EXPECT_EQ(loader.GetWidth(), 1);
    EXPECT_EQ(loader.GetHeight(), 1);
    uint32_t pixel = 0;
    loader.CopyPixels(&pixel, 1, 1, false);
    EXPECT_EQ(pixel, 0xFF102030u);
    // A PNG without its decoder fails the BMP signature test.
    CStdGraphicsLoader other;
    auto png = StreamOf(OnePixelPng());
    EXPECT_FALSE(other.Load(png.Get(), nullptr));
    EXPECT_EQ(other.GetWidth(), 0);
}

TEST(StdGraphicsLoaderTest, ForwardsToTheGivenDecoderAndHoldsIt)
{
    CStdGraphicsLoader loader;
    auto stream = StreamOf(OnePixelPng());
    auto decoder = KilnHandle<IGraphicsPlugin>::Adopt(new CPNGPlugin);
    ASSERT_TRUE(loader.Load(stream.Get(), decoder.Get()));
    EXPECT_EQ(decoder->GetRefCount(), 2u);
    uint32_t pixel = 0;
    loader.CopyPixels(&pixel, 1, 1, false);
    EXPECT_EQ(pixel, 0x40102030u);
    EXPECT_FALSE(loader.Load(stream.Get(), decoder.Get()));  // already loaded

    loader.Unload();
    EXPECT_EQ(decoder->GetRefCount(), 1u);
    EXPECT_EQ(decoder->GetWidth(), 0);
    EXPECT_EQ(loader.GetWidth(), 0);
    pixel = 7;
    loader.CopyPixels(&pixel, 1, 1, false);
    EXPECT_EQ(pixel, 7u);
    auto bmp = StreamOf(OnePixelBmp());
    EXPECT_TRUE(loader.Load(bmp.Get(), nullptr));
}

TEST(StdGraphicsLoaderTest, FailsWithoutAStream)
{
    CStdGraphicsLoader loader;
    EXPECT_FALSE(loader.Load(nullptr, nullptr));
    EXPECT_EQ(loader.GetHeight(), 0);
}

}  // namespace
}  // namespace Kiln
