// Start-up as a player sees it: the real Launcher.exe in a game folder of its own, the
// recording engine, real System.ini files and real windows.
#include <gtest/gtest.h>

#include <memory>

#include "resources/resource.h"
#include "tests/support/game_folder.h"
#include "tests/support/system_files.h"
#include "tests/support/ui_driver.h"

namespace {

using KilnTest::GameFolder;
using KilnTest::Process;

constexpr char kTitle[] = "テストゲーム";

class StartupTest : public ::testing::Test {
protected:
    StartupTest() : game_(FolderName()) {}

    static std::string FolderName()
    {
        return std::string("startup_") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    }

    // A game folder with the launcher, the three engines and a System.ini with these
    // [Launcher] lines.
    void MakeGame(const std::string& launcherSection = "")
    {
        game_.AddLauncher();
        game_.AddRecordingEngines();
        game_.Write("System.ini",
                    std::string("[Game]\r\nTitle=") + kTitle + "\r\n[Launcher]\r\n" + launcherSection);
    }

    std::unique_ptr<Process> Start(const std::string& arguments, const GameFolder* folder = nullptr,
                                   const std::string& program = "Launcher.exe")
    {
        auto process = std::make_unique<Process>((folder ? *folder : game_).PathOf(program), arguments);
        EXPECT_TRUE(process->Started());
        return process;
    }

    HWND WaitForMainWindow(const Process& process) { return KilnTest::WaitForDialog(process.Id(), kTitle); }

    // The engine record expected after a hand-off to `library` with `commandLine`.
    static std::string Record(const std::string& library, const std::string& commandLine)
    {
        return "library=" + library + "\ncommand=" + commandLine + "\nicon=1\n";
    }

    GameFolder game_;
};

TEST_F(StartupTest, EngineSwitchesHandOverWithTheUnchangedCommandLine)
{
    MakeGame();
    const struct {
        const char* arguments;
        const char* library;
    } cases[] = {
        {"-e", "Engine_Debug.dll"},
        {"--EngineDebug stage=2 x", "Engine_Debug.dll"},
        {"-D", "Engine_Test.dll"},
        {"--development  two  spaces", "Engine_Test.dll"},
        {"-r", "Engine.dll"},
        {"--RUN -e", "Engine.dll"},
    };
    for (const auto& c : cases) {
        ::DeleteFileA(game_.PathOf("engine-record.txt").c_str());
        auto launcher = Start(c.arguments);
        EXPECT_EQ(launcher->WaitForExit(), 0) << c.arguments;
        EXPECT_EQ(game_.EngineRecord(), Record(c.library, c.arguments));
    }
}

TEST_F(StartupTest, DirectRunYesStartsTheGameAtOnce)
{
    for (const char* value : {"yes", "Yes", "YES"}) {
        GameFolder game(FolderName() + value);
        game.AddLauncher();
        game.AddRecordingEngines();
        game.Write("System.ini", std::string("[Launcher]\r\nDirectRun=") + value + "\r\n");
        auto launcher = Start("-e2 glued", &game);
        EXPECT_EQ(launcher->WaitForExit(), 0) << value;
        // a switch glued to more text is no switch: DirectRun decides, the text goes on unchanged
        EXPECT_EQ(game.EngineRecord(), Record("Engine.dll", "-e2 glued")) << value;
    }
}

TEST_F(StartupTest, OtherDirectRunValuesShowTheWindow)
{
    for (const char* section : {"DirectRun=yes foo\r\n", "DirectRun=no\r\n", "DirectRun=\r\n", ""}) {
        GameFolder game(FolderName() + std::to_string(std::string(section).size()));
        game.AddLauncher();
        game.AddRecordingEngines();
        game.Write("System.ini", std::string("[Game]\r\nTitle=") + kTitle + "\r\n[Launcher]\r\n" + section);
        auto launcher = Start("", &game);
        HWND window = WaitForMainWindow(*launcher);
        ASSERT_NE(window, nullptr) << section;
        KilnTest::Click(window, IDCANCEL);
        EXPECT_EQ(launcher->WaitForExit(), 0);
        EXPECT_EQ(game.EngineRecord(), "");
    }
}

TEST_F(StartupTest, ConfigSwitchShowsTheWindowEvenWithDirectRun)
{
    MakeGame("DirectRun=yes\r\n");
    auto launcher = Start("-C");
    HWND window = WaitForMainWindow(*launcher);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(KilnTest::ItemText(window, IDOK), "ゲーム起動");
    EXPECT_EQ(KilnTest::ItemText(window, IDCANCEL), "終了");
    EXPECT_FALSE(KilnTest::ItemVisible(window, IDC_PATCH));
    KilnTest::Click(window, IDOK);
    EXPECT_EQ(launcher->WaitForExit(), 0);
    EXPECT_EQ(game_.EngineRecord(), Record("Engine.dll", "-C"));
}

TEST_F(StartupTest, PatchButtonIsShownWhenAutoPatchIsOn)
{
    MakeGame("EnableAutoPatch=Yes\r\n");
    auto launcher = Start("");
    HWND window = WaitForMainWindow(*launcher);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(KilnTest::ItemVisible(window, IDC_PATCH));
    EXPECT_EQ(KilnTest::ItemText(window, IDC_PATCH), "パッチ確認");
    KilnTest::PressCloseBox(window);
    EXPECT_EQ(launcher->WaitForExit(), 0);
}

TEST_F(StartupTest, StartButtonAndEnterStartTheGame)
{
    MakeGame();
    {
        auto launcher = Start("player args");
        HWND window = WaitForMainWindow(*launcher);
        ASSERT_NE(window, nullptr);
        KilnTest::Click(window, IDOK);
        EXPECT_EQ(launcher->WaitForExit(), 0);
        EXPECT_EQ(game_.EngineRecord(), Record("Engine.dll", "player args"));
    }
    ::DeleteFileA(game_.PathOf("engine-record.txt").c_str());
    {
        auto launcher = Start("");
        HWND window = WaitForMainWindow(*launcher);
        ASSERT_NE(window, nullptr);
        KilnTest::PressKey(window, VK_RETURN);
        EXPECT_EQ(launcher->WaitForExit(), 0);
        EXPECT_EQ(game_.EngineRecord(), Record("Engine.dll", ""));
    }
}

TEST_F(StartupTest, QuitCloseBoxAndEscapeEndWithoutTheGame)
{
    MakeGame();
    auto quit = [](HWND window) { KilnTest::Click(window, IDCANCEL); };
    auto closeBox = [](HWND window) { KilnTest::PressCloseBox(window); };
    auto escape = [](HWND window) { KilnTest::PressKey(window, VK_ESCAPE); };
    for (const auto& close : {+quit, +closeBox, +escape}) {
        auto launcher = Start("");
        HWND window = WaitForMainWindow(*launcher);
        ASSERT_NE(window, nullptr);
        close(window);
        EXPECT_EQ(launcher->WaitForExit(), 0);
        EXPECT_EQ(game_.EngineRecord(), "");
    }
}

TEST_F(StartupTest, MissingEngineEndsSilently)
{
    game_.AddLauncher();
    auto launcher = Start("-d");
    // a message box would hold the program open
    EXPECT_EQ(launcher->WaitForExit(), 0);
}

TEST_F(StartupTest, UnloadableEngineIsReportedWithItsPath)
{
    game_.AddLauncher();
    game_.Write("Engine.dll", "this is not a library");
    auto launcher = Start("-r");
    HWND box = KilnTest::WaitForDialog(launcher->Id(), "実行エラー");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(KilnTest::MessageBoxText(box),
              "[ " + game_.Path() + "\\Engine.dll ]が読み込めませんでした。\nパスを確認して再度実行してください。");
    KilnTest::DismissMessageBox(box);
    EXPECT_EQ(launcher->WaitForExit(), 0);
}

TEST_F(StartupTest, EngineWithoutRunEngineIsReported)
{
    game_.AddLauncher();
    game_.CopyFromBin("NoEntryEngine.dll", "Engine_Debug.dll");
    auto launcher = Start("-e");
    HWND box = KilnTest::WaitForDialog(launcher->Id(), "実行エラー");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(KilnTest::MessageBoxText(box),
              "実行エントリーが見つかりませんでした\nファイルが破損ている可能性があります。");
    KilnTest::DismissMessageBox(box);
    EXPECT_EQ(launcher->WaitForExit(), 0);
}

// A window of the test's own, so that "comes to the front" can be seen.
class ForegroundWindow {
public:
    ForegroundWindow()
        : window_(::CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                                    nullptr, nullptr))
    {
        ::SetForegroundWindow(window_);
    }
    ~ForegroundWindow() { ::DestroyWindow(window_); }
    HWND Get() const { return window_; }

private:
    HWND window_;
};

