// A patch program built by `kiln patch build` on the launcher's chain: signed information from
// a local server, the download, the program run on Update.ini, the next check.
#include <filesystem>

#include "tests/e2e/patch_fixture.h"
#include "tests/support/patch_folders.h"
#include "tests/support/test_pe_files.h"
#include "tests/support/tool_harness.h"

namespace {

using namespace PatchE2E;
namespace fs = std::filesystem;

// The released game folder as it is now, and 1.01 made from it with Version raised; a test
// changes the rest of 1.01, then builds the patch program into `program`.
struct Release {
    explicit Release(const GameFolder& game) : nextSystemIni(game.Read("System.ini"))
    {
        ::TestSupport::CopyFolder(fs::path(game.Path()), old.Path());
        ::TestSupport::CopyFolder(fs::path(game.Path()), next.Path());
        nextSystemIni.replace(nextSystemIni.find("Version=1.00"), 12, "Version=1.01");
        next.Write("System.ini", nextSystemIni);
    }

    KilnCli::TestSupport::ToolRun Build(const std::string& program) const
    {
        return KilnCli::TestSupport::RunKiln({"patch", "build", old.Path().u8string(), next.Path().u8string(), program,
                                              "--stub", KILN_PATCH_STUB, "--level", "3"});
    }

    ::TestSupport::TempFolder old{"chain_old"};
    ::TestSupport::TempFolder next{"chain_new"};
    std::string nextSystemIni;
};

TEST_F(PatchTest, BuiltPatchProgramTakesTheGameToTheNewVersion)
{
    GameFolder& site = Site(46);
    publicKey_ = kMakerPublicKey;
    Configure("1.00", {Serve(46, site, R"({"/update.txt": {"file": "update.txt"},
                                         "/update.txt.sig": {"file": "update.txt.sig"},
                                         "/patch_1.01.exe": {"file": "patch_1.01.exe"}})")});
    game_.Write("System.ini", game_.Read("System.ini") + "[Twitter]\r\nAPIAccessKey=plain\r\n");
    const std::string archive = ::TestSupport::NoiseBytes(1 << 20, 21);
    game_.Write("archive.pak", archive);
    game_.Write("removed.txt", "dropped in 1.01");

    const Release release(game_);
    const ::TestSupport::TempFolder& next = release.next;
    std::string changed = archive;
    changed.replace(300000, 4096, ::TestSupport::NoiseBytes(4096, 22));
    next.Write("archive.pak", changed);
    fs::remove(next.Path() / "removed.txt");
    next.Write("\xe3\x83\x87\xe3\x83\xbc\xe3\x82\xbf/\xe8\xbf\xbd\xe5\x8a\xa0.txt", "new in 1.01");  // データ/追加.txt

    const std::string program = site.PathOf("patch_1.01.exe");
    const auto built = release.Build(program);
    ASSERT_EQ(built.code, 0) << built.err;
    // The launcher has sealed the key in place since 1.00 was installed: the patch keeps it.
    auto sealed = [](std::string text) { return text.replace(text.find("=plain"), 6, "=SEALED"); };
    game_.Write("System.ini", sealed(game_.Read("System.ini")));
    const std::string digest = Md5Hex(KilnTest::ReadFileText(program));
    EXPECT_EQ(built.out, "1.01," + digest + ",0,patch_1.01.exe\n");  // the line the maker appends
    const std::string info = UpdateInfo({{"1.01", digest, 0}});
    site.Write("update.txt", info);
    site.Write("update.txt.sig", SignatureFile(info));

    ASSERT_TRUE(OpenDialog());
    HWND box = WaitForBox(kUpdatedCaption, 60000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(KilnTest::MessageBoxText(box),
              "バージョン[1.01]に更新されました。\n更に新しいパッチが存在するか続けて確認します。");
    EXPECT_EQ(InstalledVersion(), "1.01");
    // The program has ended and its working folder has gone with its files.
    EXPECT_FALSE(Exists(WorkingFolder()));
    // Every file of 1.01 byte for byte, nothing of 1.00's that 1.01 dropped, nothing left over.
    const auto game = ::TestSupport::Snapshot(fs::path(game_.Path()));
    auto expected = ::TestSupport::Snapshot(next.Path());
    EXPECT_EQ(game_.Read("System.ini"), sealed(release.nextSystemIni));
    expected.erase("System.ini");
    for (const auto& [name, bytes] : expected) {
        const auto found = game.find(name);
        ASSERT_NE(found, game.end()) << name;
        EXPECT_EQ(found->second, bytes) << name;
    }
    EXPECT_EQ(game.count("removed.txt"), 0u);
    for (const auto& [name, bytes] : game)
        EXPECT_EQ(name.find("kiln-"), std::string::npos) << name;
    Answer(box);

    box = WaitForBox("最新バージョン");
    ASSERT_NE(box, nullptr);
    Answer(box);
    EXPECT_TRUE(WaitGone(dialog_, 5000));
    CloseLauncher(window_);
}

// A maker publishes 1.01 with the tool (kiln.exe as its own process, the patch program's code
// found beside it) into a folder nginx serves as it is; a player's 1.00, with their own Game.ini
// and the Twitter key the launcher sealed, updates through the launcher and keeps both.
TEST_F(PatchTest, PublishedUpdateTakesThePlayerTo101AndLeavesTheirGameIniAlone)
{
    GameFolder& site = Site(48);
    ::CreateDirectoryA(site.PathOf("www").c_str(), nullptr);
    publicKey_ = kMakerPublicKey;
    Configure("1.00", {Serve(48, site, "", LoopbackServer::Kind::Nginx)});
    game_.Write("System.ini", game_.Read("System.ini") + "[KeyConfig]\r\nUP=yes\r\n[Twitter]\r\nAPIAccessKey=plain\r\n");
    // Engines the check takes on every build (the launcher never starts one here).
    const auto engine = KilnTest::MakePeFile({0x014C, true, false, {"RunEngine"}});
    for (const char* name : {"Engine.dll", "Engine_Debug.dll", "Engine_Test.dll"})
        game_.Write(name, std::string(engine.begin(), engine.end()));
    const std::string archive = ::TestSupport::NoiseBytes(1 << 20, 31);
    game_.Write("archive.pak", archive);

    const Release release(game_);
    std::string changed = archive;
    changed.replace(500000, 4096, ::TestSupport::NoiseBytes(4096, 32));
    release.next.Write("archive.pak", changed);
    release.next.Write("Game.ini", "[General]\r\nFullScreen=Yes\r\nScreenSize=4\r\n");  // the maker's test run
    release.next.Write("update-secret.txt", std::string(kMakerSeed) + "\r\n");
    release.next.Write("debug/trace.log", "frame 1");
    release.next.Write(".kilnignore", "debug/\r\n");

    // The player has played 1.00: their settings, and the key sealed in place.
    const std::string playerGameIni = "[General]\r\nFullScreen=No\r\nShowFPS=Yes\r\n";
    game_.Write("Game.ini", playerGameIni);
    auto sealed = [](std::string text) { return text.replace(text.find("=plain"), 6, "=SEALED"); };
    game_.Write("System.ini", sealed(game_.Read("System.ini")));

    const std::string outFolder = site.PathOf("www");
    const std::string secret = (release.next.Path() / "update-secret.txt").string();
    Process tool(KilnTest::BinDirectory() + "kiln.exe",
                 "publish \"" + release.old.Path().string() + "\" \"" + release.next.Path().string() + "\" \"" +
                     outFolder + "\" --secret \"" + secret + "\" --level 3");
    ASSERT_TRUE(tool.Started());
    ASSERT_EQ(tool.WaitForExit(120000), 0);
    const auto published = ::TestSupport::Snapshot(fs::path(outFolder));
    ASSERT_EQ(published.size(), 3u);
    EXPECT_EQ(published.count("patch_1.01.exe") + published.count("update.txt") + published.count("update.txt.sig"), 3u);

    ASSERT_TRUE(OpenDialog());
    HWND box = WaitForBox(kUpdatedCaption, 60000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(KilnTest::MessageBoxText(box),
              "バージョン[1.01]に更新されました。\n更に新しいパッチが存在するか続けて確認します。");
    EXPECT_EQ(InstalledVersion(), "1.01");
    EXPECT_EQ(game_.Read("archive.pak"), changed);
    EXPECT_EQ(game_.Read("Game.ini"), playerGameIni);
    EXPECT_EQ(game_.Read("System.ini"), sealed(release.nextSystemIni));
    for (const char* absent : {"update-secret.txt", "debug", ".kilnignore"})
        EXPECT_FALSE(game_.Exists(absent)) << absent;
    Answer(box);

    box = WaitForBox("最新バージョン");
    ASSERT_NE(box, nullptr);
    Answer(box);
    EXPECT_TRUE(WaitGone(dialog_, 5000));
    CloseLauncher(window_);
}

// A top-level window of any process, by class and caption; null when none shows in time.
HWND WaitForAnyWindow(const char* className, const char* caption, DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        HWND window = ::FindWindowA(className, caption);
        if (window && ::IsWindowVisible(window))
            return window;
        if (::GetTickCount() - start > timeoutMs)
            return nullptr;
        ::Sleep(20);
    }
}

// A patch that replaces Launcher.exe: the launcher quits, the patch program replaces it once it
// is free, and offers to start the new one, which opens on the new version.
TEST_F(PatchTest, BuiltLauncherUpdateStartsTheNewLauncherWhenThePlayerSaysSo)
{
    GameFolder& site = Site(47);
    Configure("1.00", {Serve(47, site, R"({"/update.txt": {"file": "update.txt"},
                                         "/patch_1.01.exe": {"file": "patch_1.01.exe"}})")});
    const Release release(game_);
    // Windows loads the image alone: bytes after it leave the program as it was.
    const std::string launcher = game_.Read("Launcher.exe") + "1.01";
    release.next.Write("Launcher.exe", launcher);

    const std::string program = site.PathOf("patch_1.01.exe");
    const auto built = release.Build(program);
    ASSERT_EQ(built.code, 0) << built.err;
    const std::string digest = Md5Hex(KilnTest::ReadFileText(program));
    EXPECT_EQ(built.out, "1.01," + digest + ",1,patch_1.01.exe\n");
    site.Write("update.txt", UpdateInfo({{"1.01", digest, 1}}));

    ASSERT_TRUE(OpenDialog());
    HWND box = WaitForBox("ランチャー再起動", 60000);
    ASSERT_NE(box, nullptr);
    Answer(box);
    EXPECT_EQ(launcher_->WaitForExit(10000), 0);
    HWND offer = WaitForAnyWindow("#32770", "パッチ", 60000);
    ASSERT_NE(offer, nullptr);
    EXPECT_EQ(KilnTest::MessageBoxText(offer), "新しいランチャーを起動しますか？");
    EXPECT_EQ(game_.Read("Launcher.exe"), launcher);
    EXPECT_EQ(InstalledVersion(), "1.01");
    Answer(offer, IDYES);
    HWND window = WaitForAnyWindow("#32770", kTitle, KilnTest::kWindowTimeoutMs);
    ASSERT_NE(window, nullptr);
    DWORD started = 0;
    ::GetWindowThreadProcessId(window, &started);
    EXPECT_NE(started, launcher_->Id());
    KilnTest::PressCloseBox(window);
    EXPECT_TRUE(WaitGone(window, 5000));
}

}  // namespace
