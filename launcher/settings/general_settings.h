#pragma once

#include <functional>
#include <string>
#include <string_view>

// The [General] values of Game.ini: what the graphics page shows and the save writes back.
namespace Launcher {

struct GeneralSettings {
    bool fullScreen = false;
    bool showMenu = true;
    bool showFPS = false;
    int maxVRAMCacheSize = 0;  // 0 means no limit
    int maxFileCacheSize = 256;
    int screenSize = 0;  // index of the size factors 1.0, 1.5, 2.0, 2.5, 3.0
};

// Exact comparisons on the whole text: "0" and "512" are themselves, anything else 256.
int ParseMaxVRAMCacheSize(std::string_view text);
// "512" and "256" are themselves, anything else 128.
int ParseMaxFileCacheSize(std::string_view text);
// The whole number at the start of the text; 0 when there is none or it is outside 0 to 4.
int ParseScreenSize(std::string_view text);

// How [General] switches are written.
const char* FormatSwitch(bool on);

// Reads one [General] key with the default it is read with.
using GeneralValueReader = std::function<std::string(const char* key, const char* defaultValue)>;

// The [General] rules: every key is read with its default, and a key present with an empty
// value counts as that default too.
GeneralSettings GeneralSettingsFrom(const GeneralValueReader& read);

}  // namespace Launcher
