#include "launcher/settings/launcher_switches.h"

#include "kiln/base/text.h"
#include "launcher/settings/settings_paths.h"
#include "launcher/settings/settings_store.h"

namespace Launcher {
namespace {

bool ReadSwitch(const std::string& path, const ProfileKey& key)
{
    return Kiln::IsSwitchOn(ReadProfileValue(path, key));
}

}  // namespace

LauncherSwitches LoadLauncherSwitches()
{
    return LoadLauncherSwitches(SystemIniPath());
}

LauncherSwitches LoadLauncherSwitches(const std::string& path)
{
    LauncherSwitches switches;
    switches.enableTwitter = ReadSwitch(path, Keys::kEnableTwitter);
    switches.enableInformation = ReadSwitch(path, Keys::kEnableInformation);
    switches.enableTinyMode = ReadSwitch(path, Keys::kEnableTinyMode);
    switches.enableAutoPatch = ReadSwitch(path, Keys::kEnableAutoPatch);
    switches.playerNum = Kiln::AsciiLower(ReadProfileValue(path, Keys::kPlayerNum));
    return switches;
}

bool LoadDirectRun()
{
    return ReadSwitch(SystemIniPath(), Keys::kDirectRun);
}

}  // namespace Launcher
