#include "patcher/stub_rules.h"

#include <gtest/gtest.h>

#include "kiln/patch/builder.h"
#include "tests/support/patch_folders.h"

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

// The elevated run changes the game folder and nothing else; the run that started it, as the
// player, does the player's part once it has succeeded.
TEST(PatcherRulesTest, OnlyTheRunAsThePlayerFinishesForThePlayer)
{
    struct Case {
        bool writable;
        bool elevated;
        Elevation elevation;
        bool finishes;
    };
    const Case cases[] = {
        {true, false, Elevation::kApplyHere, true},
        {false, false, Elevation::kRestartElevated, true},  // after the elevated run's success
        {true, true, Elevation::kApplyHere, false},
        {false, true, Elevation::kCannotWrite, false},
    };
    for (const Case& c : cases) {
        const RunPlan plan = PlanRun(c.writable, c.elevated);
        EXPECT_EQ(plan.elevation, c.elevation) << c.writable << c.elevated;
        EXPECT_EQ(plan.finishesForPlayer, c.finishes) << c.writable << c.elevated;
    }
}

TEST(PatcherRulesTest, VirtualStoreMirrorsProtectedFoldersOnly)
{
    struct Case {
        const char* path;
        const char* store;
    };
    const Case cases[] = {
        {"C:\\Program Files (x86)\\Game\\System.ini", "VirtualStore/Program Files (x86)/Game/System.ini"},
        {"D:\\PROGRAM FILES\\Game\\System.ini", "VirtualStore/PROGRAM FILES/Game/System.ini"},
        {"C:\\Windows\\g\\System.ini", "VirtualStore/Windows/g/System.ini"},
        {"C:/Program Files/Game\\\\System.ini", "VirtualStore/Program Files/Game/System.ini"},
        {"C:\\Games\\Game\\System.ini", ""},
        {"C:\\Program Files2\\Game\\System.ini", ""},
        {"C:\\Program Files", ""},
        {"Game\\System.ini", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(VirtualStoreName(c.path), c.store) << c.path;
}

// The player's copy in the virtual store gets the sealed key kept and the new version's change,
// as the game's own System.ini does; with no copy nothing is written, and a copy reached
// through a link (the player can make one anywhere in that folder) is left alone.
TEST(PatcherRulesTest, TheVirtualisedSystemIniIsMergedWhereItLies)
{
    const TestSupport::TempFolder old("rules_old");
    const TestSupport::TempFolder next("rules_new");
    old.Write("System.ini", "[Game]\r\nVersion=1.00\r\n");
    next.Write("System.ini", "[Game]\r\nTitle=new\r\nVersion=1.01\r\n");
    const auto payload = Kiln::Patch::BuildPayload(old.Path(), next.Path(), nullptr, 3);
    ASSERT_TRUE(payload);
    const std::string game = "C:\\Program Files (x86)\\Game\\System.ini";
    const std::string copy = "VirtualStore/Program Files (x86)/Game/System.ini";
    const std::string sealed = "[Game]\r\nVersion=1.00\r\n[Twitter]\r\nAPIAccessKey=SEALED\r\n";

    const TestSupport::TempFolder player("rules_player");
    player.Write(copy, sealed);
    Kiln::Patch::DiskFileSystem files(player.Path());
    EXPECT_TRUE(MergeVirtualisedSystemIni(files, game, *payload));
    EXPECT_EQ(TestSupport::ReadFile(player.Path() / std::filesystem::u8path(copy)),
              "[Game]\r\nTitle=new\r\nVersion=1.01\r\n[Twitter]\r\nAPIAccessKey=SEALED\r\n");
    EXPECT_EQ(TestSupport::Snapshot(player.Path()).size(), 4u);  // three folders and the copy

    const TestSupport::TempFolder empty("rules_empty");
    Kiln::Patch::DiskFileSystem none(empty.Path());
    EXPECT_TRUE(MergeVirtualisedSystemIni(none, game, *payload));
    EXPECT_TRUE(TestSupport::Snapshot(empty.Path()).empty());
#ifndef _WIN32
    const TestSupport::TempFolder elsewhere("rules_elsewhere");
    elsewhere.Write("Game/System.ini", sealed);
    const TestSupport::TempFolder linked("rules_linked");
    linked.MakeFolder("VirtualStore");
    std::filesystem::create_directory_symlink(elsewhere.Path(), linked.Path() / "VirtualStore" / "Program Files (x86)");
    Kiln::Patch::DiskFileSystem through(linked.Path());
    EXPECT_FALSE(MergeVirtualisedSystemIni(through, game, *payload));
    EXPECT_EQ(TestSupport::ReadFile(elsewhere.Path() / "Game" / "System.ini"), sealed);
    EXPECT_EQ(TestSupport::Snapshot(elsewhere.Path()).size(), 2u);
#endif
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
