#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "kiln/base/class_ids.h"
#include "kiln/core/create_service.h"
#include "kiln/core/kiln_ext.h"
#include "kiln/core/kiln_std.h"
#include "kiln/crypt/compress.h"
#include "kiln/graphics/kiln_d3d.h"
#include "kiln/sound/kiln_ds.h"
#include "kiln/support/std_fps_wait.h"
#include "tests/support/game_folder.h"

namespace Kiln {
namespace {

template <class Interface>
KilnHandle<Interface> Make(int id)
{
    return KilnHandle<Interface>::Adopt(static_cast<Interface*>(CreateService(id)));
}

TEST(StdServiceTest, MemoryHelpers)
{
    auto std = Make<IKilnStd>(kServiceStd);
    ASSERT_TRUE(std);

    int32_t a = 1, b = -2;
    std->Swap(&a, &b);
    EXPECT_EQ(a, -2);
    EXPECT_EQ(b, 1);

    char source[] = "abcdef", target[8] = {};
    EXPECT_EQ(std->Copy(target, source, 7), target);
    EXPECT_STREQ(target, "abcdef");
    EXPECT_EQ(std->Copy(nullptr, source, 7), nullptr);
    EXPECT_EQ(std->Copy(target, nullptr, 7), nullptr);

    char left[] = "12345", right[] = "abcde";
    std->Exchange(left, right, 5);
    EXPECT_STREQ(left, "abcde");
    EXPECT_STREQ(right, "12345");
    std->Exchange(left, nullptr, 5);
    std->Exchange(left, right, 0);
    EXPECT_STREQ(left, "abcde");

    char repeated[10] = {};
    std->CopyRepeated(repeated, "xyz", 3, 3);
    EXPECT_STREQ(repeated, "xyzxyzxyz");

    uint16_t cells16[5] = {};
    std->Fill16(cells16, 4, 0xBEEF);
    EXPECT_EQ(cells16[3], 0xBEEF);
    EXPECT_EQ(cells16[4], 0);
    uint32_t cells32[4] = {};
    std->Fill32(cells32, 3, 0xDEADBEEF);
    EXPECT_EQ(cells32[2], 0xDEADBEEFu);
    EXPECT_EQ(cells32[3], 0u);
}

TEST(StdServiceTest, MakesStreamsAndThePacerOnTheSystemClock)
{
    auto std = Make<IKilnStd>(kServiceStd);
    ASSERT_TRUE(std);
    auto stream = KilnHandle<IKilnInterface>::Adopt(std->CreateInstance(ClassId::StdFileStream));
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->GetRefCount(), 1u);

    auto pacer = KilnHandle<IStdFPSWait>::Adopt(static_cast<IStdFPSWait*>(std->CreateInstance(ClassId::StdFPSWait)));
    ASSERT_TRUE(pacer);
    EXPECT_EQ(pacer->GetRefCount(), 1u);
    EXPECT_EQ(pacer->Wait(), 0u);
    // One frame a second lasts 1001 ms of the system clock, counted from Start: the wait is
    // 1001 ms less what passed since, which the test brackets with that same clock.
    const DWORD beforeStart = ::timeGetTime();
    pacer->Start(1);
    const DWORD afterStart = ::timeGetTime();
    ::Sleep(200);
    const DWORD beforeWait = ::timeGetTime();
    const uint32_t wait = pacer->Wait();
    const DWORD afterWait = ::timeGetTime();
    EXPECT_LE(wait, 1001u - (beforeWait - afterStart));
    if (afterWait - beforeStart < 1001u) {
        EXPECT_GE(wait, 1001u - (afterWait - beforeStart));
    }

