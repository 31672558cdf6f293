#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace Launcher {

inline constexpr const char kGameEngine[] = "Engine.dll";
inline constexpr const char kDebugEngine[] = "Engine_Debug.dll";
inline constexpr const char kTestEngine[] = "Engine_Test.dll";

enum class StartAction {
    HandOver,        // start the engine library at once
    RunWindow,       // show the launcher window
    DirectRunRule,   // no switch: System.ini [Launcher] DirectRun decides
};

struct StartChoice {
    StartAction action;
    std::string engineLibrary;  // for HandOver
};

// Splits at every single space: consecutive spaces give empty pieces, nothing is trimmed.
std::vector<std::string> SplitAtSpaces(std::string_view text);

// Chooses the start mode from the first piece of the command line.
StartChoice SelectStartMode(std::string_view commandLine);

}  // namespace Launcher
