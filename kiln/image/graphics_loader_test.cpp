#include "kiln/image/graphics_loader.h"

#include <gtest/gtest.h>

#include <string>

#include "kiln/base/class_ids.h"
#include "kiln/core/kiln_help.h"
#include "tests/support/game_folder.h"
#include "tests/support/test_image_files.h"

namespace Kiln {
namespace {

using KilnTest::Bytes;

std::string Text(const Bytes& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

// Files on disk, read through the started runtime's file controller and services.
class GraphicsLoaderTest : public ::testing::Test {
protected:
    GraphicsLoaderTest()
        : folder_(std::string("graphics_loader_") + ::testing::UnitTest::GetInstance()->current_test_info()->name())
    {
        KilnTest::PngShape png;
        png.width = 2;
        png.rows = {{1, 2, 3, 4, 5, 6, 7, 8}};
        folder_.Write("Top.PNG", Text(KilnTest::MakePng(png)));
        folder_.Write("photo.jpg", Text(KilnTest::MakePng(png)));
        folder_.Write("banner.bmp", Text(KilnTest::MakeBmp(1, 1, 24, {}, 0, {0x30, 0x20, 0x10, 0})));
        folder_.Write("tex.dds", Text(KilnTest::MakeDds(1, 2, "", {1, 2, 3, 4, 5, 6, 7, 8})));
    }

    void SetUp() override { ASSERT_TRUE(started_); }

    std::vector<uint32_t> Pixels(CGraphicsLoader& loader)
    {
        IStdGraphicsLoader* image = loader.GetLoader();
        std::vector<uint32_t> pixels(static_cast<size_t>(image->GetWidth()) * image->GetHeight());
        image->CopyPixels(pixels.data(), image->GetWidth(), image->GetHeight(), false);
        image->Unload();
        loader.ClearLoaded();
        return pixels;
    }

    CKilnHelp help_{::GetModuleHandleA(nullptr)};
    bool started_ = help_.Start();
    KilnTest::GameFolder folder_;
};

TEST_F(GraphicsLoaderTest, TheExtensionPicksTheDecoder)
{
    CGraphicsLoader loader(help_.GetStd(), help_.GetExt(), help_.GetFileControler());
    ASSERT_TRUE(loader.Load(folder_.PathOf("Top.PNG").c_str()));
    EXPECT_EQ(Pixels(loader), (std::vector<uint32_t>{0x04010203, 0x08050607}));
    ASSERT_TRUE(loader.Load(folder_.PathOf("banner.bmp").c_str()));
    EXPECT_EQ(Pixels(loader), (std::vector<uint32_t>{0xFF102030}));
    ASSERT_TRUE(loader.Load(folder_.PathOf("tex.dds").c_str()));
    EXPECT_EQ(Pixels(loader), (std::vector<uint32_t>{0x04030201, 0x08070605}));
    // No JPEG decoder: the BMP decoder refuses the file.
    EXPECT_FALSE(loader.Load(folder_.PathOf("photo.jpg").c_str()));
}

TEST_F(GraphicsLoaderTest, LoadsOneFileAtATime)
{
    CGraphicsLoader loader(help_.GetStd(), help_.GetExt(), help_.GetFileControler());
    EXPECT_FALSE(loader.Load(folder_.PathOf("missing.png").c_str()));
    EXPECT_FALSE(loader.IsLoaded());
    ASSERT_TRUE(loader.Load(folder_.PathOf("banner.bmp").c_str()));
    EXPECT_TRUE(loader.IsLoaded());
    EXPECT_FALSE(loader.Load(folder_.PathOf("Top.PNG").c_str()));
    loader.GetLoader()->Unload();
    loader.ClearLoaded();
    EXPECT_TRUE(loader.Load(folder_.PathOf("Top.PNG").c_str()));
    EXPECT_EQ(loader.GetLoader()->GetWidth(), 2);
}

TEST_F(GraphicsLoaderTest, ServicesMakeTheLoaderAndThePlugins)
{
    for (const Guid* id : {&ClassId::StdGraphicsLoader, &ClassId::StdFileStream}) {
        IKilnInterface* object = help_.GetStd()->CreateInstance(*id);
        ASSERT_NE(object, nullptr);
        EXPECT_EQ(object->Release(), 0u);
    }
    for (const Guid* id : {&ClassId::PNGPlugin, &ClassId::DDSPlugin, &ClassId::OGGRead}) {
        IKilnInterface* object = help_.GetExt()->CreateInstance(*id);
        ASSERT_NE(object, nullptr);
        EXPECT_EQ(object->Release(), 0u);
    }
    EXPECT_EQ(help_.GetExt()->CreateInstance(ClassId::AVDTransform), nullptr);
    EXPECT_EQ(help_.GetStd()->CreateInstance(ClassId::PNGPlugin), nullptr);
}

}  // namespace
}  // namespace Kiln
