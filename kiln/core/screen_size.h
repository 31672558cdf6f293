#pragma once

#include <string_view>

namespace Kiln {

struct ScreenSize {
    int width;
    int height;
};

// The engine's screen size for [Game] WideScreen: "2" is 1280x720, "1" is 832x480, anything
// else 640x480 (compared after ASCII lower-casing, so nothing but the digits matches).
ScreenSize ScreenSizeForWideScreen(std::string_view value);

}  // namespace Kiln
