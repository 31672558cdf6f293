#pragma once

#include <string>
#include <vector>

namespace Launcher {

// What the launcher holds from System.ini for the banner and the auto-patcher.
struct LauncherConfiguration {
    std::string currentVersion;  // [Game] Version
    std::string bannerURL;       // [Launcher] BannerURL
    std::string updateInfoFile;  // [Updater] UpdateInfoFile
    std::string patchFilePrefix;  // [Updater] PatchFilePrefix
    std::vector<std::string> serverList;  // [Updater] BaseURL1, BaseURL2, ...
    std::string updatePublicKey;  // [Updater] UpdatePublicKey (Base64); empty: unsigned updates
};

// Takes a fresh reading into the held values: an empty value leaves the held one as it was,
// and the addresses read are appended to the server list in order. The configuration is
// read again after each patch, so an address held before this reading is not added again.
void MergeLauncherConfiguration(LauncherConfiguration& held, const LauncherConfiguration& read);

}  // namespace Launcher
