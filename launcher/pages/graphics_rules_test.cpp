#include "launcher/pages/graphics_rules.h"

#include <gtest/gtest.h>

#include <vector>

namespace Launcher {
namespace {

TEST(GraphicsRulesTest, PositionsGiveSettings)
{
    struct Case {
        int position, vram, fileCache, screenSize;
    };
    for (const Case& c : std::vector<Case>{{0, 0, 512, 4},
                                           {1, 512, 256, 3},
                                           {2, 256, 128, 2},
                                           {3, 256, 128, 1},
                                           {4, 256, 128, 0},
                                           {5, 256, 128, -1},
                                           {-1, 256, 128, -1}}) {
        EXPECT_EQ(VRAMCacheAtPosition(c.position), c.vram) << c.position;
        EXPECT_EQ(FileCacheAtPosition(c.position), c.fileCache) << c.position;
        EXPECT_EQ(ScreenSizeAtPosition(c.position), c.screenSize) << c.position;
    }
}

TEST(GraphicsRulesTest, SettingsShowAtTheirPositions)
{
    struct Case {
        int value, vram, fileCache, screenSize;
    };
    for (const Case& c : std::vector<Case>{{0, 0, -1, 4},
                                           {1, -1, -1, 3},
                                           {3, -1, -1, 1},
                                           {4, -1, -1, 0},
                                           {128, -1, 2, -1},
                                           {256, 2, 1, -1},
                                           {512, 1, 0, -1},
                                           {1024, -1, -1, -1}}) {
        EXPECT_EQ(PositionOfVRAMCache(c.value), c.vram) << c.value;
        EXPECT_EQ(PositionOfFileCache(c.value), c.fileCache) << c.value;
        EXPECT_EQ(PositionOfScreenSize(c.value), c.screenSize) << c.value;
    }
}

TEST(GraphicsRulesTest, OnlyUntickingWhileOnAsks)
{
    EXPECT_EQ(HighQualityActionFor(true, false), HighQualityAction::TurnOn);
    EXPECT_EQ(HighQualityActionFor(true, true), HighQualityAction::TurnOn);
    EXPECT_EQ(HighQualityActionFor(false, true), HighQualityAction::Ask);
    EXPECT_EQ(HighQualityActionFor(false, false), HighQualityAction::Nothing);
}

}  // namespace
}  // namespace Launcher
