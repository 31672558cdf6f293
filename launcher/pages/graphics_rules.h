#pragma once

#include <array>
#include <cstddef>

// What the graphics page's lists offer and which setting each entry stands for.
namespace Launcher {

struct ListEntry {
    const char* text;
    int value;
};

// Entries top to bottom. The page fills a list by inserting each entry at the top, walking
// the table from its end, so the list shows them in this order.
inline constexpr std::array<ListEntry, 3> kVRAMCacheEntries = {{{"最大", 0}, {"大", 512}, {"小", 256}}};
inline constexpr std::array<ListEntry, 3> kFileCacheEntries = {{{"大", 512}, {"中", 256}, {"小", 128}}};
inline constexpr std::array<ListEntry, 5> kScreenSizeEntries = {
    {{"3.0", 4}, {"2.5", 3}, {"2.0", 2}, {"1.5", 1}, {"1.0", 0}}};

// The setting chosen by a list position. The cache lists treat every position after the
// second as their last entry.
int VRAMCacheAtPosition(int position);
int FileCacheAtPosition(int position);
// The screen size index is 4 minus the position; -1 for a position outside the list, which
// leaves the setting as it was.
int ScreenSizeAtPosition(int position);

// The list position that shows a loaded setting; -1 for a value no entry stands for.
int PositionOfVRAMCache(int value);
int PositionOfFileCache(int value);
int PositionOfScreenSize(int value);

// What happens when the high-quality box is clicked.
enum class HighQualityAction {
    TurnOn,   // ticked
    Ask,      // unticked while on: the player confirms, or the box is ticked again
    Nothing,  // unticked while already off
};
HighQualityAction HighQualityActionFor(bool ticked, bool highQuality);

}  // namespace Launcher
