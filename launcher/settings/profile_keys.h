#pragma once

#include <cstddef>

// Every launcher key of System.ini and Game.ini with the default it is read with and the
// buffer it is read into. (The runtime reads [Game] Title, Version and WideScreen and
// [DataArchive] on its own.)
namespace Launcher {

constexpr size_t kValueBufferSize = 4096;
constexpr size_t kKeyAssignmentBufferSize = 256;

struct ProfileKey {
    const char* section;
    const char* name;
    const char* defaultValue;
    size_t bufferSize = kValueBufferSize;
};

// A numbered key list: the name template takes the number (from 1) as %1%.
struct NumberedProfileKey {
    const char* section;
    const char* nameTemplate;
};

namespace Keys {

// System.ini
inline constexpr ProfileKey kVersion{"Game", "Version", ""};
inline constexpr ProfileKey kDirectRun{"Launcher", "DirectRun", ""};
inline constexpr ProfileKey kEnableInformation{"Launcher", "EnableInformation", ""};
inline constexpr ProfileKey kEnableTwitter{"Launcher", "EnableTwitter", ""};
inline constexpr ProfileKey kEnableTinyMode{"Launcher", "EnableTinyMode", ""};
inline constexpr ProfileKey kEnableAutoPatch{"Launcher", "EnableAutoPatch", ""};
inline constexpr ProfileKey kPlayerNum{"Launcher", "PlayerNum", "1"};
inline constexpr ProfileKey kTopImage{"Launcher", "TopImage", ""};
inline constexpr ProfileKey kBannerImage{"Launcher", "BannerImage", ""};
inline constexpr ProfileKey kBannerURL{"Launcher", "BannerURL", ""};
inline constexpr ProfileKey kOfflinePage{"Launcher", "OfflinePage", ""};
inline constexpr NumberedProfileKey kInformationURL{"Launcher", "InformationURL%1%"};
inline constexpr ProfileKey kUpdateInfoFile{"Updater", "UpdateInfoFile", ""};
inline constexpr ProfileKey kPatchFilePrefix{"Updater", "PatchFilePrefix", ""};
inline constexpr ProfileKey kUpdatePublicKey{"Updater", "UpdatePublicKey", ""};
inline constexpr NumberedProfileKey kBaseURL{"Updater", "BaseURL%1%"};
inline constexpr ProfileKey kAPIAccessKey{"Twitter", "APIAccessKey", ""};
// Per button (key names from the button list): the label text and whether it can be assigned.
inline constexpr char kKeyConfigLabelSection[] = "KeyConfigLabel";
inline constexpr char kKeyConfigEnableSection[] = "KeyConfig";

// Game.ini
inline constexpr ProfileKey kFullScreen{"General", "FullScreen", "No"};
inline constexpr ProfileKey kShowMenu{"General", "ShowMenu", "Yes"};
inline constexpr ProfileKey kShowFPS{"General", "ShowFPS", "No"};
inline constexpr ProfileKey kMaxVRAMCacheSize{"General", "MaxVRAMCacheSize", "0"};
inline constexpr ProfileKey kMaxFileCacheSize{"General", "MaxFileCacheSize", "256"};
inline constexpr ProfileKey kScreenSize{"General", "ScreenSize", "0"};
inline constexpr ProfileKey kUserAccessKey{"Twitter", "UserAccessKey", ""};

// [KeyConfig1] to [KeyConfig4] of both files hold key assignments (key_assignment.h), read
// into kKeyAssignmentBufferSize bytes.

}  // namespace Keys
}  // namespace Launcher
