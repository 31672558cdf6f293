// The program file as players get it, and a Windows whose system locale is not Japanese.
#include <gtest/gtest.h>

#include <windows.h>

#include <psapi.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "kiln/base/scoped_win.h"
#include "kiln/base/wide_text.h"
#include "kiln/core/image_writers.h"
#include "resources/resource.h"
#include "tests/support/game_folder.h"
#include "tests/support/ui_driver.h"

namespace {

using KilnTest::GameFolder;
using KilnTest::Process;

std::wstring WideText(HWND window)
{
    wchar_t text[256] = {};
    ::GetWindowTextW(window, text, 256);
    return text;
}

// A Windows program started in a Wine process of its own whose system locale is C.UTF-8
// (ANSI code page 1252). Wine takes the locale from the Unix environment that starts it, and
// the programs a Windows process starts keep that process's locale, so the program goes
// through the Unix `env`.
class ForeignLocaleProcess {
public:
    explicit ForeignLocaleProcess(const std::string& program)
    {
        char loader[MAX_PATH] = "/usr/lib/wine/wine64";
        ::GetEnvironmentVariableA("WINELOADER", loader, MAX_PATH);
        std::string command = std::string("/usr/bin/env LANG=C.UTF-8 LC_ALL=C.UTF-8 ") + loader + " \"" + program + "\"";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
            return;
        ::CloseHandle(info.hThread);
        ::CloseHandle(info.hProcess);
        // The Windows process it becomes, found by its program file.
        const std::wstring wanted = Kiln::WideFromShiftJis(program);
        for (int attempt = 0; attempt < 300 && !process_; ++attempt) {
            ::Sleep(50);
            DWORD ids[1024] = {};
            DWORD bytes = 0;
            ::EnumProcesses(ids, sizeof ids, &bytes);
            for (DWORD i = 0; i < bytes / sizeof(DWORD) && !process_; ++i) {
                Kiln::UniqueHandle process(::OpenProcess(
                    SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE, FALSE, ids[i]));
                wchar_t path[MAX_PATH] = {};
                DWORD length = MAX_PATH;
                if (process && ::QueryFullProcessImageNameW(process.Get(), 0, path, &length) &&
                    ::lstrcmpiW(path, wanted.c_str()) == 0) {
                    process_ = std::move(process);
                    id_ = ids[i];
                }
            }
        }
    }
    ~ForeignLocaleProcess()
    {
        if (process_ && ::WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT) {
            ::TerminateProcess(process_.Get(), 99);
            ::WaitForSingleObject(process_.Get(), 5000);
        }
    }
    ForeignLocaleProcess(const ForeignLocaleProcess&) = delete;
    ForeignLocaleProcess& operator=(const ForeignLocaleProcess&) = delete;

    DWORD Id() const { return id_; }
    long WaitForExit(DWORD timeoutMs = 15000)
    {
        DWORD code = 0;
        if (!process_ || ::WaitForSingleObject(process_.Get(), timeoutMs) != WAIT_OBJECT_0 ||
            !::GetExitCodeProcess(process_.Get(), &code))
            return -1;
        return static_cast<long>(code);
    }

private:
    Kiln::UniqueHandle process_;
    DWORD id_ = 0;
};

// The colour a window shows at a client point, once it has painted (waits up to 5 s).
COLORREF PixelWhenPainted(HWND window, int x, int y, COLORREF expected)
{
    COLORREF seen = CLR_INVALID;
    for (int attempt = 0; attempt < 100 && seen != expected; ++attempt) {
        if (attempt)
            ::Sleep(50);
        HDC dc = ::GetDC(window);
        seen = ::GetPixel(dc, x, y);
        ::ReleaseDC(window, dc);
    }
    return seen;
}

TEST(ShippedProgramTest, LargeAddressAwareWithoutAProcessManifest)
{
    const std::string path = KilnTest::BinDirectory() + "Launcher.exe";
    const std::string bytes = KilnTest::ReadFileText(path);
    ASSERT_GT(bytes.size(), sizeof(IMAGE_DOS_HEADER));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes.data());
    ASSERT_EQ(dos->e_magic, IMAGE_DOS_SIGNATURE);
    ASSERT_LT(static_cast<size_t>(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS), bytes.size());
    const auto* file = reinterpret_cast<const IMAGE_FILE_HEADER*>(bytes.data() + dos->e_lfanew + sizeof(DWORD));
    EXPECT_NE(file->Characteristics & IMAGE_FILE_LARGE_ADDRESS_AWARE, 0);

