#include <gtest/gtest.h>

#include <string>

#include "tests/support/tool_harness.h"

namespace KilnCli {
namespace {

using TestSupport::RunKiln;

// MD5("abc") from RFC 1321
constexpr char kAbcDigest[] = "900150983cd24fb0d6963f7d28e17f72";

TEST(UpdateInfoCommandTest, LinePrintsTheEntryForAPatchFile)
{
    const TestSupport::ScratchFolder folder("updateinfo_line");
    folder.Write("patch_1.01.exe", "abc");
    const std::string patch = folder.Path("patch_1.01.exe");
    EXPECT_EQ(RunKiln({"updateinfo", "line", "1.01", "0", patch}).out,
              std::string("1.01,") + kAbcDigest + ",0,patch_1.01.exe\n");
    EXPECT_EQ(RunKiln({"updateinfo", "line", "2.0", "1", patch}).out,
              std::string("2.0,") + kAbcDigest + ",1,patch_1.01.exe\n");
    for (const Arguments& wrong : {Arguments{"updateinfo", "line", "1,01", "0", patch},
                                   Arguments{"updateinfo", "line", "1.01", "yes", patch},
                                   Arguments{"updateinfo", "line", "1.01", "-1", patch},
                                   Arguments{"updateinfo", "line", "1.01", "0"}, Arguments{"updateinfo"}})
        EXPECT_EQ(RunKiln(wrong).code, kBadUsage);
    EXPECT_EQ(RunKiln({"updateinfo", "line", "1.01", "0", folder.Path("missing.exe")}).code, kFailed);
}

TEST(UpdateInfoCommandTest, CheckNamesTheNextPatchOrWhyThereIsNone)
{
    const TestSupport::ScratchFolder folder("updateinfo_check");
    folder.Write("update.txt", std::string("1.00,,0,base\r\n1.01,") + kAbcDigest +
                                   ",1,p\r\n1.02,notadigest,0,p\r\n\r\n1.03,x,0,p\r\n");
    const std::string info = folder.Path("update.txt");

    const auto first = RunKiln({"updateinfo", "check", info, "--installed", "1.00", "--prefix", "game_%1%.exe"});
    EXPECT_EQ(first.code, kOk);
    EXPECT_EQ(first.out, std::string("next: 1.01\nmd5: ") + kAbcDigest +
                             "\nlauncher update: yes (the launcher quits)\nfile: game_1.01.exe\n");

    const auto broken = RunKiln({"updateinfo", "check", info, "--installed", "1.01"});
    EXPECT_EQ(broken.code, kFailed);
    EXPECT_NE(broken.out.find("next: 1.02\n"), std::string::npos);
    EXPECT_NE(broken.out.find("warning: the digest is not 32 hexadecimal digits"), std::string::npos);

    // the blank line ends the list before 1.03
    const auto latest = RunKiln({"updateinfo", "check", info, "--installed", "1.02"});
    EXPECT_EQ(latest.code, kOk);
    EXPECT_EQ(latest.out, "none: 1.02 is the newest version listed\n");
    const auto unknown = RunKiln({"updateinfo", "check", info, "--installed", "1.03"});
    EXPECT_EQ(unknown.code, kFailed);
    EXPECT_EQ(unknown.out.rfind("none: version '1.03' is not among the 3 entries read", 0), 0u);

    EXPECT_EQ(RunKiln({"updateinfo", "check", info, "--installed", "1.00", "--prefix", "fixed.exe"}).code, kFailed);
    EXPECT_EQ(RunKiln({"updateinfo", "check", info}).code, kBadUsage);
    EXPECT_EQ(RunKiln({"updateinfo", "check", info, "--installed"}).code, kBadUsage);
}

}  // namespace
}  // namespace KilnCli
