#include "kiln/cli/sound_commands.h"

#include <gtest/gtest.h>

#include "tests/support/test_sound_files.h"
#include "tests/support/tool_harness.h"

namespace KilnCli {
namespace {

using KilnTest::Bytes;

using SoundCommandsTest = TestSupport::ToolTest;

TEST_F(SoundCommandsTest, InfoReportsFormatAndLength)
{
    KilnTest::WavShape shape;
    shape.data.resize(176400 / 4);
    ASSERT_EQ(Run({"sound", "info", Write("a.wav", KilnTest::MakeWav(shape))}), kOk);
    EXPECT_EQ(out_, "reader: wav\nformat: PCM, 2 channels, 44100 Hz, 16 bits\nlength: 250 ms\n");

    ASSERT_EQ(Run({"sound", "info", Write("b.OGG", KilnTest::MakeOgg(1, 16000, 32000))}), kOk);
    EXPECT_EQ(out_, "reader: ogg\nformat: PCM, 1 channels, 16000 Hz, 16 bits\nlength: 2000 ms\n");
}

TEST_F(SoundCommandsTest, UnreadableSoundsFail)
{
    KilnTest::WavShape floatShape;
    floatShape.formatTag = 3;
    floatShape.data.resize(64);
    EXPECT_EQ(Run({"sound", "info", Write("f.wav", KilnTest::MakeWav(floatShape))}), kFailed);
    EXPECT_NE(err_.find("not a readable PCM WAV file"), std::string::npos);
    EXPECT_EQ(Run({"sound", "info", Write("w.ogg", KilnTest::MakeWav(floatShape))}), kFailed);
    EXPECT_EQ(Run({"sound", "info", TempPath("missing.wav")}), kFailed);
    EXPECT_EQ(Run({"sound", "play", "x.wav"}), kBadUsage);
}

}  // namespace
}  // namespace KilnCli
