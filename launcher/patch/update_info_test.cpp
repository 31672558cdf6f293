#include "launcher/patch/update_info.h"

#include <gtest/gtest.h>

namespace Launcher {
namespace {

constexpr char kDigest101[] = "0123456789abcdef0123456789abcdef";

TEST(UpdateInfoTest, EntriesNeedFourFieldsAndEndAtTheFirstBlankLine)
{
    const auto entries = ParseUpdateInfo(
        "1.00,,0,base\n"
        "1.01,0123456789ABCDEF0123456789ABCDEF,0,patch_1.01.exe,extra\n"
        "1.015,short,1\n"             // three fields: skipped
        "1.02,,,\n"                   // four empty-ish fields: an entry
        "\n"
        "1.03,ffffffffffffffffffffffffffffffff,0,after_the_blank\n");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].version, "1.00");
    EXPECT_EQ(entries[1].version, "1.01");
    EXPECT_EQ(entries[1].digest, "0123456789ABCDEF0123456789ABCDEF");
    EXPECT_EQ(entries[1].launcherUpdate, 0u);
    EXPECT_EQ(entries[2].version, "1.02");
    EXPECT_EQ(entries[2].digest, "");
}

TEST(UpdateInfoTest, CarriageReturnsAreDroppedWhereverTheyStand)
{
    const auto crlf = ParseUpdateInfo("1.00,a,0,x\r\n1.01,b,1,y\r\n");
    const auto inside = ParseUpdateInfo("1.0\r0,a,0,x\n\r\n1.01,b,1,y");
    ASSERT_EQ(crlf.size(), 2u);
    EXPECT_EQ(crlf[1].version, "1.01");
    EXPECT_EQ(crlf[1].launcherUpdate, 1u);
    // "\r\n" alone is an empty line once the CR is gone
    ASSERT_EQ(inside.size(), 1u);
    EXPECT_EQ(inside[0].version, "1.00");
    EXPECT_TRUE(ParseUpdateInfo("").empty());
    EXPECT_TRUE(ParseUpdateInfo("\n1.00,a,0,x\n").empty());
}

TEST(UpdateInfoTest, LauncherFlagIsADecimalNumber)
{
    struct Case {
        const char* field;
        uint32_t flag;
    };
    const Case cases[] = {{"0", 0}, {"1", 1}, {"12", 12}, {" 2", 2}, {"3x", 3}, {"-1", 0xFFFFFFFF},
                          {"x", 0}, {"", 0}, {"0x10", 0}, {"99999999999", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        const auto entries = ParseUpdateInfo(std::string("1.00,d,") + c.field + ",n\n");
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(entries[0].launcherUpdate, c.flag);
    }
}

TEST(UpdateInfoTest, TheEntryAfterTheInstalledVersionIsTheNextPatch)
{
    const auto entries = ParseUpdateInfo(std::string("1.00,,0,x\n1.01,") + kDigest101 + ",0,x\n1.02,e,1,x\n1.01,f,0,x\n");
    const NextPatch fromFirst = FindNextPatch(entries, "1.00");
    EXPECT_EQ(fromFirst.kind, NextPatch::Kind::Patch);
    EXPECT_EQ(fromFirst.entry.version, "1.01");
    EXPECT_EQ(fromFirst.entry.digest, kDigest101);
    // the first match counts
    EXPECT_EQ(FindNextPatch(entries, "1.01").entry.version, "1.02");
    EXPECT_EQ(FindNextPatch(entries, "1.01").entry.launcherUpdate, 1u);
    EXPECT_EQ(FindNextPatch(entries, "1.02").entry.version, "1.01");
    // exact, case-sensitive match
    EXPECT_EQ(FindNextPatch(entries, "1.0").kind, NextPatch::Kind::VersionUnknown);
    EXPECT_EQ(FindNextPatch(entries, "1.00 ").kind, NextPatch::Kind::VersionUnknown);
    EXPECT_EQ(FindNextPatch({}, "1.00").kind, NextPatch::Kind::VersionUnknown);
    const auto latest = ParseUpdateInfo("1.00,,0,x\n1.01,a,0,x\n");
    EXPECT_EQ(FindNextPatch(latest, "1.01").kind, NextPatch::Kind::AlreadyLatest);
    EXPECT_EQ(FindNextPatch(ParseUpdateInfo("V1a,,0,x\nv1A,,0,x\n"), "v1A").kind, NextPatch::Kind::AlreadyLatest);
}

TEST(UpdateInfoTest, EntryLineNamesVersionDigestFlagAndFile)
{
    EXPECT_EQ(FormatUpdateEntry("1.01", kDigest101, 1, "patch_1.01.exe"),
              std::string("1.01,") + kDigest101 + ",1,patch_1.01.exe");
}

}  // namespace
}  // namespace Launcher
