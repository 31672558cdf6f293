#include "launcher/pages/information_rules.h"

#include "kiln/base/profile.h"
#include "kiln/base/text.h"

namespace Launcher {
namespace {

bool SameAddress(const std::string& a, const std::string& b)
{
    return Kiln::AsciiLower(a) == Kiln::AsciiLower(b);
}

std::string NavigateTo(NavigationState& state, std::string address)
{
    state.lastNavigated = address;
    return address;
}

}  // namespace

InformationSettings LoadInformationSettings(const LauncherValueReader& read)
{
    InformationSettings settings;
    settings.offlinePage = read("OfflinePage", "");
    settings.informationURLs = Kiln::Profile::ReadNumberedList([&](int number) {
        return read(Kiln::FormatTemplate("InformationURL%1%", number), "end");
    });
    return settings;
}

std::string OfflinePagePath(const std::string& programDirectory, const std::string& offlinePage)
{
    return Kiln::FormatTemplate("%1%%2%", programDirectory, offlinePage);
}

std::string StartNavigation(NavigationState& state, const InformationSettings& settings,
                            const std::string& programDirectory)
{
    state.nextFallback = 0;
    state.navigationComplete = false;
    std::string first;
    if (!settings.informationURLs.empty()) {
        state.fallbackURLs.insert(state.fallbackURLs.end(), settings.informationURLs.begin() + 1,
                                  settings.informationURLs.end());
        if (!settings.offlinePage.empty())
            state.fallbackURLs.push_back(OfflinePagePath(programDirectory, settings.offlinePage));
        first = settings.informationURLs.front();
    } else if (!settings.offlinePage.empty()) {
        first = OfflinePagePath(programDirectory, settings.offlinePage);
    } else {
        first = kBlankPage;
    }
    state.allowedURLs.push_back(first);
    return NavigateTo(state, first);
}

std::string NavigateNext(NavigationState& state)
{
    if (state.nextFallback < state.fallbackURLs.size())
        state.currentURL = state.fallbackURLs[state.nextFallback++];
    else
        state.currentURL = kBlankPage;
    return NavigateTo(state, state.currentURL);
}

bool AddressStaysInside(const std::string& address, const NavigationState& state)
{
    if (Kiln::AsciiLower(address.substr(0, 6)) == "res://")
        return true;
    if (SameAddress(address, state.currentURL))
        return true;
    for (const std::string& allowed : state.allowedURLs) {
        if (SameAddress(address, allowed))
            return true;
    }
    return false;
}

bool ErrorMovesOn(const NavigationState& state, const std::string& failedAddress)
{
    if (!SameAddress(failedAddress, state.lastNavigated))
        return false;
    return !(SameAddress(failedAddress, kBlankPage) && state.nextFallback >= state.fallbackURLs.size());
}

bool WatchdogMovesOn(bool hasSink, bool navigationComplete)
{
    return hasSink && !navigationComplete;
}

}  // namespace Launcher
