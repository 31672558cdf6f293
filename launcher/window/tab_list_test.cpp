#include "launcher/window/tab_list.h"

#include <gtest/gtest.h>

#include "resources/resource.h"

namespace Launcher {
namespace {

std::vector<std::string> Captions(const LauncherSwitches& switches)
{
    std::vector<std::string> captions;
    for (const TabSpec& tab : BuildTabList(switches))
        captions.push_back(tab.caption);
    return captions;
}

TEST(TabListTest, DefaultWindowHasSettingsKeysAndHardware)
{
    const auto tabs = BuildTabList({});
    ASSERT_EQ(tabs.size(), 3u);
    EXPECT_EQ(tabs[0].caption, "設定");
    EXPECT_EQ(tabs[0].templateId, IDD_PAGE_GENERAL);
    EXPECT_EQ(tabs[1].caption, "キー設定");
    EXPECT_EQ(tabs[1].templateId, IDD_PAGE_KEYCONFIG);
    EXPECT_EQ(tabs[1].playerIndex, 0);
    EXPECT_EQ(tabs[2].caption, "ハード情報");
    EXPECT_EQ(tabs[2].templateId, IDD_PAGE_HARDWARE);
    EXPECT_EQ(tabs[2].playerIndex, kNoPlayer);
}

TEST(TabListTest, InformationComesFirstAndTwitterLast)
{
    LauncherSwitches switches;
    switches.enableInformation = true;
    switches.enableTwitter = true;
    const auto tabs = BuildTabList(switches);
    ASSERT_EQ(tabs.size(), 5u);
    EXPECT_EQ(tabs.front().caption, "情報");
    EXPECT_EQ(tabs.front().templateId, IDD_PAGE_INFORMATION);
    EXPECT_EQ(tabs.back().caption, "Twitter");
    EXPECT_EQ(tabs.back().templateId, IDD_PAGE_TWITTER);
}

TEST(TabListTest, PlayerNumGivesOneKeyPagePerPlayer)
{
    LauncherSwitches switches;
    switches.playerNum = "4";
    EXPECT_EQ(Captions(switches), (std::vector<std::string>{"設定", "キー設定(1P)", "キー設定(2P)",
                                                            "キー設定(3P)", "キー設定(4P)", "ハード情報"}));
    const auto tabs = BuildTabList(switches);
    for (int player = 0; player < 4; ++player)
        EXPECT_EQ(tabs[1 + player].playerIndex, player);

    switches.playerNum = "2";
    EXPECT_EQ(Captions(switches),
              (std::vector<std::string>{"設定", "キー設定(1P)", "キー設定(2P)", "ハード情報"}));
}

TEST(TabListTest, OtherPlayerNumsGiveASingleUnnumberedPage)
{
    for (const char* value : {"1", "5", "0", "", "02", "4 "}) {
        LauncherSwitches switches;
        switches.playerNum = value;
        EXPECT_EQ(Captions(switches), (std::vector<std::string>{"設定", "キー設定", "ハード情報"}))
            << '"' << value << '"';
    }
}

}  // namespace
}  // namespace Launcher
