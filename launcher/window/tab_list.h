#pragma once

#include <string>
#include <vector>

#include "launcher/settings/launcher_switches.h"

namespace Launcher {

constexpr int kNoPlayer = -1;

struct TabSpec {
    std::string caption;
    int templateId;
    int playerIndex;  // 0-3 on key configuration pages, kNoPlayer elsewhere
};

// The launcher's tabs, in display order, for the given System.ini switches.
std::vector<TabSpec> BuildTabList(const LauncherSwitches& switches);

}  // namespace Launcher
