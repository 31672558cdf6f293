#include "kiln/sound/ds_sound_buffer.h"

#include <gtest/gtest.h>

#include "kiln/base/class_ids.h"
#include "kiln/file/byte_stream.h"
#include "kiln/sound/kiln_ds.h"
#include "kiln/sound/ogg_read.h"
#include "tests/support/test_sound_files.h"

namespace Kiln {
namespace {

using KilnTest::Bytes;

KilnHandle<IDataStream> StreamOf(const Bytes& bytes)
{
    return KilnHandle<IDataStream>::Adopt(new Kiln::CByteStream(bytes));
}

Bytes Wav(uint32_t milliseconds, uint16_t bits = 16)
{
    KilnTest::WavShape shape;
    shape.bitsPerSample = bits;
    shape.data.resize(size_t{44100} * 2 * bits / 8 * milliseconds / 1000);
    for (size_t i = 0; i < shape.data.size(); ++i)
        shape.data[i] = static_cast<uint8_t>(i * 13);
    return KilnTest::MakeWav(shape);
}

// The real DirectSound service, initialised for a window of its own.
class SoundBufferTest : public ::testing::Test {
protected:
    SoundBufferTest()
        : window_(::CreateWindowExA(0, "STATIC", "sound buffer test", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                    nullptr, nullptr)),
          service_(KilnHandle<IKilnDS>::Adopt(new CKilnDS))
    {
    }
    ~SoundBufferTest() override
    {
        service_.Reset();
        ::DestroyWindow(window_);
    }

    void SetUp() override
    {
        ASSERT_NE(window_, nullptr);
        ASSERT_TRUE(service_);
        ASSERT_TRUE(service_->Initialize(window_));
    }

    KilnHandle<CDSSoundBuffer> NewBuffer()
    {
        return KilnHandle<CDSSoundBuffer>::Adopt(
            static_cast<CDSSoundBuffer*>(service_->CreateInstance(ClassId::DSSoundBuffer)));
    }

    // Polls the status until it leaves `status`; returns the new one.
    static int32_t WaitWhile(CDSSoundBuffer& buffer, int32_t status, DWORD timeoutMs = 10000)
    {
        const DWORD start = ::GetTickCount();
        while (buffer.GetStatus() == status && ::GetTickCount() - start < timeoutMs)
            ::Sleep(20);
        return buffer.GetStatus();
    }

    // Polls until `done` holds, for at most `timeoutMs`.
    template <typename Condition>
    static bool WaitUntil(Condition done, DWORD timeoutMs = 10000)
    {
        const DWORD start = ::GetTickCount();
        while (!done()) {
            if (::GetTickCount() - start >= timeoutMs)
                return false;
            ::Sleep(10);
        }
        return true;
    }

