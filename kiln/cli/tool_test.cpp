#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

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

// A file the tool cannot hold is refused in words with a failure code, never with a library's
// exception text. 3 GiB is beyond what a 32-bit process addresses; every build refuses files
// beyond the runtime's 32-bit stream sizes.
TEST(ToolTest, FilesTooLargeToHoldAreRefusedInWords)
{
    const TestSupport::ScratchFolder folder("tool_too_large");
    const std::string huge = folder.Path("huge.ogg");
    folder.Write("huge.ogg", "");
    std::filesystem::resize_file(huge, sizeof(void*) == 4 ? uint64_t{3} << 30 : (uint64_t{4} << 30) + 16);
    struct Case {
        Arguments arguments;
        std::string err;
    };
    const std::vector<Case> cases = {
        {{"image", "info", huge}, "kiln image: " + huge + ": file too large\n"},
        {{"sound", "info", huge}, "kiln sound: " + huge + ": file too large\n"},
        {{"compress", "--zlib", huge, folder.Path("out.z")},
         "kiln compress: '" + huge + "': file too large (at most 1 GiB)\n"},
    };
    for (const Case& c : cases) {
        const TestSupport::ToolRun run = RunKiln(c.arguments);
        EXPECT_EQ(run.code, kFailed) << c.arguments[0];
        EXPECT_EQ(run.err, c.err);
    }
}

}  // namespace
}  // namespace KilnCli
