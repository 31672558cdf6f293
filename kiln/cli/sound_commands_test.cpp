#include "kiln/cli/sound_commands.h"

#include <gtest/gtest.h>

#include <sstream>

#include "kiln/cli/file_bytes.h"
#include "kiln/sound/test_sound_files.h"

namespace KilnCli {
namespace {

using KilnTest::Bytes;

class SoundCommandsTest : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const Bytes& bytes) const
    {
        const std::string path = ::testing::TempDir() + "kiln_sound_cli_" + name;
        EXPECT_TRUE(WriteFileBytes(path, bytes.data(), bytes.size()));
        return path;
    }

    int Run(const Arguments& arguments)
    {
        out_.str("");
        err_.str("");
        return RunTool(arguments, streams_);
    }

    std::istringstream in_;
    std::ostringstream out_;
    std::ostringstream err_;
    Streams streams_{in_, out_, err_};
};

TEST_F(SoundCommandsTest, InfoReportsFormatAndLength)
{
    KilnTest::WavSpec spec;
    spec.data.resize(176400 / 4);
    ASSERT_EQ(Run({"sound", "info", Write("a.wav", KilnTest::MakeWav(spec))}), kOk);
    EXPECT_EQ(out_.str(), "reader: wav\nformat: PCM, 2 channels, 44100 Hz, 16 bits\nlength: 250 ms\n");

    ASSERT_EQ(Run({"sound", "info", Write("b.OGG", KilnTest::MakeOgg(1, 16000, 32000))}), kOk);
    EXPECT_EQ(out_.str(), "reader: ogg\nformat: PCM, 1 channels, 16000 Hz, 16 bits\nlength: 2000 ms\n");
}

TEST_F(SoundCommandsTest, UnreadableSoundsFail)
{
    KilnTest::WavSpec floatSpec;
    floatSpec.formatTag = 3;
    floatSpec.data.resize(64);
    EXPECT_EQ(Run({"sound", "info", Write("f.wav", KilnTest::MakeWav(floatSpec))}), kFailed);
    EXPECT_NE(err_.str().find("not a readable PCM WAV file"), std::string::npos);
    EXPECT_EQ(Run({"sound", "info", Write("w.ogg", KilnTest::MakeWav(floatSpec))}), kFailed);
    EXPECT_EQ(Run({"sound", "info", ::testing::TempDir() + "kiln_sound_cli_missing.wav"}), kFailed);
    EXPECT_EQ(Run({"sound", "play", "x.wav"}), kBadUsage);
}

}  // namespace
}  // namespace KilnCli
