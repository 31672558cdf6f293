#include <gtest/gtest.h>

#include <string>

#include "kiln/crypt/seal_string.h"
#include "tests/support/tool_harness.h"

namespace KilnCli {
namespace {

using TestSupport::RunKiln;

TEST(SealCommandTest, SealsTheExactInputBytesAndEndsTheLine)
{
    const std::string plain("token\r\n with\0 nul and trailing space ", 37);
    const TestSupport::ToolRun sealed = RunKiln({"seal", "game key"}, plain);
    ASSERT_EQ(sealed.code, kOk) << sealed.err;
    ASSERT_FALSE(sealed.out.empty());
    EXPECT_EQ(sealed.out.back(), '\n');
    EXPECT_EQ(Kiln::UnsealString("game key", sealed.out.substr(0, sealed.out.size() - 1)), plain);
    EXPECT_EQ(RunKiln({"seal", "secret"}, "secret").out, "5eiiXCtv8VSoww==\n");
}

TEST(SealCommandTest, EmptyInputSealsToFourZeroBytes)
{
    EXPECT_EQ(RunKiln({"seal", "k"}, "").out, "AAAAAA==\n");
}

TEST(UnsealCommandTest, WritesThePlainBytesWithNothingAdded)
{
    const std::string plain("a\r\nb\n", 5);
    const std::string sealed = Kiln::SealString("k", plain);
    for (const std::string& input : {sealed, sealed + "\n", sealed + "\r\n"}) {
        const TestSupport::ToolRun run = RunKiln({"unseal", "k"}, input);
        EXPECT_EQ(run.code, kOk) << run.err;
        EXPECT_EQ(run.out, plain);
    }
}

TEST(UnsealCommandTest, FailsWithoutOutputForWrongKeyOrBadText)
{
    const std::string sealed = Kiln::SealString("right", "plain") + "\n";
    for (const auto& [key, input] : {std::pair<std::string, std::string>{"wrong", sealed},
                                     {"right", "AAAAAA==\n"},
                                     {"right", "not sealed at all"},
                                     {"right", sealed + "\n"},  // only one line end is ignored
                                     {"right", " " + sealed}}) {
        const TestSupport::ToolRun run = RunKiln({"unseal", key}, input);
        EXPECT_EQ(run.code, kFailed) << input;
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("kiln unseal:"), std::string::npos);
    }
}

TEST(SealCommandTest, NeedsExactlyOneKey)
{
    for (const char* command : {"seal", "unseal"}) {
        EXPECT_EQ(RunKiln({command}).code, kBadUsage);
        const TestSupport::ToolRun run = RunKiln({command, "a", "b"});
        EXPECT_EQ(run.code, kBadUsage);
        EXPECT_NE(run.err.find("usage: kiln " + std::string(command) + " KEY"), std::string::npos) << run.err;
    }
}

}  // namespace
}  // namespace KilnCli
