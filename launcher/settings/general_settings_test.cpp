#include "launcher/settings/general_settings.h"

#include <gtest/gtest.h>

#include <map>

namespace Launcher {
namespace {

TEST(GeneralSettingsTest, CacheSizesCompareTheWholeText)
{
    EXPECT_EQ(ParseMaxVRAMCacheSize("0"), 0);
    EXPECT_EQ(ParseMaxVRAMCacheSize("512"), 512);
    EXPECT_EQ(ParseMaxVRAMCacheSize("256"), 256);
    for (const char* other : {"1024", " 0", "512 ", "00", "", "abc"})
        EXPECT_EQ(ParseMaxVRAMCacheSize(other), 256) << other;

    EXPECT_EQ(ParseMaxFileCacheSize("512"), 512);
    EXPECT_EQ(ParseMaxFileCacheSize("256"), 256);
    for (const char* other : {"128", "0", "1024", "256x", ""})
        EXPECT_EQ(ParseMaxFileCacheSize(other), 128) << other;
}

TEST(GeneralSettingsTest, ScreenSizeTakesTheLeadingNumberWhenInRange)
{
    EXPECT_EQ(ParseScreenSize("0"), 0);
    EXPECT_EQ(ParseScreenSize("4"), 4);
    EXPECT_EQ(ParseScreenSize("3x"), 3);
    EXPECT_EQ(ParseScreenSize(" 2"), 2);
    EXPECT_EQ(ParseScreenSize("+1"), 1);
    for (const char* other : {"7", "5", "-1", "x3", "", "99999999999999999999"})
        EXPECT_EQ(ParseScreenSize(other), 0) << other;
}

TEST(GeneralSettingsTest, SwitchesAreWrittenYesOrNo)
{
    EXPECT_STREQ(FormatSwitch(true), "Yes");
    EXPECT_STREQ(FormatSwitch(false), "No");
}

// A [General] section as the profile functions would return it: present keys give their
// value, missing keys the default they are read with.
GeneralSettings FromSection(const std::map<std::string, std::string>& section)
{
    return GeneralSettingsFrom([&](const char* key, const char* defaultValue) {
        const auto found = section.find(key);
        return found == section.end() ? std::string(defaultValue) : found->second;
    });
}

TEST(GeneralSettingsTest, MissingSectionGivesEveryDefault)
{
    const GeneralSettings settings = FromSection({});
    EXPECT_FALSE(settings.fullScreen);
    EXPECT_TRUE(settings.showMenu);
    EXPECT_FALSE(settings.showFPS);
    EXPECT_EQ(settings.maxVRAMCacheSize, 0);
    EXPECT_EQ(settings.maxFileCacheSize, 256);
    EXPECT_EQ(settings.screenSize, 0);
}

TEST(GeneralSettingsTest, EmptyValuesCountAsTheirDefault)
{
    const GeneralSettings settings = FromSection({{"FullScreen", ""}, {"ShowMenu", ""}, {"ShowFPS", ""},
                                                  {"MaxVRAMCacheSize", ""}, {"MaxFileCacheSize", ""},
                                                  {"ScreenSize", ""}});
    EXPECT_FALSE(settings.fullScreen);
    EXPECT_TRUE(settings.showMenu);  // not "off" as an empty switch would be
    EXPECT_FALSE(settings.showFPS);
    EXPECT_EQ(settings.maxVRAMCacheSize, 0);  // not 256 as other text would be
    EXPECT_EQ(settings.maxFileCacheSize, 256);  // not 128
    EXPECT_EQ(settings.screenSize, 0);
}

TEST(GeneralSettingsTest, StoredValuesFollowTheirRules)
{
    const GeneralSettings settings = FromSection({{"FullScreen", "YES"}, {"ShowMenu", "No"}, {"ShowFPS", "yes "},
                                                  {"MaxVRAMCacheSize", "1024"}, {"MaxFileCacheSize", "512"},
                                                  {"ScreenSize", "3x"}});
    EXPECT_TRUE(settings.fullScreen);
    EXPECT_FALSE(settings.showMenu);
    EXPECT_FALSE(settings.showFPS);  // "yes" followed by a blank is other text
    EXPECT_EQ(settings.maxVRAMCacheSize, 256);
    EXPECT_EQ(settings.maxFileCacheSize, 512);
    EXPECT_EQ(settings.screenSize, 3);
}

}  // namespace
}  // namespace Launcher
