#include "launcher/window/tab_list.h"

#include "resources/resource.h"

namespace Launcher {

std::vector<TabSpec> BuildTabList(const LauncherSwitches& switches)
{
    std::vector<TabSpec> tabs;
    if (switches.enableInformation)
        tabs.push_back({"情報", IDD_PAGE_INFORMATION, kNoPlayer});
    tabs.push_back({"設定", IDD_PAGE_GENERAL, kNoPlayer});

    int players = 1;
    if (switches.playerNum == "2" || switches.playerNum == "3" || switches.playerNum == "4")
        players = switches.playerNum[0] - '0';
    if (players == 1) {
        tabs.push_back({"キー設定", IDD_PAGE_KEYCONFIG, 0});
    } else {
        for (int player = 0; player < players; ++player)
            tabs.push_back({"キー設定(" + std::to_string(player + 1) + "P)", IDD_PAGE_KEYCONFIG, player});
    }

    tabs.push_back({"ハード情報", IDD_PAGE_HARDWARE, kNoPlayer});
    if (switches.enableTwitter)
        tabs.push_back({"Twitter", IDD_PAGE_TWITTER, kNoPlayer});
    return tabs;
}

}  // namespace Launcher
