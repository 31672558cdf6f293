#include "launcher/pages/information_rules.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace Launcher {
namespace {

using Lines = std::vector<std::string>;

TEST(InformationRulesTest, SettingsStopAtEndOrEmptyAndKeepTheOfflinePage)
{
    struct Case {
        std::map<std::string, std::string> values;
        Lines urls;
        Lines keysRead;
        std::string offline;
    };
    const std::vector<Case> cases{
        {{{"InformationURL1", "http://a/"}, {"InformationURL2", "http://b/"}, {"InformationURL3", "HTTP://C/"},
          {"InformationURL4", "end"}, {"InformationURL5", "http://e/"}},
         {"http://a/", "http://b/", "HTTP://C/"},
         {"OfflinePage", "InformationURL1", "InformationURL2", "InformationURL3", "InformationURL4"},
         ""},
        {{{"InformationURL1", "http://a/"}, {"InformationURL2", ""}, {"InformationURL3", "http://c/"},
          {"OfflinePage", "html\\offline.html"}},
         {"http://a/"},
         {"OfflinePage", "InformationURL1", "InformationURL2"},
         "html\\offline.html"},
        // "End" is not the end marker: only the exact lower-case word is.
        {{{"InformationURL1", "End"}}, {"End"}, {"OfflinePage", "InformationURL1", "InformationURL2"}, ""},
        {{}, {}, {"OfflinePage", "InformationURL1"}, ""},
    };
    for (const Case& c : cases) {
        Lines keysRead;
        const InformationSettings settings = LoadInformationSettings([&](const std::string& key, const char* fallback) {
            keysRead.push_back(key);
            const auto found = c.values.find(key);
            return found == c.values.end() ? std::string(fallback) : found->second;
        });
        EXPECT_EQ(settings.informationURLs, c.urls);
        EXPECT_EQ(settings.offlinePage, c.offline);
        EXPECT_EQ(keysRead, c.keysRead);
    }
}

TEST(InformationRulesTest, SettingsListStopsAfter256Addresses)
{
    int reads = 0;
    const InformationSettings settings = LoadInformationSettings([&](const std::string& key, const char*) {
        ++reads;
        return key == "OfflinePage" ? std::string() : "http://x/" + key;
    });
    ASSERT_EQ(settings.informationURLs.size(), 256u);
    EXPECT_EQ(settings.informationURLs.back(), "http://x/InformationURL256");
    EXPECT_EQ(reads, 257);
}

TEST(InformationRulesTest, OfflinePathJoinsWithoutASeparator)
{
    EXPECT_EQ(OfflinePagePath("C:\\Game\\", "offline.html"), "C:\\Game\\offline.html");
    EXPECT_EQ(OfflinePagePath("C:\\Game\\", "html\\offline.html"), "C:\\Game\\html\\offline.html");
    EXPECT_EQ(OfflinePagePath("C:\\ゲーム\\", "情報.html"), "C:\\ゲーム\\情報.html");
}

// Every address the page opens in turn when every navigation fails at once.
TEST(InformationRulesTest, FailuresWalkTheFallbacksThenStayBlank)
{
    struct Case {
        Lines urls;
        std::string offline;
        Lines opened;  // the first navigation, then one per error
    };
    const std::vector<Case> cases{
        {{"http://a/", "http://b/", "http://c/"}, "off.html",
         {"http://a/", "http://b/", "http://c/", "C:\\G\\off.html", "about:blank"}},
        {{"http://a/", "http://b/"}, "", {"http://a/", "http://b/", "about:blank"}},
        {{"http://a/"}, "", {"http://a/", "about:blank"}},
        {{}, "off.html", {"C:\\G\\off.html", "about:blank"}},
        {{}, "", {"about:blank"}},
    };
    for (const Case& c : cases) {
        NavigationState state;
        Lines opened{StartNavigation(state, {c.urls, c.offline}, "C:\\G\\")};
        while (ErrorMovesOn(state, opened.back()) && opened.size() < 20)
            opened.push_back(NavigateNext(state));
        EXPECT_EQ(opened, c.opened);
    }
}

TEST(InformationRulesTest, FirstNavigationAllowsOnlyItsOwnAddress)
{
    struct Case {
        Lines urls;
        std::string offline;
        Lines fallbacks;
        Lines allowed;
    };
    const std::vector<Case> cases{
        {{"http://a/", "http://b/"}, "off.html", {"http://b/", "D:\\off.html"}, {"http://a/"}},
        {{"http://a/"}, "", {}, {"http://a/"}},
        {{}, "off.html", {}, {"D:\\off.html"}},
        {{}, "", {}, {"about:blank"}},
    };
    for (const Case& c : cases) {
        NavigationState state;
        state.navigationComplete = true;
        state.nextFallback = 5;
        StartNavigation(state, {c.urls, c.offline}, "D:\\");
        EXPECT_EQ(state.fallbackURLs, c.fallbacks);
        EXPECT_EQ(state.allowedURLs, c.allowed);
        EXPECT_EQ(state.nextFallback, 0u);
        EXPECT_FALSE(state.navigationComplete);
        EXPECT_EQ(state.currentURL, "");
    }
}

TEST(InformationRulesTest, NavigateNextRepeatsBlankOnceExhausted)
{
    NavigationState state;
    state.fallbackURLs = {"http://b/"};
    EXPECT_EQ(NavigateNext(state), "http://b/");
    EXPECT_EQ(state.currentURL, "http://b/");
    EXPECT_EQ(state.nextFallback, 1u);
    for (int call = 0; call < 3; ++call) {
        EXPECT_EQ(NavigateNext(state), "about:blank");
        EXPECT_EQ(state.currentURL, "about:blank");
        EXPECT_EQ(state.nextFallback, 1u);
    }
}

TEST(InformationRulesTest, AddressFilter)
{
    NavigationState state;
    state.currentURL = "http://Fallback.example/Page";
    state.allowedURLs = {"http://first.example/a?b=1", "C:\\Game\\オフライン.html"};
    struct Case {
        std::string address;
        bool inside;
    };
    const std::vector<Case> cases{
        {"res://ieframe.dll/navcancl.htm", true},
        {"RES://x", true},
        {"res:/x", false},
        {"http://fallback.example/page", true},
        {"HTTP://FALLBACK.EXAMPLE/PAGE", true},
        {"http://fallback.example/page/", false},  // no normalisation
        {"http://first.example/A?B=1", true},
        {"http://first.example/a?b=1#top", false},
        {"http://first.example/a", false},
        {"c:\\game\\オフライン.html", true},
        {"C:\\Game\\ｵﾌﾗｲﾝ.html", false},
        {"http://elsewhere.example/", false},
        {"", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AddressStaysInside(c.address, state), c.inside) << c.address;
}

TEST(InformationRulesTest, FilterFoldsOnlySingleByteLetters)
{
    // "ソ" is 0x83 0x5C and "ア" 0x83 0x41: a trail byte in A-Z must not be folded.
    NavigationState state;
    state.allowedURLs = {"http://h/\x83\x41"};
    EXPECT_TRUE(AddressStaysInside("HTTP://H/\x83\x41", state));
    EXPECT_FALSE(AddressStaysInside("http://h/\x83\x61", state));
}

TEST(InformationRulesTest, OnlyErrorsOfTheLatestAddressMoveOn)
{
    NavigationState state;
    state.fallbackURLs = {"http://b/"};
    state.lastNavigated = "http://A/";
    struct Case {
        std::string failed;
        size_t nextFallback;
        std::string last;
        bool movesOn;
    };
    const std::vector<Case> cases{
        {"http://a/", 0, "http://A/", true},
        {"http://frame/", 0, "http://A/", false},
        {"http://a/", 1, "http://b/", false},  // a late second report about the address left
        {"http://b/", 1, "http://b/", true},
        {"about:blank", 1, "about:blank", false},
        {"about:blank", 0, "about:blank", true},  // a configured blank fallback: more to try
    };
    for (const Case& c : cases) {
        state.nextFallback = c.nextFallback;
        state.lastNavigated = c.last;
        EXPECT_EQ(ErrorMovesOn(state, c.failed), c.movesOn) << c.failed << " " << c.last;
    }
}

TEST(InformationRulesTest, WatchdogMovesOnOnlyWhileWaiting)
{
    EXPECT_TRUE(WatchdogMovesOn(true, false));
    EXPECT_FALSE(WatchdogMovesOn(true, true));
    EXPECT_FALSE(WatchdogMovesOn(false, false));
    EXPECT_FALSE(WatchdogMovesOn(false, true));
}

}  // namespace
}  // namespace Launcher
