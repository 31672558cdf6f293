#pragma once

#include <array>
#include <cstddef>
#include <vector>

// Every key of System.ini and Game.ini that the runtime and the launcher read, with the
// default it is read with and the buffer it is read into. The readers take their names from
// here and `kiln check` walks KeyTable(), so a key the launcher reads is a key the check knows.
namespace Kiln {

constexpr size_t kValueBufferSize = 4096;
// The runtime's [Game] and [DataArchive] reads and the key assignment sections.
constexpr size_t kShortValueBufferSize = 256;

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

// System.ini, read by the runtime
inline constexpr ProfileKey kTitle{"Game", "Title", "MZKPlayer", kShortValueBufferSize};
inline constexpr ProfileKey kRuntimeVersion{"Game", "Version", "1.0", kShortValueBufferSize};
inline constexpr ProfileKey kWideScreen{"Game", "WideScreen", "0", kShortValueBufferSize};
inline constexpr NumberedProfileKey kArchive{"DataArchive", "Archive%1%"};

// System.ini, read by the launcher
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
inline constexpr NumberedProfileKey kBaseURL{"Updater", "BaseURL%1%"};
inline constexpr ProfileKey kUpdatePublicKey{"Updater", "UpdatePublicKey", ""};
inline constexpr ProfileKey kAPIAccessKey{"Twitter", "APIAccessKey", ""};
// The host of the account-link service's OAuth endpoints.
inline constexpr ProfileKey kAPIHost{"Twitter", "APIHost", "api.twitter.com"};
// Per button (key names from the button list): the label text and whether it can be assigned.
inline constexpr char kKeyConfigLabelSection[] = "KeyConfigLabel";
inline constexpr char kKeyConfigEnableSection[] = "KeyConfig";

// Game.ini
inline constexpr char kGeneralSection[] = "General";
inline constexpr ProfileKey kFullScreen{kGeneralSection, "FullScreen", "No"};
inline constexpr ProfileKey kShowMenu{kGeneralSection, "ShowMenu", "Yes"};
inline constexpr ProfileKey kShowFPS{kGeneralSection, "ShowFPS", "No"};
inline constexpr ProfileKey kMaxVRAMCacheSize{kGeneralSection, "MaxVRAMCacheSize", "0"};
inline constexpr ProfileKey kMaxFileCacheSize{kGeneralSection, "MaxFileCacheSize", "256"};
inline constexpr ProfileKey kScreenSize{kGeneralSection, "ScreenSize", "0"};
inline constexpr ProfileKey kUserAccessKey{"Twitter", "UserAccessKey", ""};

// [KeyConfig1] to [KeyConfig4] of both files hold key assignments, one key per button, read
// into kShortValueBufferSize bytes; the section name is "KeyConfig%d" with the player number.
inline constexpr char kKeyConfigSectionFormat[] = "KeyConfig%d";

// The fixed button list, in the order every walk over the buttons uses.
inline constexpr size_t kButtonCount = 16;
inline constexpr std::array<const char*, kButtonCount> kButtonKeyNames = {
    "UP",   "DOWN", "LEFT", "RIGHT", "BTN1", "BTN2",  "BTN3",  "BTN4",
    "BTN5", "BTN6", "BTN7", "BTN8",  "BTN9", "BTN10", "BTN11", "BTN12"};

}  // namespace Keys

// One row of the key table: what a maker may write and how the launcher reads it.
enum class IniFile { System, Game };

enum class KeyForm {
    Single,    // `name` itself
    Numbered,  // `name` is a template: %1% takes 1 to 256
    Buttons,   // one key per button of the button list; `name` is null
};

enum class ValueKind {
    Text,
    Switch,           // on exactly when "yes" in any case
    PlayerCount,      // "1" to "4"
    WideScreen,       // "0", "1" or "2"
    PicturePath,      // relative to the program directory
    Address,          // an http:// or https:// address
    FileName,
    KeyAssignment,    // "<device>,0x<code>"
    Credentials,      // "key&secret", sealed by the launcher
    VRAMCacheSize,    // "0", "512" or "256"
    FileCacheSize,    // "512", "256" or "128"
    ScreenSize,       // "0" to "4"
    PublicKey,        // one line of Base64, 32 bytes
};

struct KeyTableEntry {
    IniFile file;
    const char* section;
    const char* name;
    KeyForm form;
    ValueKind kind;
    const char* defaultValue;
};

// Every key of both files, in the order the maker's guide lists them.
const std::vector<KeyTableEntry>& KeyTable();

}  // namespace Kiln
