// The patch program as makers ship it: built by the tool from two folders, run as its own
// process on a game folder, by Update.ini as the launcher starts it or with --target.
#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "kiln/base/scoped_win.h"
#include "tests/support/loopback_server.h"
#include "tests/support/patch_folders.h"
#include "tests/support/tool_harness.h"
#include "tests/support/ui_driver.h"
#include "tests/support/x_input.h"

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

// Windows' KnownDLLs, with the system libraries they import (mapped with them at start-up): the
// loader takes these from the system and never looks for them beside a program.
const std::set<std::string> kKnownDlls = {
    "advapi32", "bcryptprimitives", "cfgmgr32", "clbcatq",  "combase",  "comdlg32", "coml2",      "difxapi",
    "gdi32",    "gdi32full",        "gdiplus",  "imagehlp", "imm32",    "kernel32", "kernelbase", "msctf",
    "msvcp_win", "msvcrt",          "normaliz", "nsi",      "ntdll",    "ole32",    "oleaut32",   "psapi",
    "rpcrt4",   "sechost",          "setupapi", "shcore",   "shell32",  "shlwapi",  "ucrtbase",   "user32",
    "win32u",   "wldap32",          "ws2_32"};
// Imported by Wine's own user32, which on Windows imports neither: Wine looks for them before
// the program's first instruction, whatever the program does, and Windows never does.
const std::set<std::string> kWineOwnImports = {"version", "zlib1"};
// Libraries that programs have been made to load from their own folder: planted whether or not
// a run looks for them.
const char* const kOftenPlanted[] = {"comctl32", "uxtheme",  "dwmapi",  "propsys",     "cryptbase", "cryptsp",
                                     "dbghelp",  "userenv",  "profapi", "winmm",       "wtsapi32",  "msimg32",
                                     "riched20", "oleacc",   "secur32", "textshaping", "winhttp",   "wininet",
                                     "iphlpapi", "dnsapi",   "netapi32", "mpr",        "apphelp"};

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    return text;
}

// The paths of the libraries Wine's loader took, from a +loaddll trace, lower case. Wine names
// the file it found even where it took its own built-in library of that name instead.
std::vector<std::string> LoadedLibraries(const std::string& trace)
{
    std::vector<std::string> loaded;
    for (size_t at = trace.find("Loaded L\""); at != std::string::npos; at = trace.find("Loaded L\"", at + 1)) {
        const size_t start = at + 9;
        const size_t end = trace.find_first_of("\"\n", start);
        if (end == std::string::npos || trace[end] != '"')
            continue;
        std::string path;
        for (size_t i = start; i < end; ++i) {
            path += trace[i];
            if (trace[i] == '\\' && i + 1 < end && trace[i + 1] == '\\')
                ++i;  // the trace doubles each backslash
        }
        loaded.push_back(Lower(path));
    }
    return loaded;
}

// The base name of a library path ("c:\\x\\comctl32.dll" gives "comctl32"); empty for an .exe or
// a Wine driver.
std::string LibraryName(const std::string& path)
{
    const std::string file = path.substr(path.find_last_of('\\') + 1);
    if (file.size() < 5 || file.compare(file.size() - 4, 4, ".dll") != 0)
        return {};
    return file.substr(0, file.size() - 4);
}

// The libraries a program's import table names, lower case without ".dll".
std::vector<std::string> ImportedLibraries(const std::string& program)
{
    const HMODULE image = ::LoadLibraryExW(fs::u8path(program).wstring().c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!image)
        return {};
    // A module loaded as a resource is marked in its low bits.
    const auto* base = reinterpret_cast<const uint8_t*>(reinterpret_cast<uintptr_t>(image) & ~uintptr_t{3});
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    std::vector<std::string> names;
    for (auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
         directory.VirtualAddress != 0 && entry->Name != 0; ++entry)
        names.push_back(LibraryName("\\" + Lower(reinterpret_cast<const char*>(base + entry->Name))));
    ::FreeLibrary(image);
    return names;
}

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

    // Runs the patch program as the launcher does (in the working folder, with its window) in a
    // Wine process of its own, started from the Unix side with `variables` ("NAME='value' ...")
    // so that Wine's trace, which goes to the Unix standard error, lands in `trace`; its exit
    // code, or -1.
    int RunTraced(const std::string& variables, const std::string& trace) const
    {
        char loader[MAX_PATH] = "/usr/lib/wine/wine64";
        ::GetEnvironmentVariableA("WINELOADER", loader, MAX_PATH);
        const std::string folder = KilnTest::UnixPath(work_.Path().string());
        return KilnTest::RunUnixCommand("cd '" + folder + "' && " + variables + " /usr/bin/timeout 50 " + loader + " '" +
                                            KilnTest::UnixPath(Program()) + "' 2>'" + folder + "/" + trace + "'",
                                        60000);
    }

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