TEST_F(StartupTest, SecondCopyRaisesTheFirstAndEnds)
{
    MakeGame();
    auto first = Start("");
    HWND window = WaitForMainWindow(*first);
    ASSERT_NE(window, nullptr);
    ForegroundWindow other;
    ASSERT_EQ(::GetForegroundWindow(), other.Get());

    auto second = Start("-r");
    EXPECT_EQ(second->WaitForExit(), 1);
    EXPECT_EQ(::GetForegroundWindow(), window);

    // the same file name in another folder is the same program
    GameFolder elsewhere(FolderName() + "_elsewhere");
    elsewhere.AddLauncher();
    elsewhere.AddRecordingEngines();
    auto third = Start("-r", &elsewhere);
    EXPECT_EQ(third->WaitForExit(), 1);
    EXPECT_EQ(elsewhere.EngineRecord(), "");

    KilnTest::Click(window, IDCANCEL);
    EXPECT_EQ(first->WaitForExit(), 0);
    EXPECT_EQ(game_.EngineRecord(), "");
}

TEST_F(StartupTest, CopyUnderAnotherFileNameRuns)
{
    MakeGame();
    game_.AddLauncher("MyGame.exe");
    auto first = Start("");
    ASSERT_NE(WaitForMainWindow(*first), nullptr);
    auto renamed = Start("-r", nullptr, "MyGame.exe");
    EXPECT_EQ(renamed->WaitForExit(), 0);
    EXPECT_EQ(game_.EngineRecord(), Record("Engine.dll", "-r"));
    KilnTest::PressCloseBox(WaitForMainWindow(*first));
    EXPECT_EQ(first->WaitForExit(), 0);
}

TEST_F(StartupTest, MissingD3DXStopsWithDirectXError)
{
    MakeGame();
    for (const char* library : KilnTest::kFilesTestsSetAside) {
        KilnTest::SystemFileAside aside(library);
        ASSERT_TRUE(aside.Moved()) << library;
        auto launcher = Start("-r");
        HWND box = KilnTest::WaitForDialog(launcher->Id(), "DirectX error");
        ASSERT_NE(box, nullptr) << library;
        EXPECT_EQ(KilnTest::MessageBoxText(box),
                  "DirectX9 がインストールされていません。\r\n最新のDirectX9をインストールして再度実行してください。");
        KilnTest::DismissMessageBox(box);
        EXPECT_EQ(launcher->WaitForExit(), 1);
        EXPECT_EQ(game_.EngineRecord(), "");
    }
}

}  // namespace
