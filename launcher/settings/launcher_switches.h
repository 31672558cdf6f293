#pragma once

#include <string>

namespace Launcher {

// The [Launcher] switches of System.ini that shape the window.
struct LauncherSwitches {
    bool enableInformation = false;
    bool enableTwitter = false;
    bool enableTinyMode = false;
    bool enableAutoPatch = false;
    std::string playerNum = "1";  // lower-cased; "2", "3", "4" or anything meaning one
};

LauncherSwitches LoadLauncherSwitches();

// [Launcher] DirectRun: start the game without the window.
bool LoadDirectRun();

}  // namespace Launcher