// Wine has no user account control, but the files are real: a game under Program Files, and
// the virtual store's copy of its System.ini, in which the launcher (running as the player,
// whose writes Windows redirected there) sealed its key. Both are removed at the end.
struct ProtectedGame {
    fs::path game;
    fs::path store;

    explicit ProtectedGame(const fs::path& release)
    {
        wchar_t programFiles[MAX_PATH] = {};
        wchar_t localAppData[MAX_PATH] = {};
        EXPECT_TRUE(SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, programFiles)));
        EXPECT_TRUE(SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, localAppData)));
        game = fs::path(programFiles) / ("kiln_e2e_" + std::to_string(::GetCurrentProcessId()));
        store = fs::path(localAppData) / L"VirtualStore" / game.relative_path();
        TestSupport::CopyFolder(release, game);
        fs::create_directories(store);
        std::ofstream out(store / "System.ini", std::ios::binary);
        out << "[Game]\r\nVersion=1.00\r\n[Twitter]\r\nAPIAccessKey=SEALED\r\n";
    }
    ~ProtectedGame()
    {
        std::error_code code;
        fs::remove_all(game, code);
        fs::remove_all(store, code);
    }
    ProtectedGame(const ProtectedGame&) = delete;
    ProtectedGame& operator=(const ProtectedGame&) = delete;

    std::wstring Target() const { return L"--target \"" + game.wstring() + L"\""; }
};

// The launcher's copy gets merged too, with the sealed key and the new version's own change.
TEST_F(PatchProgramTest, AVirtualisedSystemIniIsMergedToo)
{
    next_.Write("System.ini", "[Game]\r\nTitle=new\r\nVersion=1.01\r\n");
    ASSERT_EQ(KilnCli::TestSupport::RunKiln({"patch", "build", old_.Path().u8string(), next_.Path().u8string(),
                                             Program(), "--stub", KILN_PATCH_STUB, "--level", "3"})
                  .code,
              0);
    const ProtectedGame installed(old_.Path());
    EXPECT_EQ(RunPatch(L"--quiet " + installed.Target(), work_.Path()), 0);
    EXPECT_EQ(Snapshot(installed.game), Snapshot(next_.Path()));
    EXPECT_EQ(TestSupport::ReadFile(installed.store / "System.ini"),
              "[Game]\r\nTitle=new\r\nVersion=1.01\r\n[Twitter]\r\nAPIAccessKey=SEALED\r\n");
    EXPECT_EQ(Snapshot(installed.store).size(), 1u);
}

// The run that elevation starts changes the game folder alone: the virtual store is the
// player's to change, and so to point anywhere; the run that asked for elevation, as the
// player, merges it once the elevated one has succeeded.
TEST_F(PatchProgramTest, AnElevatedRunLeavesTheVirtualStoreToThePlayer)
{
    const ProtectedGame installed(old_.Path());
    const auto store = Snapshot(installed.store);
    EXPECT_EQ(RunPatch(L"--quiet --elevated " + installed.Target(), work_.Path()), 0);
    EXPECT_EQ(Snapshot(installed.game), Snapshot(next_.Path()));
    EXPECT_EQ(Snapshot(installed.store), store);
}

// A folder that refuses the patch program's writes (here its probe cannot be made) has it start
// itself again elevated; until that run ends, its program file stays where it is, so that no
// other program can be put in its place to be elevated instead. Elevated and still refused, the
// run says why and fails.
TEST_F(PatchProgramTest, ARestartElevatedKeepsItsProgramFileInPlace)
{
    game_.MakeFolder("kiln-patch.probe");
    const auto before = Snapshot(game_.Path());
    const Kiln::UniqueHandle process = StartPatch(L"--target \"" + game_.Path().wstring() + L"\"", work_.Path());
    ASSERT_TRUE(process);
    const EndedAtExit ended{process};
    HWND box = nullptr;
    for (const DWORD start = ::GetTickCount(); !box && ::GetTickCount() - start < 30000; ::Sleep(50))
        box = ::FindWindowW(L"#32770", L"パッチ");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(KilnTest::MessageBoxText(box).find("ファイルを書き換えられませんでした。"), 0u);
    const std::wstring program = fs::u8path(Program()).wstring();
    EXPECT_FALSE(::MoveFileW(program.c_str(), (program + L".moved").c_str()));
    EXPECT_EQ(ExitCodeOf(process, 0), -1);  // waiting for the elevated run
    KilnTest::Click(box, IDOK);
    EXPECT_EQ(ExitCodeOf(process, 10000), 1);
    EXPECT_EQ(Snapshot(game_.Path()), before);
}

