#include "launcher/settings/general_settings.h"

#include "kiln/base/number_scan.h"
#include "kiln/base/text.h"
#include "launcher/settings/profile_keys.h"

namespace Launcher {

int ParseMaxVRAMCacheSize(std::string_view text)
{
    if (text == "0")
        return 0;
    if (text == "512")
        return 512;
    return 256;
}

int ParseMaxFileCacheSize(std::string_view text)
{
    if (text == "512")
        return 512;
    if (text == "256")
        return 256;
    return 128;
}

int ParseScreenSize(std::string_view text)
{
    constexpr int kLargestScreenSize = 4;
    size_t pos = 0;
    const std::optional<int> value = Kiln::NumberScan::ScanDecimal(text, pos);
    if (!value || *value < 0 || *value > kLargestScreenSize)
        return 0;
    return *value;
}

const char* FormatSwitch(bool on)
{
    return on ? "Yes" : "No";
}

GeneralSettings GeneralSettingsFrom(const GeneralValueReader& read)
{
    auto value = [&](const ProfileKey& key) {
        std::string text = read(key.name, key.defaultValue);
        return text.empty() ? std::string(key.defaultValue) : text;
    };
    GeneralSettings settings;
    settings.fullScreen = Kiln::IsSwitchOn(value(Keys::kFullScreen));
    settings.showMenu = Kiln::IsSwitchOn(value(Keys::kShowMenu));
    settings.showFPS = Kiln::IsSwitchOn(value(Keys::kShowFPS));
    settings.maxVRAMCacheSize = ParseMaxVRAMCacheSize(value(Keys::kMaxVRAMCacheSize));
    settings.maxFileCacheSize = ParseMaxFileCacheSize(value(Keys::kMaxFileCacheSize));
    settings.screenSize = ParseScreenSize(value(Keys::kScreenSize));
    return settings;
}

}  // namespace Launcher
