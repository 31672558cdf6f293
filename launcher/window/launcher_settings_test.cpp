// The controller's settings: what the pages set in it is what the save writes.
#include <gtest/gtest.h>

#include "kiln/core/kiln_help.h"
#include "launcher/window/launcher.h"
#include "tests/support/game_folder.h"
#include "tests/support/ini_text.h"

namespace Launcher {
namespace {

using Lines = std::vector<std::string>;

// A runtime whose program directory is a game folder: a module copied there is loaded and
// handed to the bootstrap, as the launcher hands over its own.
class LauncherSettingsTest : public ::testing::Test {
protected:
    LauncherSettingsTest()
        : folder_(std::string("launcher_settings_") + ::testing::UnitTest::GetInstance()->current_test_info()->name())
    {
        folder_.CopyFromBin("RecordEngine.dll", "Module.dll");
        module_ = ::LoadLibraryA(folder_.PathOf("Module.dll").c_str());
    }

    ~LauncherSettingsTest() override
    {
        launcher_.reset();
        help_.reset();
        ::FreeLibrary(module_);
    }

    CLauncher& Launcher()
    {
        if (!launcher_) {
            help_ = std::make_unique<Kiln::CKilnHelp>(module_);
            launcher_ = std::make_unique<CLauncher>([](int) -> DLGPROC { return nullptr; });
        }
        return *launcher_;
    }

    Lines Section(const std::string& name) const
    {
        return KilnTest::IniSectionLines(folder_.Read("Game.ini"), name);
    }

    KilnTest::GameFolder folder_;
    HMODULE module_ = nullptr;
    std::unique_ptr<Kiln::CKilnHelp> help_;
    std::unique_ptr<CLauncher> launcher_;
};

TEST_F(LauncherSettingsTest, NothingOpenedSavesOnlyTheFirstPlayersKeys)
{
    folder_.Write("System.ini", "[KeyConfig1]\r\nUP=0,0xC8\r\n");
    CLauncher& launcher = Launcher();
    EXPECT_FALSE(launcher.IsGeneralPageOpened());
    EXPECT_FALSE(launcher.IsKeyPageOpened());
    launcher.SaveSettings();
    EXPECT_FALSE(KilnTest::IniHasSection(folder_.Read("Game.ini"), "General"));
    const Lines keys = Section("KeyConfig1");
    ASSERT_EQ(keys.size(), 16u);
    EXPECT_EQ(keys[0], "UP=0,0xC8");
    EXPECT_EQ(keys[15], "BTN12=1,0x1B");
}

TEST_F(LauncherSettingsTest, OpenedGraphicsPageSavesTheHeldValues)
{
    folder_.Write("Game.ini", "[General]\r\nFullScreen=yes\r\nScreenSize=7\r\n");
    CLauncher& launcher = Launcher();
    launcher.LoadGeneralSettings();
    GeneralSettings general = launcher.GetGeneralSettings();
    EXPECT_TRUE(general.fullScreen);
    EXPECT_EQ(general.screenSize, 0);
    general.showMenu = false;
    general.maxVRAMCacheSize = 512;
    launcher.SetGeneralSettings(general);
    launcher.SetGeneralPageOpened();
    launcher.SaveSettings();
    EXPECT_EQ(Section("General"), (Lines{"FullScreen=Yes", "ScreenSize=0", "ShowMenu=No", "ShowFPS=No",
                                         "MaxVRAMCacheSize=512", "MaxFileCacheSize=256"}));
}

TEST_F(LauncherSettingsTest, OpenedKeyPageSavesItsBoxesInsteadOfCompleting)
{
    folder_.Write("Game.ini", "[KeyConfig1]\r\nBTN1=abc\r\n");
    CLauncher& launcher = Launcher();
    launcher.SetKeyPageOpened();
    launcher.SaveSettings();  // opened, but no box known yet: nothing to write
    EXPECT_EQ(Section("KeyConfig1"), Lines{"BTN1=abc"});

    const char* boxes[kButtonCount] = {"1,0x00", "1,0x01", "1,0x02", "1,0x03", "1,0x10", "1,0x11",
                                       "1,0x12", "1,0x13", "1,0x14", "1,0x15", "1,0x16", "1,0x17",
                                       "1,0x18", "1,0x19", "1,0x1A", "1,0x1B"};
    for (size_t button = 0; button < kButtonCount; ++button)
        launcher.SetKeyValue(0, button, boxes[button]);
    launcher.SetKeyValue(0, 4, "0,0x2C");
    launcher.SetKeyValue(3, 15, "0,0x1C");
    launcher.SetKeyValue(4, 0, "ignored");  // no fifth player
    launcher.SetKeyValue(0, 16, "ignored");
    EXPECT_EQ(launcher.GetKeyValue(0, 4), std::optional<std::string>("0,0x2C"));
    EXPECT_FALSE(launcher.GetKeyValue(1, 0));
    EXPECT_FALSE(launcher.GetKeyValue(-1, 0));
    launcher.SaveSettings();
    // BTN1 rewritten in place, the others added in list order
    EXPECT_EQ(Section("KeyConfig1"),
              (Lines{"BTN1=0,0x2C", "UP=1,0x00", "DOWN=1,0x01", "LEFT=1,0x02", "RIGHT=1,0x03", "BTN2=1,0x11",
                     "BTN3=1,0x12", "BTN4=1,0x13", "BTN5=1,0x14", "BTN6=1,0x15", "BTN7=1,0x16", "BTN8=1,0x17",
                     "BTN9=1,0x18", "BTN10=1,0x19", "BTN11=1,0x1A", "BTN12=1,0x1B"}));
    EXPECT_EQ(Section("KeyConfig4"), Lines{"BTN12=0,0x1C"});
    EXPECT_FALSE(KilnTest::IniHasSection(folder_.Read("Game.ini"), "KeyConfig2"));
}

TEST_F(LauncherSettingsTest, ConfigurationComesFromTheProgramDirectory)
{
    folder_.Write("System.ini", "[Game]\r\nVersion=2.0\r\n[Updater]\r\nBaseURL1=http://a/\r\n");
    CLauncher& launcher = Launcher();
    launcher.LoadLauncherConfiguration();
    EXPECT_EQ(launcher.GetConfiguration().currentVersion, "2.0");
    EXPECT_EQ(launcher.GetConfiguration().serverList, Lines{"http://a/"});

    // the patcher reloads after the patch program raised the version
    folder_.Write("System.ini", "[Game]\r\nVersion=2.1\r\n[Updater]\r\nBaseURL1=http://a/\r\nBaseURL2=http://b/\r\n");
    launcher.LoadLauncherConfiguration();
    EXPECT_EQ(launcher.GetConfiguration().currentVersion, "2.1");
    EXPECT_EQ(launcher.GetConfiguration().serverList, (Lines{"http://a/", "http://b/"}));
}

}  // namespace
}  // namespace Launcher
