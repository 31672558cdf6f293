#include "kiln/sound/ogg_read.h"

#include <gtest/gtest.h>

#include "kiln/file/byte_stream.h"
#include "kiln/sound/wav_read.h"
#include "tests/support/hostile_files.h"
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

// Before vorbisfile sees a header: codebooks it would size its tables (and stack arrays) by,
// beyond one book's limit or the file's budget, and pages hidden inside pages, are refused.
// After: a length no packet count of the file's size could decode to.
TEST(OggReadTest, RefusesHeadersThatPromiseMoreThanTheBudgetOrTheirBytes)
{
    using KilnTest::Hostile::VorbisBook;
    const VorbisBook small{1, 2, true, 1, false};
    const VorbisBook bigOrdered{1, 1u << 15, true, 15, false};
    const Bytes threeSeconds = KilnTest::MakeOgg(2, 44100, 44100 * 3);
    const struct {
        const char* what;
        Bytes file;
        bool opens;
    } cases[] = {
        {"small books", KilnTest::Hostile::OggHeaders(2, 11, {small}), true},
        {"a book of 2^22 entries", KilnTest::Hostile::OggHeaders(2, 11, {{1, 1u << 22, true, 22, false}}), false},
        {"a book of 2^15 entries", KilnTest::Hostile::OggHeaders(2, 11, {bigOrdered}), true},
        {"256 books of 2^15 entries", KilnTest::Hostile::OggHeaders(2, 11, std::vector<VorbisBook>(256, bigOrdered)),
         false},
        {"values of 65535 dimensions", KilnTest::Hostile::OggHeaders(2, 11, {{65535, 128, true, 7, true}}), false},
        {"255 channels of 8192-sample blocks", KilnTest::Hostile::OggHeaders(255, 13, {small}), false},
        {"8 channels of 8192-sample blocks", KilnTest::Hostile::OggHeaders(8, 13, {small}), true},
        {"a page inside the comment", KilnTest::Hostile::OggWithPageInComment(), false},
        // 13.8 KB of a 2048-sample long block carry at most 13801 / 2 * 1024 samples.
        {"three seconds claiming twenty minutes", KilnTest::Hostile::WithLastGranule(threeSeconds, 44100 * 1200), false},
        {"three seconds claiming thirty", KilnTest::Hostile::WithLastGranule(threeSeconds, 44100 * 30), true},
    };
    for (const auto& c : cases) {
        COGGRead reader;
        auto stream = StreamOf(c.file);
        EXPECT_EQ(reader.Open(stream.Get()), c.opens) << c.what;
    }
}

// Whatever the encoder makes, from telephone rates to 96 kHz and from mono to 7.1, opens.
// (Not 5.1: libvorbisenc 1.3.7 leaks a block setting it up at 44.1 and 48 kHz.)
TEST(OggReadTest, EncodingsOfEveryShapeFitTheBudget)
{
    for (const int channels : {1, 2, 8}) {
        for (const int rate : {8000, 22050, 44100, 96000}) {
            COGGRead reader;
            auto stream = StreamOf(KilnTest::MakeOgg(channels, rate, rate / 10));
            EXPECT_TRUE(reader.Open(stream.Get())) << channels << " channels at " << rate << " Hz";
        }
    }
}

}  // namespace
}  // namespace Kiln
