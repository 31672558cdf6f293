#include "kiln/sound/wav_read.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "kiln/base/little_endian.h"
#include "kiln/file/byte_stream.h"
#include "kiln/sound/sound_fill.h"
#include "tests/support/test_sound_files.h"

namespace Kiln {
namespace {

using KilnTest::Bytes;
using KilnTest::WavShape;

KilnHandle<IDataStream> StreamOf(const Bytes& bytes)
{
    return KilnHandle<IDataStream>::Adopt(new Kiln::CByteStream(bytes));
}

bool Opens(const Bytes& file)
{
    CWavRead reader;
    auto stream = StreamOf(file);
    return reader.Open(stream.Get());
}

WavShape OneSecondStereo()
{
    WavShape shape;
    shape.data.resize(176400);
    for (size_t i = 0; i < shape.data.size(); ++i)
        shape.data[i] = static_cast<uint8_t>(i * 7);
    return shape;
}

TEST(WavReadTest, LengthAndPositionFollowTheDataBytes)
{
    CWavRead reader;
    auto stream = StreamOf(KilnTest::MakeWav(OneSecondStereo()));
    ASSERT_TRUE(reader.Open(stream.Get()));
    WaveFormat format;
    reader.GetFormat(format);
    EXPECT_EQ(format.formatTag, 1);
    EXPECT_EQ(format.channels, 2);
    EXPECT_EQ(format.samplesPerSec, 44100u);
    EXPECT_EQ(format.avgBytesPerSec, 176400u);
    EXPECT_EQ(format.blockAlign, 4);
    EXPECT_EQ(format.bitsPerSample, 16);
    EXPECT_EQ(format.cbSize, 18);
    EXPECT_EQ(reader.GetLength(), 1000u);

    std::vector<uint8_t> buffer(88200);
    uint32_t read = 0;
    ASSERT_TRUE(reader.Read(88200, buffer.data(), read));
    EXPECT_EQ(read, 88200u);
    EXPECT_EQ(buffer[1], 7);
    EXPECT_EQ(reader.GetPosition(), 500u);

    reader.SetPosition(250);  // byte 44100 of the data
    ASSERT_TRUE(reader.Read(1, buffer.data(), read));
    EXPECT_EQ(buffer[0], static_cast<uint8_t>(44100 * 7));
    EXPECT_EQ(reader.GetPosition(), 250u);

    reader.Rewind();
    EXPECT_EQ(reader.GetPosition(), 0u);
    ASSERT_TRUE(reader.Read(2, buffer.data(), read));
    EXPECT_EQ(buffer[1], 7);
}

TEST(WavReadTest, ReadsStopAtTheEndOfTheData)
{
    WavShape shape;
    shape.data = {1, 2, 3, 4, 5, 6, 7, 8};
    shape.data.resize(12);
    const Bytes file = KilnTest::MakeWav(shape);
    CWavRead reader;
    auto stream = StreamOf(file);
    ASSERT_TRUE(reader.Open(stream.Get()));
    uint8_t buffer[32] = {};
    uint32_t read = 0;
    ASSERT_TRUE(reader.Read(32, buffer, read));
    EXPECT_EQ(read, 12u);
    EXPECT_EQ(buffer[7], 8);
    EXPECT_FALSE(reader.Read(32, buffer, read));
    EXPECT_EQ(read, 0u);
    // A time past the end stops at the end of the data.
    reader.SetPosition(0xFFFFFFFF);
    EXPECT_FALSE(reader.Read(32, buffer, read));
    reader.SetPosition(0);
    EXPECT_TRUE(reader.Read(4, buffer, read));
    EXPECT_EQ(buffer[0], 1);
}

TEST(WavReadTest, ChunksAreFoundByAByteWiseSearch)
{
    // A LIST chunk of odd size between "fmt " and "data".
    WavShape shape;
    shape.channels = 1;
    shape.bitsPerSample = 8;
    shape.samplesPerSec = 8000;
    shape.data = {10, 20, 30, 40};
    Bytes file = KilnTest::MakeWav(shape);
    const Bytes list = {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c'};
    file.insert(file.begin() + 36, list.begin(), list.end());
    CWavRead reader;
    auto stream = StreamOf(file);
    ASSERT_TRUE(reader.Open(stream.Get()));
    uint8_t buffer[4];
    uint32_t read = 0;
    ASSERT_TRUE(reader.Read(4, buffer, read));
    EXPECT_EQ(buffer[3], 40);
    EXPECT_EQ(reader.GetLength(), 0u);  // 4 bytes at 8000 bytes per second
}

TEST(WavReadTest, RefusesWhatIsNotPlainPcm)
{
    WavShape floatShape = OneSecondStereo();
    floatShape.formatTag = 3;
    EXPECT_FALSE(Opens(KilnTest::MakeWav(floatShape)));

    Bytes notRiff = KilnTest::MakeWav(OneSecondStereo());
    notRiff[0] = 'X';
    EXPECT_FALSE(Opens(notRiff));
    Bytes notWave = KilnTest::MakeWav(OneSecondStereo());
    notWave[9] = 'X';
    EXPECT_FALSE(Opens(notWave));
    WavShape empty;
    EXPECT_FALSE(Opens(KilnTest::MakeWav(empty)));  // a data chunk of size 0
    EXPECT_FALSE(Opens(Bytes{'R', 'I', 'F', 'F'}));

    CWavRead reader;
    EXPECT_FALSE(reader.Open(nullptr));
}

TEST(WavReadTest, RefusesFormatsThatWouldDivideByZero)
{
    for (auto mutate : {+[](WavShape& s) { s.channels = 0; }, +[](WavShape& s) { s.bitsPerSample = 0; },
                        +[](WavShape& s) { s.samplesPerSec = 0; }, +[](WavShape& s) { s.bitsPerSample = 4, s.channels = 1; },
                        +[](WavShape& s) { s.channels = 0xFFFF, s.bitsPerSample = 0xFFFF; },
                        +[](WavShape& s) { s.samplesPerSec = 0xFFFFFFFF; }}) {
        WavShape shape = OneSecondStereo();
        mutate(shape);
        EXPECT_FALSE(Opens(KilnTest::MakeWav(shape)));
    }
    // A "fmt " chunk too short to hold its fields.
    Bytes shortFormat = KilnTest::MakeWav(OneSecondStereo());
    PutLE32(&shortFormat[16], 8);
    EXPECT_FALSE(Opens(shortFormat));
    Bytes cut = KilnTest::MakeWav(OneSecondStereo());
    cut.resize(30);
    EXPECT_FALSE(Opens(cut));
}

// A data chunk that claims more than the file holds: what is there plays, then silence.
TEST(WavReadTest, DataBeyondTheFileIsCutToWhatTheFileHolds)
{
    const struct {
        uint32_t present;  // data bytes in the file
        uint32_t declared;
        uint32_t length;  // milliseconds of 16-bit stereo at 44100 Hz
    } cases[] = {
        {176400, 176401, 1000},
        {176400, 0xFFFFFFFF, 1000},
        {88200, 176400, 500},
        {17640, 176400, 100},
        {1000, 2000, 5},      // 5.67 ms truncated
        {176400, 88200, 500},  // a smaller claim is kept
    };
    for (const auto& c : cases) {
        WavShape shape = OneSecondStereo();
        shape.data.resize(c.present);
        shape.declaredDataSize = c.declared;
        CWavRead reader;
        auto stream = StreamOf(KilnTest::MakeWav(shape));
        ASSERT_TRUE(reader.Open(stream.Get())) << c.present << " of " << c.declared;
        EXPECT_EQ(reader.GetLength(), c.length) << c.present << " of " << c.declared;
        std::vector<uint8_t> buffer(c.present + 64, 0xEE);
        uint32_t read = 0;
        ASSERT_TRUE(reader.Read(static_cast<uint32_t>(buffer.size()), buffer.data(), read));
        EXPECT_EQ(read, std::min(c.present, c.declared));
        EXPECT_EQ(buffer[7], 7 * 7);
        EXPECT_FALSE(reader.Read(4, buffer.data(), read));  // nothing beyond
    }

    // Through the fill: the bytes present, then 16-bit silence.
    WavShape cut;
    cut.data = {1, 2, 3, 4, 5, 6};
    cut.declaredDataSize = 1000;
    CWavRead reader;
    auto stream = StreamOf(KilnTest::MakeWav(cut));
    ASSERT_TRUE(reader.Open(stream.Get()));
    uint8_t filled[10];
    std::memset(filled, 0xAA, sizeof filled);
    FillSoundBuffer(filled, sizeof filled, 16, reader);
    EXPECT_EQ(Bytes(filled, filled + 10), (Bytes{1, 2, 3, 4, 5, 6, 0, 0, 0, 0}));

    // A data chunk header at the very end, with no byte after it, still holds nothing.
    WavShape empty;
    empty.declaredDataSize = 1000;
    EXPECT_FALSE(Opens(KilnTest::MakeWav(empty)));
}

TEST(WavReadTest, OpensOnceAndClosesBackToTheStart)
{
    CWavRead reader;
    auto stream = StreamOf(KilnTest::MakeWav(OneSecondStereo()));
    ASSERT_TRUE(reader.Open(stream.Get()));
    EXPECT_FALSE(reader.Open(stream.Get()));
    reader.Close();
    EXPECT_EQ(reader.GetLength(), 0u);
    EXPECT_EQ(reader.GetPosition(), 0u);
    EXPECT_EQ(stream->GetPosition(), 0u);
    uint8_t byte;
    uint32_t read = 5;
    EXPECT_FALSE(reader.Read(1, &byte, read));
    EXPECT_EQ(read, 0u);
    EXPECT_TRUE(reader.Open(stream.Get()));
}

TEST(SoundFillTest, EightBitSilenceIsOneHundredTwentyEight)
{
    WavShape shape;
    shape.channels = 1;
    shape.bitsPerSample = 8;
    shape.samplesPerSec = 8000;
    shape.data = {1, 2, 3};
    CWavRead reader;
    auto stream = StreamOf(KilnTest::MakeWav(shape));
    ASSERT_TRUE(reader.Open(stream.Get()));
    uint8_t buffer[6];
    FillSoundBuffer(buffer, sizeof buffer, 8, reader);
    EXPECT_EQ(Bytes(buffer, buffer + 6), (Bytes{1, 2, 3, 128, 128, 128}));

    reader.Rewind();
    uint8_t wide[6];
    std::memset(wide, 0xAA, sizeof wide);
    FillSoundBuffer(wide, sizeof wide, 16, reader);
    EXPECT_EQ(Bytes(wide, wide + 6), (Bytes{1, 2, 3, 0, 0, 0}));
}

}  // namespace
}  // namespace Kiln
