#include "launcher/settings/settings_store.h"

#include <windows.h>

#include <cstdlib>
#include <ctime>

#include "kiln/base/profile.h"
#include "kiln/base/profile_file.h"
#include "kiln/base/text.h"

namespace Launcher {
namespace {

void WriteValue(const std::string& path, const char* section, const char* key, const std::string& value)
{
    // A failed write (a read-only folder) is not reported: the player's settings simply stay.
    ::WritePrivateProfileStringA(section, key, value.c_str(), path.c_str());
}

void WriteGeneralSettings(const std::string& gameIni, const GeneralSettings& general)
{
    auto write = [&](const ProfileKey& key, const std::string& value) {
        WriteValue(gameIni, key.section, key.name, value);
    };
    write(Keys::kFullScreen, FormatSwitch(general.fullScreen));
    write(Keys::kShowMenu, FormatSwitch(general.showMenu));
    write(Keys::kShowFPS, FormatSwitch(general.showFPS));
    write(Keys::kMaxVRAMCacheSize, std::to_string(general.maxVRAMCacheSize));
    write(Keys::kMaxFileCacheSize, std::to_string(general.maxFileCacheSize));
    write(Keys::kScreenSize, std::to_string(general.screenSize));
}

void WriteKeyValues(const std::string& gameIni, const KeyValues& keyValues)
{
    for (int player = 1; player <= kPlayerCount; ++player) {
        const std::string section = KeyConfigSection(player);
        for (size_t button = 0; button < kButtonCount; ++button) {
            if (const auto& value = keyValues[static_cast<size_t>(player - 1)][button])
                WriteValue(gameIni, section.c_str(), kButtonNames[button], *value);
        }
    }
}

// Player 1's assignments that Game.ini lacks come from System.ini, else the built-in ones.
void CompleteFirstKeyConfig(const std::string& systemIni, const std::string& gameIni)
{
    constexpr int kPlayer = 1;
    const std::string section = KeyConfigSection(kPlayer);
    std::string fromSystem[kButtonCount];
    for (size_t button = 0; button < kButtonCount; ++button)
        fromSystem[button] = ReadKeyAssignment(systemIni, kPlayer, button);
    for (size_t button = 0; button < kButtonCount; ++button) {
        std::string value = Kiln::Profile::ReadString(gameIni, section.c_str(), kButtonNames[button],
                                                      fromSystem[button].c_str(), kKeyAssignmentBufferSize);
        if (value.empty())
            value = fromSystem[button];
        WriteValue(gameIni, section.c_str(), kButtonNames[button], value);
    }
}

}  // namespace

std::string ReadProfileValue(const std::string& path, const ProfileKey& key)
{
    return Kiln::Profile::ReadString(path, key.section, key.name, key.defaultValue, key.bufferSize);
}

std::vector<std::string> ReadProfileList(const std::string& path, const NumberedProfileKey& key)
{
    return Kiln::Profile::ReadNumberedList([&](int number) {
        const std::string name = Kiln::FormatTemplate(key.nameTemplate, number);
        return Kiln::Profile::ReadString(path, key.section, name.c_str(), "end");
    });
}

void LoadLauncherConfiguration(const std::string& systemIni, LauncherConfiguration& held)
{
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    LauncherConfiguration read;
    read.currentVersion = ReadProfileValue(systemIni, Keys::kVersion);
    read.bannerURL = ReadProfileValue(systemIni, Keys::kBannerURL);
    read.updateInfoFile = ReadProfileValue(systemIni, Keys::kUpdateInfoFile);
    read.patchFilePrefix = ReadProfileValue(systemIni, Keys::kPatchFilePrefix);
    read.updatePublicKey = ReadProfileValue(systemIni, Keys::kUpdatePublicKey);
    read.serverList = ReadProfileList(systemIni, Keys::kBaseURL);
    MergeLauncherConfiguration(held, read);
}

GeneralSettings ReadGeneralSettings(const std::string& gameIni)
{
    return GeneralSettingsFrom([&](const char* key, const char* defaultValue) {
        return Kiln::Profile::ReadString(gameIni, Keys::kGeneralSection, key, defaultValue);
    });
}

std::string ReadKeyAssignment(const std::string& path, int player, size_t button)
{
    const std::string builtIn = DefaultKeyAssignment(player, button);
    const std::string text = Kiln::Profile::ReadString(path, KeyConfigSection(player).c_str(), kButtonNames[button],
                                                       builtIn.c_str(), kKeyAssignmentBufferSize);
    return UsableKeyAssignment(text, player, button);
}

PictureNames ReadPictureNames(const std::string& systemIni)
{
    return {ReadProfileValue(systemIni, Keys::kTopImage), ReadProfileValue(systemIni, Keys::kBannerImage)};
}

std::vector<std::string> ReadInformationURLs(const std::string& systemIni)
{
    return ReadProfileList(systemIni, Keys::kInformationURL);
}

void SaveGameIni(const std::string& systemIni, const std::string& gameIni, const GeneralSettings* general,
                 const KeyValues* keyValues)
{
    if (general)
        WriteGeneralSettings(gameIni, *general);
    if (keyValues)
        WriteKeyValues(gameIni, *keyValues);
    else
        CompleteFirstKeyConfig(systemIni, gameIni);
}

}  // namespace Launcher
