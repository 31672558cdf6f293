#pragma once

#include <array>
#include <functional>
#include <vector>

#include "launcher/window/window_layout.h"

// Where a page's controls go once their texts are measured: the templates place them in
// dialog units, but how wide a text is in dialog units depends on the font (a full-width
// character is as wide as the font is high, and the units follow the Latin letters).
namespace Launcher {

enum class TextKind {
    Obstacle,      // keeps its place; texts grow around it
    LeftAligned,   // grows right, and down when it wraps
    RightAligned,  // a label: grows left, and up and down about its middle when it wraps
};

// A control of a page, in page pixels.
struct PageItem {
    Box box;
    TextKind kind = TextKind::Obstacle;
    // The width its text needs on one line (a check box's with its check mark).
    int lineWidth = 0;
    // The height its text needs wrapped at a width; null for a text that never wraps.
    std::function<int(int width)> heightAt;
    int lineHeight = 0;
};

// Gives each text that does not fit the room it needs from the free space of the page,
// keeping every control's place: first wider, as far as the page's edge less `margin` or the
// next control less `gap` on that side; then, for a text that wraps, taller, as far as the
// controls above and below allow. Texts are fitted in order, each one an obstacle for the
// next. A text for which the page has no room keeps as much as there is.
void FitTexts(std::vector<PageItem>& items, const Box& page, int margin, int gap);

// The columns of a key page, in page pixels: each a label right-aligned against its key box.
struct KeyColumn {
    int labelLeft = 0, labelWidth = 0, boxLeft = 0, boxWidth = 0;
};
constexpr size_t kKeyColumns = 4;

// Columns side by side in a page `pageWidth` wide, `margin` from its edges: each label as
// wide as the widest label of its column needs, `labelGap` from its box, every box
// `boxWidth` wide, and what room is left spread evenly between the columns. When the page is
// too narrow, the labels give up the difference in proportion to their widths (they wrap).
std::array<KeyColumn, kKeyColumns> PlaceKeyColumns(int pageWidth, int margin, int labelGap, int boxWidth,
                                                    const std::array<int, kKeyColumns>& labelWidths);

}  // namespace Launcher