    EXPECT_EQ(std->CreateInstance(ClassId::D3DTexture), nullptr);
}

TEST(StdServiceTest, MathGoesThroughTheTables)
{
    auto std = Make<IKilnStd>(kServiceStd);
    EXPECT_NEAR(std->Sin(30.0f), 0.5f, 1e-6);
    EXPECT_NEAR(std->Cos(60.0f), 0.5f, 1e-6);
    EXPECT_EQ(std->ArcTangent(1, 1), 45.0f);
    EXPECT_EQ(std->Power(3.0f, 4), 81.0f);
}

TEST(ExtServiceTest, WritesImageFilesUnderWindowsPaths)
{
    auto ext = Make<IKilnExt>(kServiceExt);
    ASSERT_TRUE(ext);
    const KilnTest::GameFolder folder("ext_service_writers");
    const uint8_t row[] = {255, 0, 0, 0, 255, 0};
    const uint8_t* rows[] = {row, row};
    EXPECT_TRUE(ext->WriteBMP(2, 2, rows, folder.PathOf("shot.bmp").c_str()));
    EXPECT_TRUE(ext->WriteJPEG(2, 2, rows, folder.PathOf("shot.jpg").c_str(), -1));
    EXPECT_TRUE(ext->WritePNG(2, 2, rows, folder.PathOf("shot.png").c_str(), -1));
    EXPECT_EQ(folder.Read("shot.bmp").size(), 54u + 2 * 8);
    EXPECT_EQ(folder.Read("shot.jpg").substr(0, 2), "\xFF\xD8");
    EXPECT_EQ(folder.Read("shot.png").substr(1, 3), "PNG");
    EXPECT_FALSE(ext->WriteBMP(2, 2, rows, folder.PathOf("missing\\shot.bmp").c_str()));
}

TEST(ExtServiceTest, MakesBothCompressorsByClassId)
{
    auto ext = Make<IKilnExt>(kServiceExt);
    ASSERT_TRUE(ext);
    const std::string text(5000, 'k');
    for (const Guid& classId : {ClassId::CompressZlib, ClassId::CompressLzma}) {
        auto compressor = KilnHandle<ICompress>::Adopt(static_cast<ICompress*>(ext->CreateInstance(classId)));
        ASSERT_TRUE(compressor);
        EXPECT_EQ(compressor->GetRefCount(), 1u);
        uint8_t packed[256];
        uint32_t packedLength = sizeof packed;
        ASSERT_TRUE(compressor->Compress(packed, packedLength, text.data(), static_cast<uint32_t>(text.size())));
        std::string unpacked(text.size(), '\0');
        uint32_t unpackedLength = static_cast<uint32_t>(unpacked.size());
        ASSERT_TRUE(compressor->Uncompress(unpacked.data(), unpackedLength, packed, packedLength));
        EXPECT_EQ(unpacked, text);
    }
    EXPECT_EQ(ext->CreateInstance(ClassId::AVDTransform), nullptr);
}

TEST(GraphicsServiceTest, KeepsOneDirect3DObjectWhileAnyServiceLives)
{
    auto first = Make<IKilnD3D>(kServiceGraphics);
    ASSERT_TRUE(first);
    IKilnInterface* direct3D = first->CreateInstance(ClassId::Direct3DObject);
    ASSERT_NE(direct3D, nullptr);
    {
        auto second = Make<IKilnD3D>(kServiceGraphics);
        EXPECT_EQ(second->CreateInstance(ClassId::Direct3DObject), direct3D);
    }
    EXPECT_EQ(CKilnD3D::GetDirect3D(), reinterpret_cast<IDirect3D9*>(direct3D));
    EXPECT_EQ(first->CreateInstance(ClassId::Direct3DDevice), nullptr);
    EXPECT_EQ(first->CreateInstance(ClassId::D3DTexture), nullptr);
    EXPECT_FALSE(first->ReleaseDevice());
    first.Reset();
    EXPECT_EQ(CKilnD3D::GetDirect3D(), nullptr);
}

TEST(SoundServiceTest, InitialisesOnceForAWindow)
{
    auto sound = Make<IKilnDS>(kServiceSound);
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->CreateInstance(ClassId::DirectSoundObject), nullptr);
    HWND window = ::CreateWindowExA(0, "STATIC", "sound test", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                    nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(sound->Initialize(window));
    EXPECT_NE(sound->CreateInstance(ClassId::DirectSoundObject), nullptr);
    EXPECT_FALSE(sound->Initialize(window));
    sound->Shutdown();
    EXPECT_EQ(sound->CreateInstance(ClassId::DirectSoundObject), nullptr);
    EXPECT_TRUE(sound->Initialize(window));
    sound.Reset();  // shuts down on release
    ::DestroyWindow(window);
}

}  // namespace
}  // namespace Kiln
