#include "launcher/settings/launcher_switches.h"

#include "kiln/core/profile_file.h"
#include "kiln/core/text.h"
#include "launcher/settings/settings_paths.h"

namespace Launcher {
namespace {

bool ReadSwitch(const std::string& path, const char* key)
{
    return Kiln::IsSwitchOn(Kiln::Profile::ReadString(path, "Launcher", key, ""));
}

}  // namespace

LauncherSwitches LoadLauncherSwitches()
{
    const std::string path = SystemIniPath();
    LauncherSwitches switches;
    switches.enableTwitter = ReadSwitch(path, "EnableTwitter");
    switches.enableInformation = ReadSwitch(path, "EnableInformation");
    switches.enableTinyMode = ReadSwitch(path, "EnableTinyMode");
    switches.enableAutoPatch = ReadSwitch(path, "EnableAutoPatch");
    switches.playerNum = Kiln::AsciiLower(Kiln::Profile::ReadString(path, "Launcher", "PlayerNum", "1"));
    return switches;
}

bool LoadDirectRun()
{
    return ReadSwitch(SystemIniPath(), "DirectRun");
}

}  // namespace Launcher