// A link where the patch expects a folder may lead anywhere: the run refuses it, elevated or
// not, and neither the game nor what the link leads to changes. (Under Wine a link reads as a
// link only when it leads to a folder; the file system's unit tests place both kinds.)
TEST_F(PatchProgramTest, ALinkInTheGameFolderIsNeverFollowed)
{
    const char* const links[] = {
        "data",    // where a changed file lies
        "bgm",     // a folder the patch adds
        "legacy",  // a folder the patch empties and removes
    };
    for (const char* link : links) {
        TestSupport::CopyFolder(old_.Path(), game_.Path());
        const TempFolder outside("e2e_outside");
        if (fs::exists(old_.Path() / link))
            TestSupport::CopyFolder(old_.Path() / link, outside.Path());
        fs::remove_all(game_.Path() / link);
        const std::string placed = KilnTest::UnixPath((game_.Path() / link).string());
        ASSERT_EQ(KilnTest::RunUnixCommand("ln -s '" + KilnTest::UnixPath(outside.Path().string()) + "' '" + placed + "'"),
                  0);
        const auto gameBefore = Snapshot(game_.Path());
        const auto outsideBefore = Snapshot(outside.Path());
        // Refused (2), or failed where the run meets the link first while clearing what an
        // earlier run may have left (1).
        const int code = RunPatch(L"--quiet --elevated --target \"" + game_.Path().wstring() + L"\"", work_.Path());
        EXPECT_TRUE(code == 1 || code == 2) << link << ": " << code;
        EXPECT_EQ(Snapshot(outside.Path()), outsideBefore) << link;
        EXPECT_EQ(Snapshot(game_.Path()), gameBefore) << link;
        EXPECT_EQ(KilnTest::RunUnixCommand("rm '" + placed + "'"), 0);
    }
}

// Run as the launcher runs it, from a folder where whatever runs as the player may put files:
// a library planted there under the name of every library the run looks for that is no
// KnownDLL, and of those that programs have been made to load before, never loads, though the
// loader prefers such a file, as Windows does. The import table names KnownDLLs alone: the
// loader resolves it before any of the program's code runs.
TEST_F(PatchProgramTest, LibrariesPlantedBesideItNeverLoad)
{
    const std::vector<std::string> imported = ImportedLibraries(Program());
    EXPECT_FALSE(imported.empty());
    for (const std::string& name : imported)
        EXPECT_EQ(kKnownDlls.count(name), 1u) << name << " is imported";

    work_.Write("Update.ini", "[Update]\r\nTargetDirectory=" + game_.Path().string() + "\\\r\n");
    ASSERT_EQ(RunTraced("WINEDEBUG=-all,+loaddll", "clean.trace"), 0);
    const auto found = LoadedLibraries(TestSupport::ReadFile(work_.Path() / "clean.trace"));
    ASSERT_FALSE(found.empty()) << "no +loaddll trace";
    // Windows looks beside the program for every other name, and so Wine is told to.
    std::set<std::string> names(std::begin(kOftenPlanted), std::end(kOftenPlanted));
    for (const std::string& library : found) {
        const std::string name = LibraryName(library);
        if (!name.empty() && kKnownDlls.count(name) == 0 && kWineOwnImports.count(name) == 0)
            names.insert(name);
    }

    TestSupport::CopyFolder(old_.Path(), game_.Path());
    std::string preferred;
    for (const std::string& name : names) {
        fs::copy_file(fs::u8path(KILN_PLANTED_DLL), work_.Path() / (name + ".dll"));
        preferred += (preferred.empty() ? "" : ",") + name;
    }
    char overrides[1024] = {};
    ::GetEnvironmentVariableA("WINEDLLOVERRIDES", overrides, sizeof overrides);
    // No debugger either: a planted library that did load would crash the program, which
    // must then end rather than wait for someone to close Wine's crash window.
    EXPECT_EQ(RunTraced("WINEDEBUG=-all,+loaddll WINEDLLOVERRIDES='" + std::string(overrides) + ";" + preferred +
                            "=n,b;winedbg.exe=d'",
                        "planted.trace"),
              0);
    EXPECT_EQ(Snapshot(game_.Path()), Snapshot(next_.Path()));

    const auto loaded = LoadedLibraries(TestSupport::ReadFile(work_.Path() / "planted.trace"));
    EXPECT_GE(loaded.size(), found.size() / 2) << "no +loaddll trace";
    const std::string beside = Lower(work_.Path().filename().string()) + "\\";
    for (const std::string& library : loaded) {
        if (!LibraryName(library).empty()) {
            EXPECT_EQ(library.find(beside), std::string::npos) << library;
        }
    }
    for (const std::string& name : names)
        EXPECT_FALSE(fs::exists(work_.Path() / (name + ".dll.loaded"))) << name;
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
