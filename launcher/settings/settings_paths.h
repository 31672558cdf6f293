#pragma once

#include <string>

namespace Launcher {

// System.ini and Game.ini in the program directory. The program directory already ends in
// a backslash; the doubled separator is accepted by the profile functions.
std::string SystemIniPath();
std::string GameIniPath();

}  // namespace Launcher
