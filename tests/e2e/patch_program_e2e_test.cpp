// The patch program as makers ship it: built by the tool from two folders, run as its own
// process on a game folder, by Update.ini as the launcher starts it or with --target.
#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "kiln/base/scoped_win.h"
#include "tests/support/patch_folders.h"
#include "tests/support/tool_harness.h"
#include "tests/support/ui_driver.h"

namespace {

namespace fs = std::filesystem;
using TestSupport::Snapshot;
using TestSupport::TempFolder;

const char kJapaneseName[] = "\xe3\x82\xbb\xe3\x83\xbc\xe3\x83\x96/\xe8\xaa\xac\xe6\x98\x8e.txt";  // セーブ/説明.txt

// A failed expectation must not leave a patch program's window waiting for a player.
struct EndedAtExit {
    const Kiln::UniqueHandle& process;
    ~EndedAtExit()
    {
        if (::WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT)
            ::TerminateProcess(process.Get(), 1);
    }
};

class PatchProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string archive = TestSupport::NoiseBytes(300000, 11);
        std::string changed = archive;
        changed.replace(100000, 2000, TestSupport::NoiseBytes(2000, 12));
        old_.Write("System.ini", "[Game]\r\nVersion=1.00\r\n");
        next_.Write("System.ini", "[Game]\r\nVersion=1.01\r\n");
        old_.Write("data/archive.pak", archive);
        next_.Write("data/archive.pak", changed);
        old_.Write("removed.txt", "old");
        old_.Write("Game.exe", "same");
        next_.Write("Game.exe", "same");
        next_.Write(kJapaneseName, "new");
        old_.Write("config.txt", "speed=1");
        next_.Write("config.txt", "speed=2");
        old_.Write("legacy/old.bin", "dropped with its folder");
        next_.Write("bgm/title.ogg", "new music");
        const auto built = KilnCli::TestSupport::RunKiln({"patch", "build", old_.Path().u8string(),
                                                          next_.Path().u8string(), Program(), "--stub",
                                                          KILN_PATCH_STUB, "--level", "3"});
        ASSERT_EQ(built.code, 0) << built.err;
        TestSupport::CopyFolder(old_.Path(), game_.Path());
    }

    std::string Program() const { return (work_.Path() / "patch-1.01.exe").u8string(); }

    // Starts the patch program in `folder` with `arguments`; its process (null when it did not
    // start) and its id.
    Kiln::UniqueHandle StartPatch(const std::wstring& arguments, const fs::path& folder, DWORD* id = nullptr) const
    {
        std::wstring command = L"\"" + fs::u8path(Program()).wstring() + L"\" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.wstring().c_str(),
                              &startup, &info))
            return {};
        const Kiln::UniqueHandle thread(info.hThread);
        if (id)
            *id = info.dwProcessId;
        return Kiln::UniqueHandle(info.hProcess);
    }

    // The exit code of a started patch program, or -1 when it does not end in time.
    static int ExitCodeOf(const Kiln::UniqueHandle& process, DWORD timeoutMs = 60000)
    {
        if (!process || ::WaitForSingleObject(process.Get(), timeoutMs) != WAIT_OBJECT_0)
            return -1;
        DWORD code = 0;
        ::GetExitCodeProcess(process.Get(), &code);
        return static_cast<int>(code);
    }

    int RunPatch(const std::wstring& arguments, const fs::path& folder) const
    {
        return ExitCodeOf(StartPatch(arguments, folder));
    }

    std::wstring TargetSwitch() const { return L"--quiet --target \"" + game_.Path().wstring() + L"\""; }

    TempFolder old_{"e2e_old"};
    TempFolder next_{"e2e_new"};
    TempFolder game_{"e2e_game"};
    TempFolder work_{"e2e_work"};
};

TEST_F(PatchProgramTest, UpdateIniLeadsItToTheGameWhichEndsEqualToTheNewVersion)
{
    // As the launcher leaves it: the working folder holds Update.ini naming the game folder.
    work_.Write("Update.ini", "[Update]\r\nTargetDirectory=" + game_.Path().string() + "\\\r\n");
    EXPECT_EQ(RunPatch(L"--quiet", work_.Path()), 0);
    EXPECT_EQ(Snapshot(game_.Path()), Snapshot(next_.Path()));
}