    // Windows reads a Launcher.exe.manifest beside the program only when it carries none.
    Kiln::UniqueModule image(::LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(image);
    EXPECT_EQ(::FindResourceA(image.Get(), CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST),
              nullptr);
}

// The manifest start-up activates for the window binds version 6 of the common controls.
// (Under Wine the launcher itself keeps the system's controls, which Wine's DirectInput loads
// before start-up runs; Windows loads version 6 beside them.)
TEST(ShippedProgramTest, OwnManifestBindsCommonControls6)
{
    const std::wstring program = Kiln::WideFromShiftJis(KilnTest::BinDirectory() + "Launcher.exe");
    ASSERT_EQ(::GetModuleHandleW(L"comctl32.dll"), nullptr) << "this test must load the controls itself";
    ACTCTXW request = {};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = program.c_str();
    request.lpResourceName = MAKEINTRESOURCEW(IDR_COMMON_CONTROLS);
    HANDLE context = ::CreateActCtxW(&request);
    ASSERT_NE(context, INVALID_HANDLE_VALUE) << ::GetLastError();
    ULONG_PTR cookie = 0;
    ASSERT_TRUE(::ActivateActCtx(context, &cookie));
    HMODULE controls = ::LoadLibraryW(L"comctl32.dll");
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(controls, path, MAX_PATH);
    ::DeactivateActCtx(0, cookie);
    ::ReleaseActCtx(context);
    std::wstring lower = path;
    ::CharLowerW(lower.data());
    EXPECT_NE(lower.find(L"\\winsxs\\"), std::wstring::npos);
    EXPECT_NE(lower.find(L"common-controls_6595b64144ccf1df_6."), std::wstring::npos);
}

// A game folder whose name holds 表 (its second byte is a backslash) under a system locale
// that cannot write it: with the maker's Launcher.exe.manifest the launcher runs in code page
// 932 all the same.
class ForeignLocaleTest : public ::testing::Test {
protected:
    ForeignLocaleTest() : game_("表示テスト")
    {
        game_.AddLauncher();
        game_.AddRecordingEngines();
        game_.Write("System.ini", "[Game]\r\nTitle=サンプルゲーム\r\n[Launcher]\r\nTopImage=top.bmp\r\n");
        // the top picture in one colour
        std::vector<uint8_t> row;
        for (int x = 0; x < 288; ++x)
            row.insert(row.end(), {200, 30, 60});
        const std::vector<const uint8_t*> rows(380, row.data());
        EXPECT_TRUE(Kiln::ImageWriters::WriteBMP(288, 380, rows.data(), game_.PathOf("top.bmp").c_str()));
    }

    GameFolder game_;
};

TEST_F(ForeignLocaleTest, OptInManifestKeepsTextsPicturesAndSettingsJapanese)
{
    // Under the Japanese locale: Game.ini as every player's launcher writes it.
    {
        Process launcher(game_.PathOf("Launcher.exe"), "");
        HWND window = KilnTest::WaitForDialog(launcher.Id(), "サンプルゲーム");
        ASSERT_NE(window, nullptr);
        KilnTest::Click(window, IDCANCEL);
        ASSERT_EQ(launcher.WaitForExit(), 0);
    }
    const std::string japaneseGameIni = game_.Read("Game.ini");
    ASSERT_NE(japaneseGameIni, "");
    ::DeleteFileA(game_.PathOf("Game.ini").c_str());

    // Without the manifest the folder cannot even be named in code page 1252.
    {
        ForeignLocaleProcess launcher(game_.PathOf("Launcher.exe"));
        ASSERT_NE(launcher.Id(), 0u);
        HWND window = KilnTest::WaitForDialog(launcher.Id(), nullptr);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(WideText(window), L"MZKPlayer");
        KilnTest::PressCloseBox(window);
        EXPECT_EQ(launcher.WaitForExit(), 0);
    }
    ::DeleteFileA(game_.PathOf("Game.ini").c_str());

    game_.CopyFromBin("opt-in\\Launcher.exe.manifest", "Launcher.exe.manifest");
    ForeignLocaleProcess launcher(game_.PathOf("Launcher.exe"));
    ASSERT_NE(launcher.Id(), 0u);
    HWND window = KilnTest::WaitForDialog(launcher.Id(), nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(WideText(window), L"サンプルゲーム");
    EXPECT_EQ(WideText(::GetDlgItem(window, IDOK)), L"ゲーム起動");
    EXPECT_EQ(WideText(::GetDlgItem(window, IDCANCEL)), L"終了");
    EXPECT_EQ(PixelWhenPainted(window, 9 + 100, 10 + 200, RGB(200, 30, 60)), RGB(200, 30, 60));
    KilnTest::Click(window, IDCANCEL);
    EXPECT_EQ(launcher.WaitForExit(), 0);
    EXPECT_EQ(game_.Read("Game.ini"), japaneseGameIni);
}

}  // namespace
