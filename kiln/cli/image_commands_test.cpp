#include "kiln/cli/image_commands.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "kiln/cli/cli_support.h"
#include "kiln/image/dds_plugin.h"
#include "tests/support/test_image_files.h"
#include "tests/support/tool_harness.h"

namespace KilnCli {
namespace {

using KilnTest::Bytes;

using ImageCommandsTest = TestSupport::ToolTest;

Bytes EightByFourPng()
{
    KilnTest::PngShape shape;
    shape.width = 8;
    shape.height = 4;
    for (uint8_t y = 0; y < 4; ++y) {
        Bytes row;
        for (uint8_t x = 0; x < 8; ++x)
            row.insert(row.end(), {static_cast<uint8_t>(x * 30), static_cast<uint8_t>(y * 60), 90, 255});
        shape.rows.push_back(row);
    }
    return KilnTest::MakePng(shape);
}

TEST_F(ImageCommandsTest, InfoNamesTheDecoderTheExtensionPicks)
{
    const std::string png = Write("Top.PNG", EightByFourPng());
    ASSERT_EQ(Run({"image", "info", png}), kOk);
    EXPECT_EQ(out_, "decoder: png\nwidth: 8\nheight: 4\nbits: 8\n");

    const std::string bmp = Write("pic.bmp", KilnTest::MakeBmp(3, 2, 24, {}, 0, Bytes(24)));
    ASSERT_EQ(Run({"image", "info", bmp}), kOk);
    EXPECT_EQ(out_, "decoder: bmp\nwidth: 3\nheight: 2\nbits: 24\n");

    // A PNG under another extension goes to the BMP decoder, which refuses it.
    const std::string misnamed = Write("top.png.bak", EightByFourPng());
    EXPECT_EQ(Run({"image", "info", misnamed}), kFailed);
    EXPECT_NE(err_.find("not a readable bmp image"), std::string::npos);
    EXPECT_EQ(Run({"image", "info", TempPath("missing.png")}), kFailed);
    EXPECT_NE(err_.find("cannot read"), std::string::npos);
}

TEST_F(ImageCommandsTest, DecodeWritesTopDownArgbPixels)
{
    const std::string bmp = Write("rows.bmp", KilnTest::MakeBmp(1, 2, 24, {}, 0, {1, 2, 3, 0, 4, 5, 6, 0}));
    const std::string raw = TempPath("rows.raw");
    ASSERT_EQ(Run({"image", "decode", bmp, "--out", raw}), kOk);
    const std::optional<Bytes> bytes = ReadStreamBytes(raw);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(*bytes, (Bytes{4, 5, 6, 0xFF, 1, 2, 3, 0xFF}));  // B, G, R, A; the file's last row first

    const std::string sixteen = Write("sixteen.bmp", KilnTest::MakeBmp(1, 1, 16, {}, 0, {0, 0, 0, 0}));
    EXPECT_EQ(Run({"image", "decode", sixteen, "--out", raw}), kFailed);
    EXPECT_EQ(Run({"image", "decode", bmp, "--out", TempPath("no/such/folder/x.raw")}), kFailed);
    EXPECT_EQ(Run({"image", "decode", bmp, raw}), kBadUsage);
}

TEST_F(ImageCommandsTest, DdsOutputIsDxtFiveOurDecoderReads)
{
    const std::string png = Write("tex.png", EightByFourPng());
    const std::string dds = TempPath("tex.dds");
    ASSERT_EQ(Run({"image", "dds", png, dds}), kOk);
    const std::optional<Bytes> read = ReadStreamBytes(dds);
    ASSERT_TRUE(read);
    const Bytes& file = *read;
    EXPECT_EQ(file.size(), 128u + 2 * 16);
    EXPECT_EQ(std::memcmp(&file[84], "DXT5", 4), 0);

    ASSERT_EQ(Run({"image", "info", dds}), kOk);
    EXPECT_EQ(out_, "decoder: dds\nwidth: 8\nheight: 4\nbits: 32\n");
    Kiln::CDDSPlugin decoder;
    ASSERT_TRUE(KilnTest::LoadBytes(decoder, file));
    const auto pixels = KilnTest::CopyPixels(decoder, 8, 4);
    // Within DXT precision of the source: blue 90, opaque.
    EXPECT_NEAR(static_cast<int>(pixels[0] & 0xFF), 90, 8);
    EXPECT_EQ(pixels[31] >> 24, 0xFFu);
}

TEST_F(ImageCommandsTest, WrongArgumentsShowTheUsage)
{
    EXPECT_EQ(Run({"image"}), kBadUsage);
    EXPECT_EQ(Run({"image", "convert", "a", "b"}), kBadUsage);
    EXPECT_NE(err_.find("usage: kiln image info FILE"), std::string::npos);
    ASSERT_EQ(Run({"--help"}), kOk);
    EXPECT_NE(out_.find("kiln image info FILE"), std::string::npos);
    EXPECT_NE(out_.find("kiln sound info FILE"), std::string::npos);
}

}  // namespace
}  // namespace KilnCli