TEST_F(PatchProgramTest, AFileHeldOpenForWritingFailsWithTheFolderAsBefore)
{
    const auto before = Snapshot(game_.Path());
    {
        const fs::path held = game_.Path() / "data" / "archive.pak";
        const Kiln::UniqueFileHandle file(::CreateFileW(held.wstring().c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                                        nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(file);
        EXPECT_EQ(RunPatch(TargetSwitch(), work_.Path()), 1);
    }
    EXPECT_EQ(Snapshot(game_.Path()), before);
    // Once the file is free the same patch applies.
    EXPECT_EQ(RunPatch(TargetSwitch(), work_.Path()), 0);
    EXPECT_EQ(Snapshot(game_.Path()), Snapshot(next_.Path()));
}

// Run by hand with no Update.ini beside it, started in the game folder (where a player put it):
// it asks for the game folder, starting there, and patches the one the player confirms.
TEST_F(PatchProgramTest, RunByHandItAsksForTheGameFolder)
{
    DWORD id = 0;
    const Kiln::UniqueHandle process = StartPatch(L"", game_.Path(), &id);
    ASSERT_TRUE(process);
    const EndedAtExit ended{process};
    const HWND dialog = KilnTest::WaitForDialog(id, nullptr);
    ASSERT_NE(dialog, nullptr);
    // As a player would: look that the game folder is the one selected (choosing it again if
    // not), press OK. Wine's dialog now and then cannot find a folder in its tree; that is
    // Wine's, not the patch program's, so such a run is skipped rather than failed.
    const HWND tree = ::FindWindowExA(dialog, nullptr, "SysTreeView32", nullptr);
    const std::string name = game_.Path().filename().string();
    for (int attempt = 0; attempt < 10 && KilnTest::SelectedTreeItemText(tree) != name; ++attempt) {
        ASSERT_TRUE(KilnTest::SelectBrowsedFolder(dialog, game_.Path().wstring()));
        ::Sleep(100);
    }
    if (KilnTest::SelectedTreeItemText(tree) != name)
        GTEST_SKIP() << "Wine's folder dialog kept '" << KilnTest::SelectedTreeItemText(tree) << "' selected";
    KilnTest::Click(dialog, IDOK);
    EXPECT_EQ(ExitCodeOf(process, 30000), 0);
    EXPECT_EQ(Snapshot(game_.Path()), Snapshot(next_.Path()));
}

// As the launcher starts it, with its window: a failure keeps the reason on screen until the
// player closes the window, and only then does the program end.
TEST_F(PatchProgramTest, AFailureShowsItsReasonUntilThePlayerClosesTheWindow)
{
    work_.Write("Update.ini", "[Update]\r\nTargetDirectory=" + game_.Path().string() + "\\\r\n");
    const auto before = Snapshot(game_.Path());
    const fs::path held = game_.Path() / "data" / "archive.pak";
    const Kiln::UniqueFileHandle file(::CreateFileW(held.wstring().c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                                    OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(file);
    DWORD id = 0;
    const Kiln::UniqueHandle process = StartPatch(L"", work_.Path(), &id);
    ASSERT_TRUE(process);
    const EndedAtExit ended{process};
    const HWND window = KilnTest::WaitForWindow(id, "KilnPatchWindow", "パッチ");
    ASSERT_NE(window, nullptr);
    const HWND text = ::FindWindowExA(window, nullptr, "STATIC", nullptr);
    const std::string reason =
        "ファイルを書き換えられませんでした。ゲームを終了してから、もう一度お試しください: data/archive.pak";
    const DWORD start = ::GetTickCount();
    while (KilnTest::ControlText(text) != reason && ::GetTickCount() - start < 30000)
        ::Sleep(50);
    EXPECT_EQ(KilnTest::ControlText(text), reason);
    EXPECT_EQ(ExitCodeOf(process, 1000), -1);  // still waiting for the player
    EXPECT_EQ(Snapshot(game_.Path()), before);
    KilnTest::Click(window, 100);  // 閉じる
    EXPECT_EQ(ExitCodeOf(process, 10000), 1);
}

TEST_F(PatchProgramTest, AModifiedOldFileOrAnotherVersionIsRefusedUntouched)
{
    struct Case {
        const char* name;
        const char* bytes;
    };
    const Case cases[] = {
        {"removed.txt", "edited by the player"},
        {"System.ini", "[Game]\r\nVersion=0.99\r\n"},
    };
    for (const Case& c : cases) {
        TestSupport::CopyFolder(old_.Path(), game_.Path());
        game_.Write(c.name, c.bytes);
        const auto before = Snapshot(game_.Path());
        EXPECT_EQ(RunPatch(TargetSwitch(), work_.Path()), 2) << c.name;
        EXPECT_EQ(Snapshot(game_.Path()), before) << c.name;
    }
}

TEST_F(PatchProgramTest, KilledAtAnyChangeTheNextRunEndsAtTheNewVersion)
{
    const auto expected = Snapshot(next_.Path());
    int kills = 0;
    for (int before = 0; before < 100; ++before) {
        TestSupport::CopyFolder(old_.Path(), game_.Path());
        ::SetEnvironmentVariableW(L"KILN_PATCH_STOP_BEFORE", std::to_wstring(before).c_str());
        const int stopped = RunPatch(TargetSwitch(), work_.Path());
        ::SetEnvironmentVariableW(L"KILN_PATCH_STOP_BEFORE", nullptr);
        if (stopped == 0)
            break;  // the run makes fewer changes: every point was covered
        ASSERT_EQ(stopped, 99) << "before change " << before;
        ++kills;
        EXPECT_EQ(RunPatch(TargetSwitch(), work_.Path()), 0) << "killed before change " << before;
        EXPECT_EQ(Snapshot(game_.Path()), expected) << "killed before change " << before;
    }
    EXPECT_GE(kills, 20);
}

// Wine has no user account control, but the files are real: a game under Program Files whose
// launcher's System.ini writes went to the virtual store gets that copy merged too, with the
// key the launcher sealed there and the new version's own change.
TEST_F(PatchProgramTest, AVirtualisedSystemIniIsMergedToo)
{
    next_.Write("System.ini", "[Game]\r\nTitle=new\r\nVersion=1.01\r\n");
    ASSERT_EQ(KilnCli::TestSupport::RunKiln({"patch", "build", old_.Path().u8string(), next_.Path().u8string(),
                                             Program(), "--stub", KILN_PATCH_STUB, "--level", "3"})
                  .code,
              0);
    wchar_t programFiles[MAX_PATH] = {};
    wchar_t localAppData[MAX_PATH] = {};
    ASSERT_TRUE(SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, programFiles)));
    ASSERT_TRUE(SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, localAppData)));
    struct RemovedAtEnd {
        fs::path path;
        ~RemovedAtEnd()
        {
            std::error_code code;
            fs::remove_all(path, code);
        }
    };
    const RemovedAtEnd game{fs::path(programFiles) / ("kiln_e2e_" + std::to_string(::GetCurrentProcessId()))};
    const RemovedAtEnd store{fs::path(localAppData) / L"VirtualStore" / game.path.relative_path()};
    TestSupport::CopyFolder(old_.Path(), game.path);
    fs::create_directories(store.path);
    {
        std::ofstream out(store.path / "System.ini", std::ios::binary);
        out << "[Game]\r\nVersion=1.00\r\n[Twitter]\r\nAPIAccessKey=SEALED\r\n";
    }
    EXPECT_EQ(RunPatch(L"--quiet --target \"" + game.path.wstring() + L"\"", work_.Path()), 0);
    EXPECT_EQ(Snapshot(game.path), Snapshot(next_.Path()));
    EXPECT_EQ(TestSupport::ReadFile(store.path / "System.ini"),
              "[Game]\r\nTitle=new\r\nVersion=1.01\r\n[Twitter]\r\nAPIAccessKey=SEALED\r\n");
    EXPECT_EQ(Snapshot(store.path).size(), 1u);
}

}  // namespace

