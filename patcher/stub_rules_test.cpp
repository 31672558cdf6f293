#include "patcher/stub_rules.h"

#include <gtest/gtest.h>

namespace Patcher {
namespace {

using Kiln::Patch::Outcome;

TEST(PatcherRulesTest, SwitchesAreReadOrRefused)
{
    const Switches all = ParseSwitches({"--quiet", "--target", "C:\\Game", "--elevated"});
    EXPECT_TRUE(all.valid);
    EXPECT_TRUE(all.quiet);
    EXPECT_TRUE(all.elevated);
    EXPECT_EQ(all.target, "C:\\Game");
    EXPECT_FALSE(ParseSwitches({}).quiet);
    EXPECT_FALSE(ParseSwitches({"--target"}).valid);
    EXPECT_FALSE(ParseSwitches({"/quiet"}).valid);
}

TEST(PatcherRulesTest, TargetDirectoryComesFromUpdateIni)
{
    struct Case {
        const char* text;
        const char* target;
    };
    const Case cases[] = {
        {"[Update]\r\nTargetDirectory=C:\\Games\\\x83\x51\x81\x5b\x83\x80\\\r\n", "C:\\Games\\\x83\x51\x81\x5b\x83\x80\\"},
        {"[update]\r\ntargetdirectory = D:\\G\\ \r\n", "D:\\G\\"},
        {"[Other]\r\nTargetDirectory=C:\\x\r\n", ""},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TargetDirectoryOf(c.text), c.target) << c.text;
}

TEST(PatcherRulesTest, ElevationOnlyWhenTheFolderRefusesAndNotTwice)
{
    EXPECT_EQ(DecideElevation(true, false), Elevation::kApplyHere);
    EXPECT_EQ(DecideElevation(true, true), Elevation::kApplyHere);
    EXPECT_EQ(DecideElevation(false, false), Elevation::kRestartElevated);
    EXPECT_EQ(DecideElevation(false, true), Elevation::kCannotWrite);
}

TEST(PatcherRulesTest, VirtualStoreMirrorsProtectedFoldersOnly)
{
    const std::string app = "C:\\Users\\p\\AppData\\Local";
    struct Case {
        const char* path;
        const char* store;
    };
    const Case cases[] = {
        {"C:\\Program Files (x86)\\Game\\System.ini",
         "C:\\Users\\p\\AppData\\Local\\VirtualStore\\Program Files (x86)\\Game\\System.ini"},
        {"D:\\PROGRAM FILES\\Game\\System.ini", "C:\\Users\\p\\AppData\\Local\\VirtualStore\\PROGRAM FILES\\Game\\System.ini"},
        {"C:\\Windows\\g\\System.ini", "C:\\Users\\p\\AppData\\Local\\VirtualStore\\Windows\\g\\System.ini"},
        {"C:\\Games\\Game\\System.ini", ""},
        {"C:\\Program Files2\\Game\\System.ini", ""},
        {"Game\\System.ini", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(VirtualStorePath(app, c.path), c.store) << c.path;
    EXPECT_EQ(VirtualStorePath("", cases[0].path), "");
}

TEST(PatcherRulesTest, ExitCodesAndWordsFollowTheOutcome)
{
    using Kiln::Patch::Reason;
    struct Case {
        Outcome outcome;
        Reason reason;
        const char* detail;
        int code;
        const char16_t* words;
    };
    const Case cases[] = {
        {Outcome::kApplied, Reason::kNone, "", 0, u"パッチを適用しました。"},
        {Outcome::kApplied, Reason::kCannotChange, "a.kiln-old", 0, u"パッチを適用しました。"},
        {Outcome::kFailed, Reason::kCannotChange, "\xe3\x82\xbb.dat", 1, u"ゲームを終了してから、もう一度お試しください: セ.dat"},
        {Outcome::kFailed, Reason::kNoSpace, "", 1, u"空き容量"},
        {Outcome::kFailed, Reason::kNoMemory, "data/a.pak", 1, u"メモリが足りない"},
        {Outcome::kRefused, Reason::kFileDiffers, "data/a.bin", 2, u"変更されているため、パッチを適用できません: data/a.bin"},
        {Outcome::kRefused, Reason::kWrongVersion, "0.99", 2, u"バージョン（0.99）"},
    };
    for (const Case& c : cases) {
        const Kiln::Patch::ApplyResult result{c.outcome, c.reason, c.detail};
        EXPECT_EQ(ExitCodeOf(result.outcome), c.code);
        EXPECT_NE(MessageOf(result).find(c.words), std::u16string::npos);
    }
}

}  // namespace
}  // namespace Patcher
