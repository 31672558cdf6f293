#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/patch_folders.h"
#include "tests/support/tool_harness.h"

namespace KilnCli {
namespace {

using TestSupport::RunKiln;

struct PatchFolders {
    ::TestSupport::TempFolder old{"cli_old"};
    ::TestSupport::TempFolder next{"cli_new"};
    ::TestSupport::TempFolder work{"cli_work"};
    PatchFolders()
    {
        old.Write("System.ini", "[Game]\r\nVersion=1.00\r\n");
        next.Write("System.ini", "[Game]\r\nVersion=1.01\r\n");
        old.Write("gone.txt", "bye");
        old.Write("data/a.bin", "aaaa");
        next.Write("data/a.bin", "aaab");
        next.Write("sub/\xe6\x96\xb0.txt", "new");  // sub/新.txt
        work.Write("stub.exe", "MZ stub bytes");
    }
    std::string Work(const std::string& name) const { return (work.Path() / name).u8string(); }
};

TEST(PatchCommandTest, BuildWritesAPatchProgramAndItsUpdateLine)
{
    const PatchFolders f;
    const auto built = RunKiln({"patch", "build", f.old.Path().u8string(), f.next.Path().u8string(), f.Work("p.exe"),
                                "--stub", f.Work("stub.exe"), "--level", "3"});
    ASSERT_EQ(built.code, kOk) << built.err;
    const auto md5 = RunKiln({"md5", f.Work("p.exe")});
    ASSERT_EQ(md5.code, kOk);
    const std::string digest = md5.out.substr(0, 32);
    EXPECT_EQ(built.out, "1.01," + digest + ",0,p.exe\n");
    const auto program = ::TestSupport::ReadFile(f.work.Path() / "p.exe");
    EXPECT_EQ(program.rfind("MZ stub bytes", 0), 0u);  // the stub first, the payload after

    const auto info = RunKiln({"patch", "info", f.Work("p.exe")});
    ASSERT_EQ(info.code, kOk) << info.err;
    for (const char* line : {"from: 1.00\n", "to: 1.01\n", "launcher update: no\n", "add-folder sub\n",
                             "remove gone.txt\n", "add sub/\xe6\x96\xb0.txt (3 bytes, whole ",
                             "change data/a.bin (4 bytes, ", "change System.ini (22 bytes, "})
        EXPECT_NE(info.out.find(line), std::string::npos) << line << "\n" << info.out;
}

TEST(PatchCommandTest, CheckSaysWhetherAFolderWouldTakeThePatch)
{
    const PatchFolders f;
    ASSERT_EQ(RunKiln({"patch", "build", f.old.Path().u8string(), f.next.Path().u8string(), f.Work("p.exe"),
                       "--stub", f.Work("stub.exe"), "--level", "1"})
                  .code,
              kOk);
    struct Case {
        const char* what;
        void (*prepare)(const PatchFolders& f, const ::TestSupport::TempFolder& game);
        int code;
        const char* says;
    };
    const Case cases[] = {
        {"the old version", [](const PatchFolders&, const ::TestSupport::TempFolder&) {}, kOk,
         "would apply: 1.00 -> 1.01"},
        {"the new version",
         [](const PatchFolders& f, const ::TestSupport::TempFolder& g) { ::TestSupport::CopyFolder(f.next.Path(), g.Path()); },
         kOk, "already at 1.01"},
        {"a modified file", [](const PatchFolders&, const ::TestSupport::TempFolder& g) { g.Write("data/a.bin", "zzzz"); },
         kFailed, "'data/a.bin' is not the file"},
    };
    for (const Case& c : cases) {
        const ::TestSupport::TempFolder game("cli_game");
        ::TestSupport::CopyFolder(f.old.Path(), game.Path());
        c.prepare(f, game);
        const auto before = ::TestSupport::Snapshot(game.Path());
        const auto checked = RunKiln({"patch", "check", f.Work("p.exe"), game.Path().u8string()});
        EXPECT_EQ(checked.code, c.code) << c.what;
        EXPECT_NE((checked.out + checked.err).find(c.says), std::string::npos) << c.what << ": " << checked.err;
        EXPECT_EQ(::TestSupport::Snapshot(game.Path()), before) << c.what;
    }
}

TEST(PatchCommandTest, ApplyTurnsTheOldFolderIntoTheNewOne)
{
    const PatchFolders f;
    ASSERT_EQ(RunKiln({"patch", "build", f.old.Path().u8string(), f.next.Path().u8string(), f.Work("p.exe"),
                       "--stub", f.Work("stub.exe"), "--level", "1"})
                  .code,
              kOk);
    const ::TestSupport::TempFolder game("cli_apply");
    ::TestSupport::CopyFolder(f.old.Path(), game.Path());
    const auto applied = RunKiln({"patch", "apply", f.Work("p.exe"), game.Path().u8string()});
    EXPECT_EQ(applied.code, kOk) << applied.err;
    EXPECT_EQ(applied.out, "applied: 1.01\n");
    EXPECT_EQ(::TestSupport::Snapshot(game.Path()), ::TestSupport::Snapshot(f.next.Path()));
    const auto again = RunKiln({"patch", "apply", f.Work("p.exe"), game.Path().u8string()});
    EXPECT_EQ(again.code, kOk) << again.err;
    EXPECT_EQ(again.out, "already at 1.01\n");  // as `check` says

    ::TestSupport::CopyFolder(f.old.Path(), game.Path());
    game.Write("gone.txt", "changed");
    const auto refused = RunKiln({"patch", "apply", f.Work("p.exe"), game.Path().u8string()});
    EXPECT_EQ(refused.code, 2);
    EXPECT_EQ(refused.err, "kiln patch: 'gone.txt' is not the file this patch expects\n");
}

TEST(PatchCommandTest, BuildLeavesOutWhatNeverShipsAndRefusesANewSystemIniWithErrors)
{
    const PatchFolders f;
    f.next.Write("Game.ini", "[General]\r\nFullScreen=Yes\r\n");
    f.next.Write("keys/secret.txt", "nWGxne/9WmC6hEr0kuwsxERJxWl7MmkZcDusAxyuf2A=\n");
    f.next.Write("art/title.psd", "layers");
    f.next.Write(".kilnignore", "*.psd\n");
    const std::string stub = "--stub=" + f.Work("stub.exe");
    const auto built = RunKiln({"patch", "build", f.old.Path().u8string(), f.next.Path().u8string(), f.Work("p.exe"), stub});
    ASSERT_EQ(built.code, kOk) << built.err;
    for (const char* line : {"kiln patch: left out: .kilnignore (the list of what to leave out)\n",
                             "kiln patch: left out: Game.ini (the player's settings: every player keeps their own)\n",
                             "kiln patch: left out: art/title.psd (.kilnignore line 1)\n",
                             "kiln patch: left out: keys/secret.txt (a signing key file: keep it off every server)\n"})
        EXPECT_NE(built.err.find(line), std::string::npos) << line << built.err;
    const auto info = RunKiln({"patch", "info", f.Work("p.exe")});
    EXPECT_EQ(info.out.find("Game.ini"), std::string::npos) << info.out;
    EXPECT_EQ(info.out.find("secret"), std::string::npos) << info.out;
    EXPECT_EQ(info.out.find("psd"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("add-folder art\n"), std::string::npos) << info.out;  // the folder, now empty, stays
    const auto noStub = RunKiln({"patch", "build", f.old.Path().u8string(), f.next.Path().u8string(), f.Work("q.exe"),
                                 "--stub", f.Work("none.exe")});
    EXPECT_EQ(noStub.err, "kiln patch: cannot read the patch program's code '" + f.Work("none.exe") + "' (given with --stub)\n");

    f.next.Write("System.ini", "[Game]\r\nVersion=1.01\r\nTitle=\xE3\x82\xB5\xE3\x83\xB3\r\n");  // UTF-8
    const auto refused = RunKiln({"patch", "build", f.old.Path().u8string(), f.next.Path().u8string(), f.Work("q.exe"), stub});
    EXPECT_EQ(refused.code, kFailed);
    EXPECT_NE(refused.err.find("error: System.ini: is UTF-8;"), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("kiln patch: the new folder's System.ini has errors"), std::string::npos) << refused.err;
    EXPECT_FALSE(std::filesystem::exists(f.work.Path() / "q.exe"));
}

// Files larger than one delta window (64 MiB) are read a window at a time: a changed one
// travels as a delta, a new one whole, the build says how far it has come, and the folder
// ends as the new version.
TEST(PatchCommandTest, FilesLargerThanAWindowAreBuiltAndAppliedInPieces)
{
    const PatchFolders f;
    const size_t size = (size_t{64} << 20) + 4096;
    std::string voices(size, '\0');
    voices.replace(size_t{10} << 20, size_t{1} << 20, ::TestSupport::NoiseBytes(size_t{1} << 20, 21));
    std::string changed = voices;
    changed.replace((size_t{10} << 20) + 5000, 3000, ::TestSupport::NoiseBytes(3000, 22));
    f.old.Write("data/voices.pak", voices);
    f.next.Write("data/voices.pak", changed);
    f.next.Write("data/movie.bin", std::string(size, 'm'));
    const auto built = RunKiln({"patch", "build", f.old.Path().u8string(), f.next.Path().u8string(), f.Work("p.exe"),
                                "--stub", f.Work("stub.exe")});
    ASSERT_EQ(built.code, kOk) << built.err;
    EXPECT_NE(built.err.find("kiln patch: data/voices.pak: 64 of 64 MiB\n"), std::string::npos) << built.err;
    EXPECT_NE(built.err.find("kiln patch: data/movie.bin: 64 of 64 MiB\n"), std::string::npos) << built.err;
    // 3,000 new bytes in all; everything else is found in the old file or repeats.
    EXPECT_LT(::TestSupport::ReadFile(f.work.Path() / "p.exe").size(), 64u << 10);
    const auto info = RunKiln({"patch", "info", f.Work("p.exe")});
    EXPECT_NE(info.out.find("change data/voices.pak (67112960 bytes, delta "), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("add data/movie.bin (67112960 bytes, whole "), std::string::npos) << info.out;

    const ::TestSupport::TempFolder game("cli_apply_large");
    ::TestSupport::CopyFolder(f.old.Path(), game.Path());
    const auto applied = RunKiln({"patch", "apply", f.Work("p.exe"), game.Path().u8string()});
    EXPECT_EQ(applied.code, kOk) << applied.err;
    EXPECT_TRUE(::TestSupport::Snapshot(game.Path()) == ::TestSupport::Snapshot(f.next.Path()));
}

TEST(PatchCommandTest, RefusesWhatItCannotUse)
{
    const PatchFolders f;
    const std::string old = f.old.Path().u8string();
    EXPECT_EQ(RunKiln({"patch", "build", old, old, f.Work("p.exe"), "--stub", f.Work("stub.exe")}).err,
              "kiln patch: both folders hold version 1.00\n");
    EXPECT_EQ(RunKiln({"patch", "build", old, f.next.Path().u8string(), f.Work("p.exe"), "--stub", f.Work("none")}).code,
              kFailed);
    EXPECT_EQ(RunKiln({"patch", "build", old, f.Work("p.exe")}).code, kBadUsage);
    EXPECT_EQ(RunKiln({"patch", "build", old, old, "x", "--level", "20"}).code, kBadUsage);
    const auto notPatch = RunKiln({"patch", "info", f.Work("stub.exe")});
    EXPECT_EQ(notPatch.code, kFailed);
    EXPECT_NE(notPatch.err.find("is not a patch program"), std::string::npos);
    EXPECT_EQ(RunKiln({"patch", "unknown"}).code, kBadUsage);
}

}  // namespace
}  // namespace KilnCli
