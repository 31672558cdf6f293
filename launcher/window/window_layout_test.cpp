#include "launcher/window/window_layout.h"

#include <gtest/gtest.h>

#include <string>

namespace Launcher {
namespace {

std::string Text(const Box& b)
{
    return std::to_string(b.left) + "," + std::to_string(b.top) + "-" + std::to_string(b.right) + "," +
           std::to_string(b.bottom);
}

TEST(WindowLayoutTest, PictureAreasScaleWithTheScreensDpiToTheNearestPixel)
{
    const struct {
        PictureArea area;
        int dpi;
        PictureArea scaled;
    } cases[] = {
        {kTopPictureArea, 96, {9, 10, 288, 380}},   {kTopPictureArea, 144, {14, 15, 432, 570}},
        {kTopPictureArea, 120, {11, 13, 360, 475}}, {kBannerArea, 144, {14, 591, 300, 60}},
        {kBannerArea, 192, {18, 788, 400, 80}},     {kBannerArea, 0, {9, 394, 200, 40}},  // no DPI: as laid out
    };
    for (const auto& c : cases) {
        const PictureArea s = ScaleArea(c.area, c.dpi);
        EXPECT_EQ(s.x, c.scaled.x) << c.dpi;
        EXPECT_EQ(s.y, c.scaled.y) << c.dpi;
        EXPECT_EQ(s.width, c.scaled.width) << c.dpi;
        EXPECT_EQ(s.height, c.scaled.height) << c.dpi;
    }
}

TEST(WindowLayoutTest, WindowGrowsOnlyWhereThePageOrThePicturesNeedIt)
{
    WindowLayout base;
    base.clientWidth = 300;
    base.clientHeight = 200;
    base.tab = {100, 5, 290, 160};
    base.display = {102, 25, 288, 158};  // 186 x 133
    base.buttons = {{150, 170, 200, 190}, {210, 170, 290, 190}};
    struct Case {
        const char* what;
        int pageWidth, pageHeight;
        std::optional<PictureColumn> pictures;
        int clientWidth, clientHeight;
        const char *tab, *display, *first, *second;
    };
    const Case cases[] = {
        {"all fits", 186, 133, PictureColumn{{9, 10, 80, 120}, {9, 134, 60, 20}}, 300, 200, "100,5-290,160",
         "102,25-288,158", "150,170-200,190", "210,170-290,190"},
        {"pictures reach past the tabs: everything right of them moves", 186, 133,
         PictureColumn{{9, 10, 100, 120}, {9, 134, 60, 20}}, 313, 200, "113,5-303,160", "115,25-301,158",
         "163,170-213,190", "223,170-303,190"},
        {"a wide banner counts as well", 186, 133, PictureColumn{{9, 10, 80, 120}, {9, 134, 95, 20}}, 308, 200,
         "108,5-298,160", "110,25-296,158", "158,170-208,190", "218,170-298,190"},
        {"a larger page: the tabs grow right and down, the buttons follow", 200, 150, std::nullopt, 314, 217,
         "100,5-304,177", "102,25-302,175", "164,187-214,207", "224,187-304,207"},
        {"a banner below the client area: taller", 186, 133, PictureColumn{{9, 10, 80, 120}, {9, 134, 60, 70}}, 300,
         208, "100,5-290,168", "102,25-288,166", "150,178-200,198", "210,178-290,198"},
        {"both", 190, 140, PictureColumn{{9, 10, 100, 120}, {9, 134, 60, 20}}, 317, 207, "113,5-307,167",
         "115,25-305,165", "167,177-217,197", "227,177-307,197"},
    };
    for (const Case& c : cases) {
        const WindowLayout layout = LayOutWindow(base, c.pageWidth, c.pageHeight, c.pictures, 4);
        EXPECT_EQ(layout.clientWidth, c.clientWidth) << c.what;
        EXPECT_EQ(layout.clientHeight, c.clientHeight) << c.what;
        EXPECT_EQ(Text(layout.tab), c.tab) << c.what;
        EXPECT_EQ(Text(layout.display), c.display) << c.what;
        ASSERT_EQ(layout.buttons.size(), 2u);
        EXPECT_EQ(Text(layout.buttons[0]), c.first) << c.what;
        EXPECT_EQ(Text(layout.buttons[1]), c.second) << c.what;
    }
}

}  // namespace
}  // namespace Launcher
