#include "kiln/patch/apply.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "kiln/patch/builder.h"
#include "kiln/patch/delta_windows.h"
#include "tests/support/patch_folders.h"

namespace Kiln::Patch {
namespace {

using TestSupport::Snapshot;
using TestSupport::TempFolder;

const char kJapaneseName[] = "\xe3\x82\xbb\xe3\x83\xbc\xe3\x83\x96/\xe8\xaa\xac\xe6\x98\x8e.txt";  // セーブ/説明.txt

// A game at 1.00 and at 1.01: a changed large file, a changed and a removed small file, an
// added sub-folder with a Japanese name, a removed folder, System.ini raised. The large file's
// delta is made of windows of 16 KiB, each referring to at most 20 KiB of the old file, as a
// file of gigabytes is with windows of the full size.
struct GameVersions {
    TempFolder old{"apply_old"};
    TempFolder next{"apply_new"};
    Payload payload;

    GameVersions()
    {
        const std::string archive = TestSupport::NoiseBytes(200000, 3);
        std::string changedArchive = archive;
        changedArchive.replace(50000, 1000, TestSupport::NoiseBytes(1000, 4));
        old.Write("System.ini", "[Game]\r\nTitle=t\r\nVersion=1.00\r\n[Twitter]\r\nAPIAccessKey=plain\r\n");
        next.Write("System.ini", "[Game]\r\nTitle=t2\r\nVersion=1.01\r\n[Twitter]\r\nAPIAccessKey=plain\r\n");
        old.Write("Game.exe", "engine 1");
        next.Write("Game.exe", "engine 1");
        old.Write("data/archive.pak", archive);
        next.Write("data/archive.pak", changedArchive);
        old.Write("data/config.txt", "speed=1");
        next.Write("data/config.txt", "speed=2");
        old.Write("readme-old.txt", "bye");
        old.Write("legacy/sub/x.bin", "x");
        next.Write(kJapaneseName, "\xe6\x96\xb0");
        next.Write("data/new/more.bin", "added");
        next.Write("data/new/movie.bin", TestSupport::NoiseBytes(300000, 5));  // more than one decoded piece
        std::string error;
        auto built = BuildPayload(old.Path(), next.Path(), &error, 3);
        if (!built) {
            ADD_FAILURE() << error;
            return;
        }
        payload = std::move(*built);
        for (Entry& entry : payload.entries) {
            if (entry.name != "data/archive.pak")
                continue;
            MemorySource oldSource(reinterpret_cast<const uint8_t*>(archive.data()), archive.size());
            MemorySource nextSource(reinterpret_cast<const uint8_t*>(changedArchive.data()), changedArchive.size());
            auto windows = EncodeDelta(oldSource, nextSource, 3, DeltaShape{16 << 10, 20 << 10});
            if (windows)
                entry.data = std::move(*windows);
            else
                ADD_FAILURE() << "the archive's windows";
        }
    }
};

TEST(PatchApplyTest, AppliedFolderEqualsTheNewVersionExactly)
{
    GameVersions versions;
    const TempFolder game("apply_game");
    TestSupport::CopyFolder(versions.old.Path(), game.Path());
    DiskFileSystem files(game.Path());
    const ApplyResult result = ApplyPayload(versions.payload, files);
    EXPECT_EQ(result.outcome, Outcome::kApplied) << Describe(result);
    EXPECT_EQ(Snapshot(game.Path()), Snapshot(versions.next.Path()));
    // A second run finds the work done.
    EXPECT_EQ(ApplyPayload(versions.payload, files).outcome, Outcome::kApplied);
    EXPECT_EQ(Snapshot(game.Path()), Snapshot(versions.next.Path()));
}

// The launcher seals the account key in System.ini in place: the patch must still apply, keep
// the sealed key, and bring the new version's own changes.
TEST(PatchApplyTest, ASystemIniTheLauncherWroteToIsMerged)
{
    GameVersions versions;
    const TempFolder game("apply_sealed");
    TestSupport::CopyFolder(versions.old.Path(), game.Path());
    game.Write("System.ini", "[Game]\r\nTitle=t\r\nVersion=1.00\r\n[Twitter]\r\nAPIAccessKey=SEALED\r\n");
    auto expected = Snapshot(versions.next.Path());
    expected["System.ini"] = "[Game]\r\nTitle=t2\r\nVersion=1.01\r\n[Twitter]\r\nAPIAccessKey=SEALED\r\n";
    DiskFileSystem files(game.Path());
    EXPECT_EQ(CheckPayload(versions.payload, files).reason, Reason::kNone);
    for (int run = 0; run < 2; ++run) {
        const ApplyResult result = ApplyPayload(versions.payload, files);
        EXPECT_EQ(result.outcome, Outcome::kApplied) << run << ": " << Describe(result);
        EXPECT_EQ(Snapshot(game.Path()), expected) << run;
    }
}

TEST(PatchApplyTest, RefusesAFolderItWasNotBuiltFor)
{
    struct Case {
        const char* what;
        void (*spoil)(const TempFolder& game);
        Reason reason;
        const char* detail;
    };
    const Case cases[] = {
        {"another version", [](const TempFolder& g) { g.Write("System.ini", "[Game]\r\nTitle=t\r\nVersion=0.99\r\n"); },
         Reason::kWrongVersion, "0.99"},
        {"modified old file", [](const TempFolder& g) { g.Write("data/config.txt", "speed=9"); },
         Reason::kFileDiffers, "data/config.txt"},
        {"modified file to remove", [](const TempFolder& g) { g.Write("readme-old.txt", "edited"); },
         Reason::kFileDiffers, "readme-old.txt"},
        // Inside the span the new version rewrites: the delta alone would still decode right.
        {"modified old file that travels as a delta",
         [](const TempFolder& g) {
             std::string archive = TestSupport::NoiseBytes(200000, 3);
             archive[50500] = static_cast<char>(archive[50500] ^ 1);
             g.Write("data/archive.pak", archive);
         },
         Reason::kFileDiffers, "data/archive.pak"},
        {"missing old file",
         [](const TempFolder& g) { std::filesystem::remove(g.Path() / "data" / "archive.pak"); },
         Reason::kFileMissing, "data/archive.pak"},
        {"file where a new one goes", [](const TempFolder& g) { g.Write("data/new/more.bin", "mine"); },
         Reason::kFileInTheWay, "data/new/more.bin"},
    };
    GameVersions versions;
    const auto& entries = versions.payload.entries;
    const auto archive = std::find_if(entries.begin(), entries.end(),
                                      [](const Entry& e) { return e.name == "data/archive.pak"; });
    ASSERT_TRUE(archive != entries.end() && archive->method == Method::kDelta);
    for (const Case& c : cases) {
        const TempFolder game("apply_refused");
        TestSupport::CopyFolder(versions.old.Path(), game.Path());
        c.spoil(game);
        const auto before = Snapshot(game.Path());
        DiskFileSystem files(game.Path());
        const ApplyResult result = ApplyPayload(versions.payload, files);
        EXPECT_EQ(result.outcome, Outcome::kRefused) << c.what;
        EXPECT_EQ(result.reason, c.reason) << c.what;
        EXPECT_EQ(result.detail, c.detail) << c.what;
        EXPECT_EQ(Snapshot(game.Path()), before) << c.what;
    }
}

// A link in the game folder, where the patch expects a file or a folder, may lead anywhere: the
// run refuses to go through it, and what it points to is never changed.
TEST(PatchApplyTest, LinksInTheGameFolderAreNeverFollowed)
{
#ifdef _WIN32
    GTEST_SKIP() << "Wine makes no links from Windows code; the patch program's end-to-end test goes through them";
#else
    namespace fs = std::filesystem;
    struct Case {
        const char* link;  // in the game folder; it points to the same name in a folder outside
        void (*place)(const TempFolder& outside);
    };
    const Case cases[] = {
        {"data", [](const TempFolder& o) { o.Write("data/config.txt", "speed=1"); }},  // a changed file's folder
        {"data/new", [](const TempFolder& o) { o.MakeFolder("data/new"); }},          // a folder the patch adds
        {"data/config.txt", [](const TempFolder& o) { o.Write("data/config.txt", "speed=1"); }},
        {"data/config.txt.kiln-new", [](const TempFolder& o) { o.Write("data/config.txt.kiln-new", "mine"); }},
        {"legacy", [](const TempFolder& o) { o.Write("legacy/sub/x.bin", "x"); }},  // a folder the patch removes
        {"System.ini", [](const TempFolder& o) { o.Write("System.ini", "[Game]\r\nTitle=t\r\nVersion=1.00\r\n"); }},
    };
    const GameVersions versions;
    for (const Case& c : cases) {
        const TempFolder game("apply_linked");
        const TempFolder outside("apply_outside");
        TestSupport::CopyFolder(versions.old.Path(), game.Path());
        c.place(outside);
        fs::remove_all(game.Path() / c.link);
        fs::create_symlink(outside.Path() / c.link, game.Path() / c.link);
        const auto gameBefore = Snapshot(game.Path());
        const auto outsideBefore = Snapshot(outside.Path());
        DiskFileSystem files(game.Path());
        const ApplyResult result = ApplyPayload(versions.payload, files);
        EXPECT_NE(result.outcome, Outcome::kApplied) << c.link;
        EXPECT_EQ(Snapshot(outside.Path()), outsideBefore) << c.link;
        EXPECT_EQ(Snapshot(game.Path()), gameBefore) << c.link;
    }
#endif
}

TEST(PatchApplyTest, ADamagedPatchChangesNothing)
{
    struct Case {
        const char* what;
        const char* name;
        void (*spoil)(Entry& entry);
    };
    const Case cases[] = {
        {"whole file's frame", "data/new/movie.bin", [](Entry& e) { e.data[e.data.size() / 2] ^= 0x40; }},
        {"whole file's digest", "data/new/movie.bin", [](Entry& e) { e.newHash[0] ^= 1; }},
        {"delta's frame", "data/archive.pak", [](Entry& e) { e.data[e.data.size() / 2] ^= 0x40; }},
        {"delta's new digest", "data/archive.pak", [](Entry& e) { e.newHash[31] ^= 1; }},
    };
    const GameVersions versions;
    for (const Case& c : cases) {
        Payload payload = versions.payload;
        const auto entry = std::find_if(payload.entries.begin(), payload.entries.end(),
                                        [&](const Entry& e) { return e.name == c.name; });
        ASSERT_TRUE(entry != payload.entries.end()) << c.what;
        c.spoil(*entry);
        const TempFolder game("apply_damaged");
        TestSupport::CopyFolder(versions.old.Path(), game.Path());
        const auto before = Snapshot(game.Path());
        DiskFileSystem files(game.Path());
        const ApplyResult result = ApplyPayload(payload, files);
        EXPECT_EQ(result.outcome, Outcome::kFailed) << c.what;
        EXPECT_EQ(result.reason, Reason::kDamagedPatch) << c.what;
        EXPECT_EQ(result.detail, c.name) << c.what;
        EXPECT_EQ(Snapshot(game.Path()), before) << c.what;
    }
}

// Passes every call to the disk, but stops the run (as a kill would) or fails one call (as a
// locked file or a full disk would) at a chosen change.
class TroubledFileSystem : public DiskFileSystem {
public:
    struct Stopped {};
    enum class Mode { kStop, kFail };
    TroubledFileSystem(std::filesystem::path root, Mode mode, int at)
        : DiskFileSystem(std::move(root)), mode_(mode), at_(at)
    {
    }
    bool WriteFrom(const std::string& name, const Producer& produce) override
    {
        return Change() && DiskFileSystem::WriteFrom(name, produce);
    }
    bool Rename(const std::string& from, const std::string& to) override
    {
        return Change() && DiskFileSystem::Rename(from, to);
    }
    bool Replace(const std::string& from, const std::string& to) override
    {
        return Change() && DiskFileSystem::Replace(from, to);
    }
    bool Remove(const std::string& name) override
    {
        if (!DiskFileSystem::Exists(name))
            return true;
        return Change() && DiskFileSystem::Remove(name);
    }
    bool MakeFolder(const std::string& name) override { return Change() && DiskFileSystem::MakeFolder(name); }
    bool RemoveFolder(const std::string& name) override
    {
        if (!DiskFileSystem::Exists(name))
            return true;
        return Change() && DiskFileSystem::RemoveFolder(name);
    }
    bool Reached() const { return changes_ > at_; }

private:
    bool Change()
    {
        if (changes_++ != at_)
            return true;
        if (mode_ == Mode::kStop)
            throw Stopped{};
        return false;
    }
    Mode mode_;
    int at_;
    int changes_ = 0;
};

TEST(PatchApplyTest, AStopAtAnyChangeEndsAtTheNewVersionOnTheNextRun)
{
    GameVersions versions;
    const auto expected = Snapshot(versions.next.Path());
    int stops = 0;
    for (int at = 0; at < 200; ++at) {
        const TempFolder game("apply_stop");
        TestSupport::CopyFolder(versions.old.Path(), game.Path());
        TroubledFileSystem troubled(game.Path(), TroubledFileSystem::Mode::kStop, at);
        bool stopped = false;
        try {
            ApplyPayload(versions.payload, troubled);
        } catch (const TroubledFileSystem::Stopped&) {
            stopped = true;
        }
        if (!stopped)
            break;  // the run has fewer changes than `at`: every point was covered
        ++stops;
        DiskFileSystem files(game.Path());
        const ApplyResult again = ApplyPayload(versions.payload, files);
        EXPECT_EQ(again.outcome, Outcome::kApplied) << "stopped at change " << at << ": " << Describe(again);
        EXPECT_EQ(Snapshot(game.Path()), expected) << "stopped at change " << at;
    }
    // Stage (folders, 5 files), journal, swap, clean: far more than twenty points.
    EXPECT_GT(stops, 20);
}

TEST(PatchApplyTest, AFailureAtAnyChangeRestoresTheOldVersion)
{
    GameVersions versions;
    const auto old = Snapshot(versions.old.Path());
    const auto next = Snapshot(versions.next.Path());
    int failures = 0;
    for (int at = 0; at < 200; ++at) {
        const TempFolder game("apply_fail");
        TestSupport::CopyFolder(versions.old.Path(), game.Path());
        TroubledFileSystem troubled(game.Path(), TroubledFileSystem::Mode::kFail, at);
        const ApplyResult result = ApplyPayload(versions.payload, troubled);
        if (!troubled.Reached())
            break;
        ++failures;
        if (result.outcome == Outcome::kFailed) {
            EXPECT_EQ(Snapshot(game.Path()), old) << "failed at change " << at << ": " << Describe(result);
            continue;
        }
        // Past the swap the new version stands; what was left to clear up goes on the next run.
        EXPECT_EQ(result.outcome, Outcome::kApplied) << "failed at change " << at;
        DiskFileSystem files(game.Path());
        EXPECT_EQ(ApplyPayload(versions.payload, files).outcome, Outcome::kApplied);
        EXPECT_EQ(Snapshot(game.Path()), next) << "failed at change " << at;
    }
    EXPECT_GT(failures, 20);
}

TEST(PatchApplyTest, AnUnreadableJournalStopsTheRunUntouched)
{
    GameVersions versions;
    const TempFolder game("apply_journal");
    TestSupport::CopyFolder(versions.old.Path(), game.Path());
    game.Write("kiln-patch.journal", "kiln patch journal 1\nstate swap\nchange ../../x\nend\n");
    const auto before = Snapshot(game.Path());
    DiskFileSystem files(game.Path());
    const ApplyResult result = ApplyPayload(versions.payload, files);
    EXPECT_EQ(result.outcome, Outcome::kFailed);
    EXPECT_EQ(result.reason, Reason::kJournalUnreadable);
    EXPECT_EQ(Snapshot(game.Path()), before);
}

}  // namespace
}  // namespace Kiln::Patch
