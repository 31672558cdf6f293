#include "launcher/window/window_rules.h"

#include <gtest/gtest.h>

namespace Launcher {
namespace {

TEST(WindowRulesTest, KeyDownClosesTheWindowOnlyOutsideKeyPages)
{
    const struct {
        bool keyPage;
        unsigned key;
        KeyDownAction action;
    } cases[] = {
        {false, 0x0D, KeyDownAction::StartGame}, {false, 0x1B, KeyDownAction::Quit},
        {false, 0x41, KeyDownAction::Dispatch},  {false, 0x09, KeyDownAction::Dispatch},
        {true, 0x0D, KeyDownAction::Drop},       {true, 0x1B, KeyDownAction::Drop},
        {true, 0x41, KeyDownAction::Drop},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ActionForKeyDown(c.keyPage, c.key), c.action) << c.keyPage << " " << c.key;
}

TEST(WindowRulesTest, BannerCoversItsTwoHundredByFortyPixelsOnly)
{
    const struct {
        int x, y;
        bool on;
    } cases[] = {
        {9, 394, true},   {208, 433, true},  {100, 400, true}, {8, 394, false}, {209, 394, false},
        {9, 393, false},  {9, 434, false},   {-1, -1, false},  {50, 10, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsOnBanner(c.x, c.y), c.on) << c.x << "," << c.y;
}

TEST(WindowRulesTest, PicturesMustHaveExactlyTheirAreaSize)
{
    EXPECT_TRUE(PictureFitsArea(288, 380, kTopPictureArea));
    EXPECT_FALSE(PictureFitsArea(287, 380, kTopPictureArea));
    EXPECT_FALSE(PictureFitsArea(289, 380, kTopPictureArea));
    EXPECT_FALSE(PictureFitsArea(288, 381, kTopPictureArea));
    EXPECT_FALSE(PictureFitsArea(200, 40, kTopPictureArea));
    EXPECT_TRUE(PictureFitsArea(200, 40, kBannerArea));
    EXPECT_FALSE(PictureFitsArea(400, 80, kBannerArea));
}

TEST(WindowRulesTest, CenteringSplitsTheDifferenceInIntegerHalves)
{
    const struct {
        int left, top, width, height, innerWidth, innerHeight, x, y;
    } cases[] = {
        {0, 0, 100, 50, 60, 30, 20, 10},
        {10, 20, 101, 51, 60, 30, 30, 30},  // odd differences round toward the start
        {4, 4, 100, 100, 100, 100, 4, 4},
        {0, 0, 100, 100, 120, 110, -10, -5},  // larger inner sizes start before the rectangle
    };
    for (const auto& c : cases) {
        const Position p = CenterIn(c.left, c.top, c.width, c.height, c.innerWidth, c.innerHeight);
        EXPECT_EQ(p.x, c.x);
        EXPECT_EQ(p.y, c.y);
    }
}

}  // namespace
}  // namespace Launcher
