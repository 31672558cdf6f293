#include "launcher/settings/launcher_configuration.h"

#include <gtest/gtest.h>

namespace Launcher {
namespace {

using Servers = std::vector<std::string>;

TEST(LauncherConfigurationTest, FirstReadingTakesEverything)
{
    LauncherConfiguration held;
    MergeLauncherConfiguration(held, {"1.02", "http://banner/", "update.txt", "patch_%1%.exe",
                                      {"http://a/", "http://b/", "http://a/"}, "PUAX"});
    EXPECT_EQ(held.updatePublicKey, "PUAX");
    EXPECT_EQ(held.currentVersion, "1.02");
    EXPECT_EQ(held.bannerURL, "http://banner/");
    EXPECT_EQ(held.updateInfoFile, "update.txt");
    EXPECT_EQ(held.patchFilePrefix, "patch_%1%.exe");
    EXPECT_EQ(held.serverList, (Servers{"http://a/", "http://b/", "http://a/"}));
}

TEST(LauncherConfigurationTest, EmptyValuesLeaveWhatIsHeld)
{
    LauncherConfiguration held{"1.0", "http://banner/", "update.txt", "p%1%", {"http://a/"}, "PUAX"};
    MergeLauncherConfiguration(held, {});
    EXPECT_EQ(held.updatePublicKey, "PUAX");
    EXPECT_EQ(held.currentVersion, "1.0");
    EXPECT_EQ(held.bannerURL, "http://banner/");
    EXPECT_EQ(held.updateInfoFile, "update.txt");
    EXPECT_EQ(held.patchFilePrefix, "p%1%");
    EXPECT_EQ(held.serverList, Servers{"http://a/"});
}

TEST(LauncherConfigurationTest, ReadingAgainAfterAPatchAddsOnlyNewServers)
{
    LauncherConfiguration held{"1.0", "", "", "", {"http://a/", "http://b/"}, ""};
    MergeLauncherConfiguration(held, {"1.1", "", "", "", {"http://a/", "http://c/", "http://b/"}, ""});
    EXPECT_EQ(held.currentVersion, "1.1");
    EXPECT_EQ(held.serverList, (Servers{"http://a/", "http://b/", "http://c/"}));
}

}  // namespace
}  // namespace Launcher
