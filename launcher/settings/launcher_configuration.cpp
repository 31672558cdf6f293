#include "launcher/settings/launcher_configuration.h"

#include <algorithm>
#include <cstddef>

namespace Launcher {
namespace {

void MergeValue(std::string& held, const std::string& read)
{
    if (!read.empty())
        held = read;
}

}  // namespace

void MergeLauncherConfiguration(LauncherConfiguration& held, const LauncherConfiguration& read)
{
    MergeValue(held.currentVersion, read.currentVersion);
    MergeValue(held.bannerURL, read.bannerURL);
    MergeValue(held.updateInfoFile, read.updateInfoFile);
    MergeValue(held.patchFilePrefix, read.patchFilePrefix);
    MergeValue(held.updatePublicKey, read.updatePublicKey);
    // Only the addresses held before this reading count: a list naming one server twice
    // keeps both entries, as it did the first time.
    const auto heldBefore = static_cast<std::ptrdiff_t>(held.serverList.size());
    for (const std::string& address : read.serverList) {
        const auto heldEnd = held.serverList.begin() + heldBefore;
        if (std::find(held.serverList.begin(), heldEnd, address) == heldEnd)
            held.serverList.push_back(address);
    }
}

}  // namespace Launcher
