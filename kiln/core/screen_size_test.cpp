#include "kiln/core/screen_size.h"

#include <gtest/gtest.h>

namespace Kiln {
namespace {

TEST(ScreenSizeTest, WideScreenPicksTheBaseScreenSize)
{
    const struct {
        const char* value;
        int width;
        int height;
    } cases[] = {
        {"2", 1280, 720}, {"1", 832, 480}, {"0", 640, 480},  {"2x", 640, 480}, {"12", 640, 480},
        {"02", 640, 480}, {"", 640, 480},  {" 2", 640, 480}, {"yes", 640, 480},
    };
    for (const auto& c : cases) {
        const ScreenSize size = ScreenSizeForWideScreen(c.value);
        EXPECT_EQ(size.width, c.width) << '"' << c.value << '"';
        EXPECT_EQ(size.height, c.height) << '"' << c.value << '"';
    }
}

}  // namespace
}  // namespace Kiln
