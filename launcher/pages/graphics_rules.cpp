#include "launcher/pages/graphics_rules.h"

namespace Launcher {
namespace {

template <size_t N>
int PositionOf(const std::array<ListEntry, N>& entries, int value)
{
    for (size_t i = 0; i < N; ++i) {
        if (entries[i].value == value)
            return static_cast<int>(i);
    }
    return -1;
}

}  // namespace

int VRAMCacheAtPosition(int position)
{
    if (position == 0)
        return 0;
    if (position == 1)
        return 512;
    return 256;
}

int FileCacheAtPosition(int position)
{
    if (position == 0)
        return 512;
    if (position == 1)
        return 256;
    return 128;
}

int ScreenSizeAtPosition(int position)
{
    constexpr int kLastPosition = static_cast<int>(kScreenSizeEntries.size()) - 1;
    if (position < 0 || position > kLastPosition)
        return -1;
    return kLastPosition - position;
}

int PositionOfVRAMCache(int value)
{
    return PositionOf(kVRAMCacheEntries, value);
}

int PositionOfFileCache(int value)
{
    return PositionOf(kFileCacheEntries, value);
}

int PositionOfScreenSize(int value)
{
    return PositionOf(kScreenSizeEntries, value);
}

HighQualityAction HighQualityActionFor(bool ticked, bool highQuality)
{
    if (ticked)
        return HighQualityAction::TurnOn;
    return highQuality ? HighQualityAction::Ask : HighQualityAction::Nothing;
}

}  // namespace Launcher
