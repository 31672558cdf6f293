// Game.ini as the real Launcher.exe leaves it after each way of closing its window.
#include <gtest/gtest.h>

#include <memory>

#include "resources/resource.h"
#include "tests/support/game_folder.h"
#include "tests/support/ini_text.h"
#include "tests/support/ui_driver.h"

namespace {

using KilnTest::GameFolder;
using KilnTest::Process;
using Lines = std::vector<std::string>;

constexpr char kTitle[] = "設定テスト";

struct CloseWay {
    const char* name;
    void (*close)(HWND window);
    bool startsGame;
};

const CloseWay kCloseWays[] = {
    {"quit", [](HWND window) { KilnTest::Click(window, IDCANCEL); }, false},
    {"close_box", [](HWND window) { KilnTest::PressCloseBox(window); }, false},
    {"escape", [](HWND window) { KilnTest::PressKey(window, VK_ESCAPE); }, false},
    {"enter", [](HWND window) { KilnTest::PressKey(window, VK_RETURN); }, true},
    {"start", [](HWND window) { KilnTest::Click(window, IDOK); }, true},
};

// Starts the launcher in the folder, closes its window one way and waits for it to end.
void RunAndClose(const GameFolder& game, const CloseWay& way)
{
    Process launcher(game.PathOf("Launcher.exe"), "");
    ASSERT_TRUE(launcher.Started());
    HWND window = KilnTest::WaitForDialog(launcher.Id(), kTitle);
    ASSERT_NE(window, nullptr) << way.name;
    way.close(window);
    EXPECT_EQ(launcher.WaitForExit(), 0) << way.name;
    EXPECT_EQ(!game.EngineRecord().empty(), way.startsGame) << way.name;
}

// The information page comes first in these games, so the graphics page is never opened and
// [General] stays as it was.
constexpr char kInformationFirst[] = "[Launcher]\r\nEnableInformation=yes\r\n";

GameFolder MakeGame(const std::string& name, const std::string& systemSections)
{
    GameFolder game("settings_e2e_" + name);
    game.AddLauncher();
    game.AddRecordingEngines();
    game.Write("System.ini", std::string("[Game]\r\nTitle=") + kTitle + "\r\n" + systemSections);
    return game;
}

TEST(SettingsE2ETest, EveryWayOfClosingCreatesGameIniWithoutGeneral)
{
    for (const CloseWay& way : kCloseWays) {
        const GameFolder game = MakeGame(std::string("new_") + way.name,
                                         std::string(kInformationFirst) + "[KeyConfig1]\r\nUP=0,0xC8\r\nDOWN=bad\r\n");
        RunAndClose(game, way);
        ASSERT_TRUE(game.Exists("Game.ini")) << way.name;
        const std::string text = game.Read("Game.ini");
        EXPECT_FALSE(KilnTest::IniHasSection(text, "General")) << way.name;
        EXPECT_EQ(KilnTest::IniSectionLines(text, "KeyConfig1"),
                  (Lines{"UP=0,0xC8", "DOWN=1,0x01", "LEFT=1,0x02", "RIGHT=1,0x03", "BTN1=1,0x10", "BTN2=1,0x11",
                         "BTN3=1,0x12", "BTN4=1,0x13", "BTN5=1,0x14", "BTN6=1,0x15", "BTN7=1,0x16", "BTN8=1,0x17",
                         "BTN9=1,0x18", "BTN10=1,0x19", "BTN11=1,0x1A", "BTN12=1,0x1B"}))
            << way.name;
    }
}

TEST(SettingsE2ETest, ClosingKeepsThePlayersGeneralAndKeys)
{
    for (const CloseWay& way : {kCloseWays[1], kCloseWays[3]}) {
        const GameFolder game = MakeGame(std::string("kept_") + way.name, kInformationFirst);
        game.Write("Game.ini",
                   "[General]\r\nFullScreen=YES\r\nScreenSize=3x\r\n[KeyConfig1]\r\nUP=0,0x11\r\nBTN1=abc\r\n"
                   "[KeyConfig2]\r\nUP=2,0x05\r\n");
        RunAndClose(game, way);
        const std::string text = game.Read("Game.ini");
        EXPECT_EQ(KilnTest::IniSectionLines(text, "General"), (Lines{"FullScreen=YES", "ScreenSize=3x"})) << way.name;
        const Lines keys = KilnTest::IniSectionLines(text, "KeyConfig1");
        ASSERT_EQ(keys.size(), 16u) << way.name;
        EXPECT_EQ(keys[0], "UP=0,0x11");
        EXPECT_EQ(keys[1], "BTN1=abc");
        EXPECT_EQ(keys[2], "DOWN=1,0x01");
        EXPECT_EQ(KilnTest::IniSectionLines(text, "KeyConfig2"), Lines{"UP=2,0x05"}) << way.name;
    }
}

TEST(SettingsE2ETest, TinyModeWindowSavesToo)
{
    const GameFolder game = MakeGame("tiny", "[Launcher]\r\nEnableInformation=yes\r\nEnableTinyMode=YES\r\nPlayerNum=5\r\n");
    RunAndClose(game, kCloseWays[0]);
    EXPECT_EQ(KilnTest::IniSectionLines(game.Read("Game.ini"), "KeyConfig1").size(), 16u);
}

}  // namespace
