#pragma once

#include <string>
#include <vector>

#include "launcher/settings/general_settings.h"
#include "launcher/settings/key_assignment.h"
#include "launcher/settings/launcher_configuration.h"
#include "launcher/settings/profile_keys.h"

// Reading and writing System.ini and Game.ini through the Windows profile functions. Every
// operation takes the file paths, so it works on any game folder.
namespace Launcher {

std::string ReadProfileValue(const std::string& path, const ProfileKey& key);
// Walks BaseURL1, BaseURL2, ... until an empty value, "end" or number 256.
std::vector<std::string> ReadProfileList(const std::string& path, const NumberedProfileKey& key);

// Load launcher configuration: seeds the C random generator with the time, then takes the
// version, banner address, update file names and server list into `held`.
void LoadLauncherConfiguration(const std::string& systemIni, LauncherConfiguration& held);

// Load general settings: [General] of Game.ini; a missing file gives every default.
GeneralSettings ReadGeneralSettings(const std::string& gameIni);

// The assignment of one button of player 1 to 4 from [KeyConfig<player>] of `path`: the
// built-in assignment when the key is missing, empty or does not parse.
std::string ReadKeyAssignment(const std::string& path, int player, size_t button);

// The top picture and banner files, relative to the program directory.
struct PictureNames {
    std::string topImage;
    std::string bannerImage;
};
PictureNames ReadPictureNames(const std::string& systemIni);

// The information page addresses, in order.
std::vector<std::string> ReadInformationURLs(const std::string& systemIni);

// Save settings. [General] is written only with `general` (the graphics page was opened);
// with `keyValues` (a key page was opened) every known key box is written to its player's
// section; without, [KeyConfig1] of Game.ini is completed from System.ini.
void SaveGameIni(const std::string& systemIni, const std::string& gameIni, const GeneralSettings* general,
                 const KeyValues* keyValues);

}  // namespace Launcher
