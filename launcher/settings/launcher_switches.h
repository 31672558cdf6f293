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

// From the System.ini of the program directory, or of the given path.
LauncherSwitches LoadLauncherSwitches();
LauncherSwitches LoadLauncherSwitches(const std::string& systemIni);

// [Launcher] DirectRun: start the game without the window.
bool LoadDirectRun();

}  // namespace Launcher
