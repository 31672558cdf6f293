#pragma once

#include <functional>
#include <string>
#include <vector>

// Decisions of the information page that need no browser: its settings, the order in which
// addresses are tried and which navigations stay inside the page.
namespace Launcher {

inline constexpr char kBlankPage[] = "about:blank";
constexpr unsigned kInformationTimer = 277;
constexpr unsigned kFirstTickMs = 500;
constexpr unsigned kWatchdogMs = 2000;

struct InformationSettings {
    std::vector<std::string> informationURLs;
    std::string offlinePage;  // empty when none is configured
};

// Reads one [Launcher] value of System.ini: key name and default.
using LauncherValueReader = std::function<std::string(const std::string& key, const char* defaultValue)>;

// OfflinePage, then InformationURL1, InformationURL2, ... up to an empty value, "end" or 256.
InformationSettings LoadInformationSettings(const LauncherValueReader& read);

// The program directory (ending in a backslash) immediately followed by the OfflinePage text.
std::string OfflinePagePath(const std::string& programDirectory, const std::string& offlinePage);

// Where the page may go and what it tries next; held by the event sink.
struct NavigationState {
    size_t nextFallback = 0;
    bool navigationComplete = false;
    std::vector<std::string> fallbackURLs;
    std::vector<std::string> allowedURLs;
    std::string currentURL;
    std::string lastNavigated;  // the address handed to the browser most recently
};

// The first navigation: fills the fallbacks and the allowed addresses and returns the
// address to open (the first information address, else the offline page, else about:blank).
std::string StartNavigation(NavigationState& state, const InformationSettings& settings,
                            const std::string& programDirectory);

// The next fallback, or about:blank once every fallback has been tried.
std::string NavigateNext(NavigationState& state);

// True when the browser may open `address` itself; otherwise it goes to the default browser.
bool AddressStaysInside(const std::string& address, const NavigationState& state);

// True when a navigation error should move the page on. An error about an address the page
// has already left (a late second report, a frame) is ignored, and a failing about:blank,
// with nothing left to try, is not reopened at once: that would loop without pause.
bool ErrorMovesOn(const NavigationState& state, const std::string& failedAddress);

// The watchdog moves on only while a sink waits for a navigation that has not completed.
bool WatchdogMovesOn(bool hasSink, bool navigationComplete);

}  // namespace Launcher
