#include "kiln/core/screen_size.h"

#include "kiln/base/text.h"

namespace Kiln {

ScreenSize ScreenSizeForWideScreen(std::string_view value)
{
    const std::string lowered = AsciiLower(value);
    if (lowered == "2")
        return {1280, 720};
    if (lowered == "1")
        return {832, 480};
    return {640, 480};
}

}  // namespace Kiln