    HWND window_;
    KilnHandle<IKilnDS> service_;
};

TEST_F(SoundBufferTest, NothingHappensBeforeASoundIsLoaded)
{
    auto buffer = NewBuffer();
    ASSERT_TRUE(buffer);
    EXPECT_EQ(service_->GetRefCount(), 2u);  // the buffer holds its service
    EXPECT_EQ(buffer->GetStatus(), CDSSoundBuffer::kNotLoaded);
    buffer->Play();
    buffer->SetVolume(50);
    buffer->SetPan(20);
    buffer->SetFrequency(50);
    EXPECT_EQ(buffer->GetStatus(), CDSSoundBuffer::kNotLoaded);
    EXPECT_EQ(buffer->GetVolume(), 0);
    EXPECT_EQ(buffer->GetPan(), 0);
    EXPECT_EQ(buffer->GetFrequency(), 0);
    EXPECT_EQ(buffer->GetLength(), 0u);
}

TEST_F(SoundBufferTest, AWavPlaysOnceAndReportsItsEnd)
{
    auto buffer = NewBuffer();
    auto stream = StreamOf(Wav(300));
    ASSERT_TRUE(buffer->Load(stream.Get(), nullptr));
    EXPECT_EQ(buffer->GetLength(), 300u);
    EXPECT_EQ(buffer->GetBufferSize(), 52920u);  // 0.3 s x 176400 bytes per second
    EXPECT_EQ(buffer->GetStatus(), CDSSoundBuffer::kStopped);

    buffer->Play();
    // playing, unless a loaded machine let all 300 ms pass already
    const int32_t started = buffer->GetStatus();
    EXPECT_TRUE(started == CDSSoundBuffer::kPlaying || started == CDSSoundBuffer::kFinished) << started;
    EXPECT_EQ(WaitWhile(*buffer, CDSSoundBuffer::kPlaying), CDSSoundBuffer::kFinished);
    buffer->Play();  // still counts as playing until stopped
    EXPECT_EQ(buffer->GetStatus(), CDSSoundBuffer::kFinished);
    buffer->Stop();
    EXPECT_EQ(buffer->GetStatus(), CDSSoundBuffer::kStopped);
    buffer->Pause();
    EXPECT_EQ(buffer->GetStatus(), CDSSoundBuffer::kStopped);
    buffer->Unload();
    EXPECT_EQ(buffer->GetStatus(), CDSSoundBuffer::kNotLoaded);
    EXPECT_EQ(buffer->GetPlayPosition(), 0u);
}

TEST_F(SoundBufferTest, PauseKeepsThePlaceAndStopGoesBackToTheStart)
{
    auto buffer = NewBuffer();
    auto stream = StreamOf(Wav(5000));
    ASSERT_TRUE(buffer->Load(stream.Get(), nullptr));
    EXPECT_EQ(buffer->GetPlayPosition(), 0u);

    buffer->Play();
    EXPECT_TRUE(WaitUntil([&] { return buffer->GetStatus() == CDSSoundBuffer::kPlaying; }));
    ASSERT_TRUE(WaitUntil([&] { return buffer->GetPlayPosition() > 0; })) << "the play cursor never moved";
    buffer->Pause();
    EXPECT_EQ(buffer->GetStatus(), CDSSoundBuffer::kStopped);
    const uint32_t paused = buffer->GetPlayPosition();
    EXPECT_GT(paused, 0u);
    ::Sleep(100);
    EXPECT_EQ(buffer->GetPlayPosition(), paused);  // it really stopped there

    buffer->Play();  // on from the same place
    EXPECT_TRUE(WaitUntil([&] { return buffer->GetStatus() == CDSSoundBuffer::kPlaying; }));
    EXPECT_GE(buffer->GetPlayPosition(), paused);
    ASSERT_TRUE(WaitUntil([&] { return buffer->GetPlayPosition() > paused; }));
    buffer->Stop();
    EXPECT_EQ(buffer->GetStatus(), CDSSoundBuffer::kStopped);
    EXPECT_EQ(buffer->GetPlayPosition(), 0u);
}

TEST_F(SoundBufferTest, AnOggThroughTheOggReaderPlaysToItsEnd)
{
    auto reader = KilnHandle<ISoundReader>::Adopt(new COGGRead);
    ASSERT_TRUE(reader);
    auto buffer = NewBuffer();
    auto stream = StreamOf(KilnTest::MakeOgg(2, 22050, 11025));
    ASSERT_TRUE(buffer->Load(stream.Get(), reader.Get()));
    EXPECT_EQ(reader->GetRefCount(), 1u);  // the buffer let go of the reader
    EXPECT_EQ(buffer->GetLength(), 500u);
    EXPECT_EQ(buffer->GetBufferSize(), 44100u);

    buffer->Play();
    const int32_t started = buffer->GetStatus();  // 500 ms: playing unless the machine stalled
    EXPECT_TRUE(started == CDSSoundBuffer::kPlaying || started == CDSSoundBuffer::kFinished) << started;
    EXPECT_EQ(WaitWhile(*buffer, CDSSoundBuffer::kPlaying), CDSSoundBuffer::kFinished);
    buffer->Pause();
    EXPECT_EQ(buffer->GetStatus(), CDSSoundBuffer::kStopped);
}

TEST_F(SoundBufferTest, VolumePanAndFrequencyReadBackAsSet)
{
    auto buffer = NewBuffer();
    auto stream = StreamOf(Wav(100, 8));
    ASSERT_TRUE(buffer->Load(stream.Get(), nullptr));
    EXPECT_EQ(buffer->GetVolume(), 100);
    EXPECT_EQ(buffer->GetPan(), 0);
    EXPECT_EQ(buffer->GetFrequency(), 100);
    for (int volume : {0, 1, 37, 50, 99, 100}) {
        buffer->SetVolume(volume);
        EXPECT_EQ(buffer->GetVolume(), volume);
    }
    buffer->SetVolume(-5);
    EXPECT_EQ(buffer->GetVolume(), 0);
    buffer->SetVolume(150);
    EXPECT_EQ(buffer->GetVolume(), 100);
    for (int pan : {-100, -50, -1, 0, 30, 50, 100}) {
        buffer->SetPan(pan);
        EXPECT_EQ(buffer->GetPan(), pan);
    }
    for (int percent : {50, 75, 150, 200}) {
        buffer->SetFrequency(percent);
        EXPECT_EQ(buffer->GetFrequency(), percent);
    }
    buffer->SetFrequency(-20);
    EXPECT_EQ(buffer->GetFrequency(), 200);
}

TEST_F(SoundBufferTest, AFailedLoadKeepsTheSoundItHad)
{
    auto buffer = NewBuffer();
    auto good = StreamOf(Wav(200));
    ASSERT_TRUE(buffer->Load(good.Get(), nullptr));
    buffer->SetVolume(50);

    KilnTest::WavShape floatShape;
    floatShape.formatTag = 3;
    floatShape.data.resize(8000);
    auto bad = StreamOf(KilnTest::MakeWav(floatShape));
    EXPECT_FALSE(buffer->Load(bad.Get(), nullptr));
    auto tiny = StreamOf(Wav(0));  // no data: refused
    EXPECT_FALSE(buffer->Load(tiny.Get(), nullptr));
    KilnTest::WavShape shortShape;
    shortShape.data.resize(100);  // under a millisecond: length 0
    auto tooShort = StreamOf(KilnTest::MakeWav(shortShape));
    EXPECT_FALSE(buffer->Load(tooShort.Get(), nullptr));

    EXPECT_EQ(buffer->GetStatus(), CDSSoundBuffer::kStopped);
    EXPECT_EQ(buffer->GetLength(), 200u);
    EXPECT_EQ(buffer->GetVolume(), 50);

    auto next = StreamOf(Wav(400));
    ASSERT_TRUE(buffer->Load(next.Get(), nullptr));  // a new sound replaces the old one
    EXPECT_EQ(buffer->GetLength(), 400u);
    EXPECT_EQ(buffer->GetVolume(), 100);
}

TEST(SoundBufferWithoutDeviceTest, CannotLoadBeforeTheServiceIsInitialised)
{
    auto service = KilnHandle<IKilnDS>::Adopt(new CKilnDS);
    auto buffer = KilnHandle<CDSSoundBuffer>::Adopt(
        static_cast<CDSSoundBuffer*>(service->CreateInstance(ClassId::DSSoundBuffer)));
    auto stream = StreamOf(Wav(100));
    EXPECT_FALSE(buffer->Load(stream.Get(), nullptr));
    EXPECT_EQ(buffer->GetStatus(), CDSSoundBuffer::kNotLoaded);
}

}  // namespace
}  // namespace Kiln