namespace {

// Run from a console or a script: the usage for --help, and with --quiet the reason for a
// failure on standard error, as the program's streams carry them.
TEST_F(PatchProgramTest, RunFromAScriptItPrintsItsUsageAndWhyItFailed)
{
    struct Case {
        std::wstring arguments;
        int code;
        std::string out;     // the start of what it prints
        std::string err;
    };
    TestSupport::CopyFolder(old_.Path(), game_.Path());
    game_.Write("removed.txt", "edited by the player");
    const Case cases[] = {
        {L"--help", 0, "usage: PATCH.exe [--quiet] [--target GAMEFOLDER]\n", ""},
        {L"--quiet --bogus", 1, "", "patch: unknown arguments\nusage: PATCH.exe"},
        {TargetSwitch(), 2, "", "patch: 'removed.txt' is not the file this patch expects\n"},
        {L"--quiet", 1, "", "patch: no game folder: name it with --target GAMEFOLDER\n"},
    };
    for (const Case& c : cases) {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        const fs::path outPath = work_.Path() / "out.txt";
        const fs::path errPath = work_.Path() / "err.txt";
        Kiln::UniqueFileHandle out(::CreateFileW(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                                 CREATE_ALWAYS, 0, nullptr));
        Kiln::UniqueFileHandle err(::CreateFileW(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                                 CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(out && err);
        std::wstring command = L"\"" + fs::u8path(Program()).wstring() + L"\" " + c.arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = out.Get();
        startup.hStdError = err.Get();
        PROCESS_INFORMATION info{};
        ASSERT_TRUE(::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                     work_.Path().wstring().c_str(), &startup, &info));
        const Kiln::UniqueHandle thread(info.hThread);
        const Kiln::UniqueHandle process(info.hProcess);
        const EndedAtExit ended{process};
        EXPECT_EQ(ExitCodeOf(process), c.code) << fs::path(c.arguments).u8string();
        out.Reset();
        err.Reset();
        const std::string printed = TestSupport::ReadFile(outPath);
        const std::string reason = TestSupport::ReadFile(errPath);
        EXPECT_EQ(printed.substr(0, c.out.size()), c.out) << printed;
        EXPECT_EQ(printed.empty(), c.out.empty()) << printed;
        EXPECT_EQ(reason.substr(0, c.err.size()), c.err) << reason;
        EXPECT_EQ(reason.empty(), c.err.empty()) << reason;
    }
}

}  // namespace
