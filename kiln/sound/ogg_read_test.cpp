#include "kiln/sound/ogg_read.h"

#include <gtest/gtest.h>

#include "kiln/file/byte_stream.h"
#include "kiln/sound/wav_read.h"
#include "tests/support/test_sound_files.h"

namespace Kiln {
namespace {

using KilnTest::Bytes;

KilnHandle<IDataStream> StreamOf(const Bytes& bytes)
{
    return KilnHandle<IDataStream>::Adopt(new Kiln::CByteStream(bytes));
}

// Reads everything through requests of `chunk` bytes.
Bytes ReadAll(ISoundReader& reader, uint32_t chunk)
{
    Bytes all;
    std::vector<uint8_t> buffer(chunk);
    uint32_t read = 0;
    while (reader.Read(chunk, buffer.data(), read) && read > 0)
        all.insert(all.end(), buffer.begin(), buffer.begin() + read);
    return all;
}

TEST(OggReadTest, DecodesSixteenBitPcmOfTheWholeSound)
{
    // 1.5 s of stereo at 22050 Hz.
    const Bytes file = KilnTest::MakeOgg(2, 22050, 33075);
    COGGRead reader;
    auto stream = StreamOf(file);
    ASSERT_TRUE(reader.Open(stream.Get()));
    WaveFormat format;
    reader.GetFormat(format);
    EXPECT_EQ(format.formatTag, 1);
    EXPECT_EQ(format.channels, 2);
    EXPECT_EQ(format.samplesPerSec, 22050u);
    EXPECT_EQ(format.bitsPerSample, 16);
    EXPECT_EQ(format.blockAlign, 4);
    EXPECT_EQ(format.avgBytesPerSec, 88200u);
    EXPECT_EQ(format.cbSize, 18);
    EXPECT_EQ(reader.GetLength(), 1500u);

    // One request is filled across many decoder calls.
    const Bytes all = ReadAll(reader, 1 << 20);
    EXPECT_EQ(all.size(), 33075u * 4);
    bool audible = false;
    for (size_t i = 0; i + 1 < all.size(); i += 2)
        audible = audible || std::abs(static_cast<int16_t>(all[i] | all[i + 1] << 8)) > 1000;
    EXPECT_TRUE(audible);
    // At the end: true with nothing delivered.
    uint8_t buffer[16];
    uint32_t read = 7;
    EXPECT_TRUE(reader.Read(16, buffer, read));
    EXPECT_EQ(read, 0u);

    reader.Rewind();
    EXPECT_EQ(reader.GetPosition(), 0u);
    EXPECT_EQ(ReadAll(reader, 4096), all);
    reader.SetPosition(1000);
    EXPECT_EQ(reader.GetPosition(), 1000u);
    EXPECT_EQ(ReadAll(reader, 4096).size(), (33075u - 22050u) * 4);
}

TEST(OggReadTest, RefusesWhatIsNotOggVorbis)
{
    COGGRead reader;
    EXPECT_FALSE(reader.Open(nullptr));
    KilnTest::WavShape wav;
    wav.data.resize(400);
    auto notOgg = StreamOf(KilnTest::MakeWav(wav));
    EXPECT_FALSE(reader.Open(notOgg.Get()));
    const Bytes file = KilnTest::MakeOgg(1, 8000, 4000);
    auto headersOnly = StreamOf(Bytes(file.begin(), file.begin() + 100));
    EXPECT_FALSE(reader.Open(headersOnly.Get()));
    // Still usable afterwards.
    auto good = StreamOf(file);
    EXPECT_TRUE(reader.Open(good.Get()));
    EXPECT_FALSE(reader.Open(good.Get()));
    reader.Close();
    EXPECT_EQ(reader.GetLength(), 0u);
    EXPECT_EQ(good->GetPosition(), 0u);  // closing rewinds the stream
    uint32_t read = 3;
    uint8_t byte;
    EXPECT_FALSE(reader.Read(1, &byte, read));
}

TEST(OggReadTest, ADamagedAudioPageCutsTheSoundShortWithoutFailing)
{
    const Bytes good = KilnTest::MakeOgg(2, 44100, 132300);
    std::vector<size_t> pages;
    for (size_t i = 0; i + 4 <= good.size(); ++i) {
        if (good[i] == 'O' && good[i + 1] == 'g' && good[i + 2] == 'g' && good[i + 3] == 'S')
            pages.push_back(i);
    }
    ASSERT_GE(pages.size(), 4u);
    COGGRead reader;
    auto goodStream = StreamOf(good);
    ASSERT_TRUE(reader.Open(goodStream.Get()));
    const size_t fullSize = ReadAll(reader, 8192).size();
    reader.Close();

    // The middle of an audio page's body: its checksum fails and the page is dropped.
    const size_t page = pages[pages.size() - 2];
    Bytes file = good;
    file[page + (pages.back() - page) / 2] ^= 0x5A;
    auto stream = StreamOf(file);
    ASSERT_TRUE(reader.Open(stream.Get()));
    EXPECT_LT(ReadAll(reader, 8192).size(), fullSize);
}

}  // namespace
}  // namespace Kiln
