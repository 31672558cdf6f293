// The settings store against real System.ini and Game.ini files under Wine.
#include "launcher/settings/settings_store.h"

#include <gtest/gtest.h>

#include "launcher/settings/launcher_switches.h"
#include "tests/support/game_folder.h"
#include "tests/support/ini_text.h"

namespace Launcher {
namespace {

using Lines = std::vector<std::string>;

// A game folder per test (and per case), so that no cached profile of another test is read.
class SettingsStoreTest : public ::testing::Test {
protected:
    KilnTest::GameFolder Folder(const std::string& suffix = "")
    {
        return KilnTest::GameFolder(std::string("settings_") +
                                    ::testing::UnitTest::GetInstance()->current_test_info()->name() + suffix);
    }

    // The paths joined as the launcher joins them, with the doubled backslash at the seam.
    static std::string SystemIni(const KilnTest::GameFolder& folder) { return folder.Path() + "\\System.ini"; }
    static std::string GameIni(const KilnTest::GameFolder& folder) { return folder.Path() + "\\Game.ini"; }

    static Lines Section(const KilnTest::GameFolder& folder, const std::string& name)
    {
        return KilnTest::IniSectionLines(folder.Read("Game.ini"), name);
    }

    // Player 1's built-in assignments: joystick 1, stick directions 0x00-0x03, buttons 0x10-0x1B.
    static Lines BuiltInKeyConfig1()
    {
        return {"UP=1,0x00",    "DOWN=1,0x01",   "LEFT=1,0x02",   "RIGHT=1,0x03", "BTN1=1,0x10",  "BTN2=1,0x11",
                "BTN3=1,0x12",  "BTN4=1,0x13",   "BTN5=1,0x14",   "BTN6=1,0x15",  "BTN7=1,0x16",  "BTN8=1,0x17",
                "BTN9=1,0x18",  "BTN10=1,0x19",  "BTN11=1,0x1A",  "BTN12=1,0x1B"};
    }
};

TEST_F(SettingsStoreTest, MissingGameIniReadsDefaultsAndSaveCreatesIt)
{
    const auto folder = Folder();
    const GeneralSettings read = ReadGeneralSettings(GameIni(folder));
    EXPECT_FALSE(read.fullScreen);
    EXPECT_TRUE(read.showMenu);
    EXPECT_FALSE(read.showFPS);
    EXPECT_EQ(read.maxVRAMCacheSize, 0);
    EXPECT_EQ(read.maxFileCacheSize, 256);
    EXPECT_EQ(read.screenSize, 0);
    EXPECT_EQ(ReadKeyAssignment(GameIni(folder), 2, 4), "2,0x10");
    ASSERT_FALSE(folder.Exists("Game.ini"));

    // Neither page opened and no System.ini: player 1 gets the built-in assignments only.
    SaveGameIni(SystemIni(folder), GameIni(folder), nullptr, nullptr);
    ASSERT_TRUE(folder.Exists("Game.ini"));
    const std::string text = folder.Read("Game.ini");
    EXPECT_FALSE(KilnTest::IniHasSection(text, "General"));
    EXPECT_EQ(Section(folder, "KeyConfig1"), BuiltInKeyConfig1());
    EXPECT_FALSE(KilnTest::IniHasSection(text, "KeyConfig2"));
    EXPECT_FALSE(folder.Exists("System.ini"));
}

TEST_F(SettingsStoreTest, GeneralIsWrittenOnlyAfterTheGraphicsPageLoadedIt)
{
    const auto folder = Folder();
    folder.Write("Game.ini", "[General]\r\nFullScreen=YES\r\nMaxVRAMCacheSize=1024\r\nodd line\r\n");
    SaveGameIni(SystemIni(folder), GameIni(folder), nullptr, nullptr);
    // untouched: no value rewritten, no key added (the profile functions may tidy blanks)
    EXPECT_EQ(Section(folder, "General"), (Lines{"FullScreen=YES", "MaxVRAMCacheSize=1024", "odd line"}));

    GeneralSettings general = ReadGeneralSettings(GameIni(folder));
    EXPECT_TRUE(general.fullScreen);
    EXPECT_EQ(general.maxVRAMCacheSize, 256);
    general.showFPS = true;
    general.maxFileCacheSize = 512;
    general.screenSize = 4;
    SaveGameIni(SystemIni(folder), GameIni(folder), &general, nullptr);
    EXPECT_EQ(Section(folder, "General"),
              (Lines{"FullScreen=Yes", "MaxVRAMCacheSize=256", "odd line", "ShowMenu=Yes", "ShowFPS=Yes",
                     "MaxFileCacheSize=512", "ScreenSize=4"}));
}

TEST_F(SettingsStoreTest, GeneralValuesReadFromTheFile)
{
    const auto folder = Folder();
    folder.Write("Game.ini",
                 "[General]\r\nFullScreen=YES\r\nShowMenu=\r\nShowFPS=yes foo\r\nMaxVRAMCacheSize=512\r\n"
                 "MaxFileCacheSize=\r\nScreenSize=3x\r\n");
    const GeneralSettings read = ReadGeneralSettings(GameIni(folder));
    EXPECT_TRUE(read.fullScreen);
    EXPECT_TRUE(read.showMenu);  // empty: the default
    EXPECT_FALSE(read.showFPS);
    EXPECT_EQ(read.maxVRAMCacheSize, 512);
    EXPECT_EQ(read.maxFileCacheSize, 256);  // empty: the default
    EXPECT_EQ(read.screenSize, 3);
}

TEST_F(SettingsStoreTest, WithoutKeyPageKeyConfig1IsCompletedFromSystemIni)
{
    const auto folder = Folder();
    folder.Write("System.ini",
                 "[KeyConfig1]\r\nUP=0,0xC8\r\nDOWN=abc\r\nLEFT=\r\nRIGHT=2;1f more\r\nBTN1=0,0x2C\r\nBTN3=1,\r\n"
                 "[KeyConfig2]\r\nUP=0,0x01\r\n");
    folder.Write("Game.ini",
                 "[KeyConfig1]\r\nUP=0,0x11\r\nDOWN=\r\nBTN2=xyz\r\nBTN12=3,0x05\r\n[KeyConfig2]\r\nUP=junk\r\n");
    SaveGameIni(SystemIni(folder), GameIni(folder), nullptr, nullptr);

    // Game.ini's existing keys stay where they were (UP, DOWN, BTN2, BTN12); the missing ones
    // follow in list order.
    const Lines inFileOrder = {
        "UP=0,0x11",        // kept from Game.ini
        "DOWN=1,0x01",      // empty in Game.ini; System.ini's "abc" gave way to the default
        "BTN2=xyz",         // an existing non-empty value is kept, readable or not
        "BTN12=3,0x05",     // kept
        "LEFT=1,0x02",      // empty in System.ini: the default
        "RIGHT=2;1f more",  // System.ini's loose but readable text, as written
        "BTN1=0,0x2C",      // from System.ini
        "BTN3=1,0x12",      // "1," is unreadable: the default
        "BTN4=1,0x13", "BTN5=1,0x14", "BTN6=1,0x15", "BTN7=1,0x16", "BTN8=1,0x17",
        "BTN9=1,0x18", "BTN10=1,0x19", "BTN11=1,0x1A"};
    EXPECT_EQ(Section(folder, "KeyConfig1"), inFileOrder);
    // other players are never completed
    EXPECT_EQ(Section(folder, "KeyConfig2"), Lines{"UP=junk"});
    EXPECT_FALSE(KilnTest::IniHasSection(folder.Read("Game.ini"), "KeyConfig3"));
}

TEST_F(SettingsStoreTest, KeyPageValuesAreWrittenForKnownBoxesOnly)
{
    const auto folder = Folder();
    folder.Write("System.ini", "[KeyConfig1]\r\nDOWN=0,0xD0\r\n");
    folder.Write("Game.ini", "[KeyConfig3]\r\nUP=3,0x00\r\n");
    KeyValues values;
    values[0][4] = "0,0x2C";
    values[0][0] = "1,0x00";
    values[1][6] = "2,0x12";
    SaveGameIni(SystemIni(folder), GameIni(folder), nullptr, &values);
    EXPECT_EQ(Section(folder, "KeyConfig1"), (Lines{"UP=1,0x00", "BTN1=0,0x2C"}));
    EXPECT_EQ(Section(folder, "KeyConfig2"), Lines{"BTN3=2,0x12"});
    EXPECT_EQ(Section(folder, "KeyConfig3"), Lines{"UP=3,0x00"});
    EXPECT_FALSE(KilnTest::IniHasSection(folder.Read("Game.ini"), "KeyConfig4"));
}

TEST_F(SettingsStoreTest, KeyAssignmentsFallBackToTheBuiltInOnes)
{
    const auto folder = Folder();
    folder.Write("System.ini", "[KeyConfig3]\r\nUP=abc\r\nDOWN=\r\nLEFT=0,0xCB\r\nRIGHT=  4 , 1b\r\n");
    EXPECT_EQ(ReadKeyAssignment(SystemIni(folder), 3, 0), "3,0x00");
    EXPECT_EQ(ReadKeyAssignment(SystemIni(folder), 3, 1), "3,0x01");
    EXPECT_EQ(ReadKeyAssignment(SystemIni(folder), 3, 2), "0,0xCB");
    EXPECT_EQ(ReadKeyAssignment(SystemIni(folder), 3, 3), "4 , 1b");  // the profile functions trim the ends
    EXPECT_EQ(ReadKeyAssignment(SystemIni(folder), 3, 15), "3,0x1B");
}

TEST_F(SettingsStoreTest, LauncherConfigurationReadsTheUpdaterAndBanner)
{
    const auto folder = Folder();
    folder.Write("System.ini",
                 "[Game]\r\nVersion=1.05\r\n[Launcher]\r\nBannerURL=http://example.jp/バナー\r\n"
                 "[Updater]\r\nUpdateInfoFile=update.txt\r\nPatchFilePrefix=patch_%1%.exe\r\n"
                 "BaseURL1=http://a.example/\r\nBaseURL2=http://b.example/\r\nBaseURL4=http://d.example/\r\n");
    LauncherConfiguration held;
    LoadLauncherConfiguration(SystemIni(folder), held);
    EXPECT_EQ(held.currentVersion, "1.05");
    EXPECT_EQ(held.bannerURL, "http://example.jp/バナー");
    EXPECT_EQ(held.updateInfoFile, "update.txt");
    EXPECT_EQ(held.patchFilePrefix, "patch_%1%.exe");
    // the missing third key ends the list
    EXPECT_EQ(held.serverList, (Lines{"http://a.example/", "http://b.example/"}));

    // read again (after a patch): nothing doubles
    LoadLauncherConfiguration(SystemIni(folder), held);
    EXPECT_EQ(held.serverList, (Lines{"http://a.example/", "http://b.example/"}));
}

TEST_F(SettingsStoreTest, ServerListEndsAtEndOrAnEmptyValue)
{
    const struct {
        const char* section;
        Lines servers;
    } cases[] = {
        {"BaseURL1=end\r\nBaseURL2=http://b/\r\n", {}},
        {"BaseURL1=http://a/\r\n", {"http://a/"}},
        {"BaseURL1=http://a/\r\nBaseURL2=\r\nBaseURL3=http://c/\r\n", {"http://a/"}},
        {"BaseURL1=http://a/\r\nBaseURL2=END\r\nBaseURL3=end\r\n", {"http://a/", "END"}},
        {"", {}},
    };
    int n = 0;
    for (const auto& c : cases) {
        const auto folder = Folder(std::to_string(n++));
        folder.Write("System.ini", std::string("[Updater]\r\n") + c.section);
        LauncherConfiguration held;
        LoadLauncherConfiguration(SystemIni(folder), held);
        EXPECT_EQ(held.serverList, c.servers) << c.section;
        EXPECT_EQ(held.currentVersion, "") << c.section;  // the launcher reads no default version
    }
}

TEST_F(SettingsStoreTest, NumberedListsStopAfter256)
{
    const auto folder = Folder();
    std::string section = "[Launcher]\r\n";
    for (int number = 1; number <= 300; ++number)
        section += "InformationURL" + std::to_string(number) + "=http://i/" + std::to_string(number) + "\r\n";
    folder.Write("System.ini", section);
    const Lines addresses = ReadInformationURLs(SystemIni(folder));
    ASSERT_EQ(addresses.size(), 256u);
    EXPECT_EQ(addresses.front(), "http://i/1");
    EXPECT_EQ(addresses.back(), "http://i/256");
}

TEST_F(SettingsStoreTest, PictureNamesAndPlainValues)
{
    const auto folder = Folder();
    folder.Write("System.ini",
                 "[Launcher]\r\nTopImage=画像\\top.png\r\nBannerImage=banner.png\r\nOfflinePage=offline.html\r\n");
    const PictureNames pictures = ReadPictureNames(SystemIni(folder));
    EXPECT_EQ(pictures.topImage, "画像\\top.png");
    EXPECT_EQ(pictures.bannerImage, "banner.png");
    EXPECT_EQ(ReadProfileValue(SystemIni(folder), Keys::kOfflinePage), "offline.html");
    EXPECT_EQ(ReadProfileValue(SystemIni(folder), Keys::kAPIAccessKey), "");
}

TEST_F(SettingsStoreTest, LauncherSwitchesFollowTheYesRule)
{
    const struct {
        const char* value;
        bool on;
    } cases[] = {{"YES", true}, {"yes", true}, {"Yes", true}, {"yes foo", false}, {"no", false}, {"", false},
                 {"ｙｅｓ", false}};
    int n = 0;
    for (const auto& c : cases) {
        const auto folder = Folder(std::to_string(n++));
        folder.Write("System.ini", std::string("[Launcher]\r\nEnableTinyMode=") + c.value + "\r\nEnableTwitter=" +
                                       c.value + "\r\nEnableInformation=" + c.value +
                                       "\r\nEnableAutoPatch=" + c.value + "\r\n");
        const LauncherSwitches switches = LoadLauncherSwitches(SystemIni(folder));
        EXPECT_EQ(switches.enableTinyMode, c.on) << c.value;
        EXPECT_EQ(switches.enableTwitter, c.on) << c.value;
        EXPECT_EQ(switches.enableInformation, c.on) << c.value;
        EXPECT_EQ(switches.enableAutoPatch, c.on) << c.value;
    }
}

TEST_F(SettingsStoreTest, PlayerNumIsReadLowerCasedWithOneAsDefault)
{
    const struct {
        const char* section;
        const char* playerNum;
    } cases[] = {{"PlayerNum=3\r\n", "3"}, {"PlayerNum=5\r\n", "5"}, {"PlayerNum=\r\n", ""},
                 {"", "1"},                  {"PlayerNum=Four\r\n", "four"}};
    int n = 0;
    for (const auto& c : cases) {
        const auto folder = Folder(std::to_string(n++));
        folder.Write("System.ini", std::string("[Launcher]\r\n") + c.section);
        EXPECT_EQ(LoadLauncherSwitches(SystemIni(folder)).playerNum, c.playerNum) << c.section;
    }
}

}  // namespace
}  // namespace Launcher
