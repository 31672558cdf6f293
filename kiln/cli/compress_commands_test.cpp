#include <gtest/gtest.h>

#include <string>

#include "tests/support/tool_harness.h"

namespace KilnCli {
namespace {

using TestSupport::RunKiln;

std::string Sample()
{
    std::string text;
    for (int i = 0; i < 3000; ++i)
        text += "sample line " + std::to_string(i % 50) + "\r\n";
    return text + std::string("\0\xFF", 2);
}

TEST(CompressCommandTest, RoundTripsBothFormats)
{
    const TestSupport::ScratchFolder folder("compress_round_trip");
    folder.Write("plain.bin", Sample());
    for (const char* format : {"--zlib", "--lzma"}) {
        SCOPED_TRACE(format);
        const TestSupport::ToolRun packed = RunKiln({"compress", format, folder.Path("plain.bin"), folder.Path("packed")});
        ASSERT_EQ(packed.code, kOk) << packed.err;
        EXPECT_LT(folder.Read("packed").size(), Sample().size() / 10);
        const TestSupport::ToolRun unpacked = RunKiln({"uncompress", format, folder.Path("packed"), folder.Path("out.bin")});
        ASSERT_EQ(unpacked.code, kOk) << unpacked.err;
        EXPECT_EQ(folder.Read("out.bin"), Sample());
    }
}

TEST(CompressCommandTest, FormatsAreTheContainersTheRuntimeReads)
{
    const TestSupport::ScratchFolder folder("compress_formats");
    folder.Write("plain.bin", "abc");
    ASSERT_EQ(RunKiln({"compress", "--zlib", folder.Path("plain.bin"), folder.Path("z")}).code, kOk);
    EXPECT_EQ(folder.Read("z").substr(0, 2), "\x78\xDA");
    ASSERT_EQ(RunKiln({"compress", "--lzma", folder.Path("plain.bin"), folder.Path("l")}).code, kOk);
    EXPECT_EQ(folder.Read("l").substr(0, 9), std::string("\x03\0\0\0\x5D\0\0\0\x01", 9));
}

TEST(CompressCommandTest, EmptyFilesAndZlibOutputLargerThanTheFirstGuess)
{
    const TestSupport::ScratchFolder folder("compress_sizes");
    folder.Write("empty", "");
    folder.Write("zeros", std::string(8 << 20, '\0'));  // packs to a few KiB, unpacks past 64 KiB * 2^n
    for (const char* format : {"--zlib", "--lzma"}) {
        for (const char* name : {"empty", "zeros"}) {
            SCOPED_TRACE(std::string(format) + " " + name);
            ASSERT_EQ(RunKiln({"compress", format, folder.Path(name), folder.Path("packed")}).code, kOk);
            ASSERT_EQ(RunKiln({"uncompress", format, folder.Path("packed"), folder.Path("out")}).code, kOk);
            EXPECT_EQ(folder.Read("out"), folder.Read(name));
        }
    }
}

TEST(CompressCommandTest, BadDataFailsAndWritesNothing)
{
    const TestSupport::ScratchFolder folder("compress_bad");
    folder.Write("garbage", "this is not compressed data at all");
    folder.Write("short", "\x05\0\0");
    for (const char* format : {"--zlib", "--lzma"}) {
        const TestSupport::ToolRun run = RunKiln({"uncompress", format, folder.Path("garbage"), folder.Path("out")});
        EXPECT_EQ(run.code, kFailed) << format;
        EXPECT_FALSE(folder.Exists("out"));
        EXPECT_NE(run.err.find("kiln uncompress:"), std::string::npos);
    }
    EXPECT_EQ(RunKiln({"uncompress", "--lzma", folder.Path("short"), folder.Path("out")}).code, kFailed);
    // an LZMA container announcing 3 GiB
    folder.Write("huge", std::string("\0\0\0\xC0\x5D\0\0\0\x01\0\0\0\0\0", 14));
    const TestSupport::ToolRun huge = RunKiln({"uncompress", "--lzma", folder.Path("huge"), folder.Path("out")});
    EXPECT_EQ(huge.code, kFailed);
    EXPECT_NE(huge.err.find("more than 1 GiB"), std::string::npos) << huge.err;
    // one announcing 16 MiB from five bytes of stream
    folder.Write("boastful", std::string("\0\0\0\x01\x5D\0\0\0\x01\0\0\0\0\0", 14));
    const TestSupport::ToolRun boastful = RunKiln({"uncompress", "--lzma", folder.Path("boastful"), folder.Path("out")});
    EXPECT_EQ(boastful.code, kFailed);
    EXPECT_NE(boastful.err.find("more than its data can hold"), std::string::npos) << boastful.err;
    EXPECT_FALSE(folder.Exists("out"));
}

TEST(CompressCommandTest, BadArgumentsAndMissingFiles)
{
    const TestSupport::ScratchFolder folder("compress_args");
    folder.Write("plain.bin", "abc");
    EXPECT_EQ(RunKiln({"compress", "--gzip", folder.Path("plain.bin"), folder.Path("out")}).code, kBadUsage);
    EXPECT_EQ(RunKiln({"compress", "--zlib", folder.Path("plain.bin")}).code, kBadUsage);
    EXPECT_EQ(RunKiln({"uncompress"}).code, kBadUsage);
    EXPECT_EQ(RunKiln({"compress", "--zlib", folder.Path("missing"), folder.Path("out")}).code, kFailed);
    EXPECT_EQ(RunKiln({"compress", "--zlib", folder.Path("plain.bin"), folder.Path("no_such_folder/out")}).code, kFailed);
    EXPECT_FALSE(folder.Exists("out"));
}

}  // namespace
}  // namespace KilnCli
