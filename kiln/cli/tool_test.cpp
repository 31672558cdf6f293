#include <gtest/gtest.h>

#include <string>

#include "tests/support/tool_harness.h"

namespace KilnCli {
namespace {

using TestSupport::RunKiln;

TEST(ToolTest, HelpListsEveryCommand)
{
    const TestSupport::ToolRun run = RunKiln({"--help"});
    EXPECT_EQ(run.code, kOk);
    for (const char* name : {"seal", "unseal", "crc32", "md5", "sha1", "compress", "uncompress", "oauth-header"})
        EXPECT_NE(run.out.find(std::string("kiln ") + name + " "), std::string::npos) << name;
}

TEST(ToolTest, CommandHelpShowsItsUsage)
{
    const TestSupport::ToolRun run = RunKiln({"compress", "--help"});
    EXPECT_EQ(run.code, kOk);
    EXPECT_EQ(run.out, "usage: kiln compress --zlib|--lzma IN OUT\n");
}

TEST(ToolTest, UnknownCommandOrNoneIsBadUsage)
{
    EXPECT_EQ(RunKiln({}).code, kBadUsage);
    const TestSupport::ToolRun run = RunKiln({"frobnicate"});
    EXPECT_EQ(run.code, kBadUsage);
    EXPECT_NE(run.err.find("unknown command 'frobnicate'"), std::string::npos);
}

}  // namespace
}  // namespace KilnCli
