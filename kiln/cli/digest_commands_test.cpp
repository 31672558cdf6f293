#include <gtest/gtest.h>

#include <string>

#include "tests/support/tool_harness.h"

namespace KilnCli {
namespace {

using TestSupport::RunKiln;

TEST(DigestCommandTest, PrintsLowerCaseHexAndTheFileName)
{
    const TestSupport::ScratchFolder folder("digest");
    folder.Write("digits.txt", "123456789");
    folder.Write("abc.bin", "abc");
    const std::string digits = folder.Path("digits.txt");
    const std::string abc = folder.Path("abc.bin");

    EXPECT_EQ(RunKiln({"crc32", digits}).out, "cbf43926  " + digits + "\n");
    EXPECT_EQ(RunKiln({"md5", abc}).out, "900150983cd24fb0d6963f7d28e17f72  " + abc + "\n");
    EXPECT_EQ(RunKiln({"sha1", abc}).out, "a9993e364706816aba3e25717850c26c9cd0d89d  " + abc + "\n");
    EXPECT_EQ(RunKiln({"crc32", abc, digits}).out, "352441c2  " + abc + "\ncbf43926  " + digits + "\n");
}

TEST(DigestCommandTest, HashesFilesLargerThanOneReadAndEmptyFiles)
{
    const TestSupport::ScratchFolder folder("digest_large");
    folder.Write("million.txt", std::string(1000000, 'a'));
    folder.Write("three.bin", std::string(3 << 20, '\0') + "x");
    folder.Write("empty", "");
    EXPECT_EQ(RunKiln({"sha1", folder.Path("million.txt")}).out.substr(0, 40), "34aa973cd4c4daa4f61eeb2bdbad27316534016f");
    EXPECT_EQ(RunKiln({"md5", folder.Path("million.txt")}).out.substr(0, 32), "7707d6ae4e027c70eea2a935c2296f21");
    EXPECT_EQ(RunKiln({"crc32", folder.Path("empty")}).out.substr(0, 8), "00000000");
    EXPECT_EQ(RunKiln({"md5", folder.Path("empty")}).out.substr(0, 32), "d41d8cd98f00b204e9800998ecf8427e");
    // 3 MiB of zeros and an "x", from Python's zlib.crc32
    EXPECT_EQ(RunKiln({"crc32", folder.Path("three.bin")}).out.substr(0, 8), "fea20349");
}

TEST(DigestCommandTest, UnreadableFileFailsButOthersArePrinted)
{
    const TestSupport::ScratchFolder folder("digest_missing");
    folder.Write("abc.bin", "abc");
    const TestSupport::ToolRun run = RunKiln({"md5", folder.Path("missing.bin"), folder.Path("abc.bin")});
    EXPECT_EQ(run.code, kFailed);
    EXPECT_EQ(run.out, "900150983cd24fb0d6963f7d28e17f72  " + folder.Path("abc.bin") + "\n");
    EXPECT_NE(run.err.find("cannot read '" + folder.Path("missing.bin") + "'"), std::string::npos);

    EXPECT_EQ(RunKiln({"sha1"}).code, kBadUsage);
}

}  // namespace
}  // namespace KilnCli
