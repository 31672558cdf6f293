#include "kiln/crypt/compress_zlib.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kiln/base/class_ids.h"

namespace Kiln {
namespace {

KilnHandle<ICompress> MakeZlib()
{
    return KilnHandle<ICompress>::Adopt(CreateCompressor(ClassId::CompressZlib));
}

std::string SampleText()
{
    std::string text;
    for (int i = 0; i < 2000; ++i)
        text += "line " + std::to_string(i % 37) + " of the sample\n";
    return text;
}

TEST(CompressZlibTest, RoundTripsAndReportsTheLengths)
{
    auto zlib = MakeZlib();
    ASSERT_TRUE(zlib);
    EXPECT_EQ(zlib->GetRefCount(), 1u);
    const std::string text = SampleText();
    std::vector<uint8_t> packed(text.size() + 64);
    uint32_t packedLength = static_cast<uint32_t>(packed.size());
    ASSERT_TRUE(zlib->Compress(packed.data(), packedLength, text.data(), static_cast<uint32_t>(text.size())));
    EXPECT_LT(packedLength, text.size() / 10);
    // a bare zlib stream: deflate, 32K window, level 7-9 flag
    EXPECT_EQ(packed[0], 0x78);
    EXPECT_EQ(packed[1], 0xDA);

    std::string unpacked(text.size(), '\0');
    uint32_t unpackedLength = static_cast<uint32_t>(unpacked.size());
    ASSERT_TRUE(zlib->Uncompress(unpacked.data(), unpackedLength, packed.data(), packedLength));
    EXPECT_EQ(unpackedLength, text.size());
    EXPECT_EQ(unpacked, text);
}

TEST(CompressZlibTest, FailsWhenABufferIsTooSmallOrTheDataIsDamaged)
{
    auto zlib = MakeZlib();
    const std::string text = SampleText();
    std::vector<uint8_t> packed(text.size() + 64);
    uint32_t packedLength = 8;
    EXPECT_FALSE(zlib->Compress(packed.data(), packedLength, text.data(), static_cast<uint32_t>(text.size())));

    packedLength = static_cast<uint32_t>(packed.size());
    ASSERT_TRUE(zlib->Compress(packed.data(), packedLength, text.data(), static_cast<uint32_t>(text.size())));
    std::string unpacked(text.size(), '\0');
    uint32_t unpackedLength = static_cast<uint32_t>(text.size() - 1);
    EXPECT_FALSE(zlib->Uncompress(unpacked.data(), unpackedLength, packed.data(), packedLength));

    unpackedLength = static_cast<uint32_t>(unpacked.size());
    EXPECT_FALSE(zlib->Uncompress(unpacked.data(), unpackedLength, packed.data(), packedLength - 1));
    packed[packedLength / 2] ^= 0x55;
    unpackedLength = static_cast<uint32_t>(unpacked.size());
    EXPECT_FALSE(zlib->Uncompress(unpacked.data(), unpackedLength, packed.data(), packedLength));

    unpackedLength = 16;
    EXPECT_FALSE(zlib->Uncompress(nullptr, unpackedLength, packed.data(), packedLength));
}

TEST(CompressZlibTest, EmptyInputMakesAStreamThatUncompressesToNothing)
{
    auto zlib = MakeZlib();
    uint8_t packed[32];
    uint32_t packedLength = sizeof packed;
    ASSERT_TRUE(zlib->Compress(packed, packedLength, "", 0));
    uint8_t unpacked[1];
    uint32_t unpackedLength = sizeof unpacked;
    ASSERT_TRUE(zlib->Uncompress(unpacked, unpackedLength, packed, packedLength));
    EXPECT_EQ(unpackedLength, 0u);

    // no buffers at all for no data
    packedLength = sizeof packed;
    ASSERT_TRUE(zlib->Compress(packed, packedLength, nullptr, 0));
    unpackedLength = 0;
    EXPECT_TRUE(zlib->Uncompress(nullptr, unpackedLength, packed, packedLength));
    EXPECT_EQ(unpackedLength, 0u);
}

TEST(CompressZlibTest, MeasuresTheUncompressedLength)
{
    auto zlib = MakeZlib();
    const std::string text = SampleText() + SampleText();
    std::vector<uint8_t> packed(text.size());
    uint32_t packedLength = static_cast<uint32_t>(packed.size());
    ASSERT_TRUE(zlib->Compress(packed.data(), packedLength, text.data(), static_cast<uint32_t>(text.size())));
    EXPECT_EQ(CCompress_zlib::UncompressedLength(packed.data(), packedLength, 1 << 30), text.size());
    EXPECT_EQ(CCompress_zlib::UncompressedLength(packed.data(), packedLength, text.size()), text.size());
    EXPECT_FALSE(CCompress_zlib::UncompressedLength(packed.data(), packedLength, text.size() - 1));
    EXPECT_FALSE(CCompress_zlib::UncompressedLength(packed.data(), packedLength - 1, 1 << 30));
    EXPECT_FALSE(CCompress_zlib::UncompressedLength("not zlib", 8, 1 << 30));
    EXPECT_FALSE(CCompress_zlib::UncompressedLength(nullptr, 0, 1 << 30));
}

TEST(CompressorFactoryTest, MakesOnlyTheTwoCompressors)
{
    auto lzma = KilnHandle<ICompress>::Adopt(CreateCompressor(ClassId::CompressLzma));
    EXPECT_TRUE(lzma);
    EXPECT_TRUE(MakeZlib());
    EXPECT_EQ(CreateCompressor(ClassId::PNGPlugin), nullptr);
    EXPECT_EQ(CreateCompressor(Guid{}), nullptr);
}

}  // namespace
}  // namespace Kiln
