#include "launcher/pages/page_layout.h"

#include <gtest/gtest.h>

#include <string>

namespace Launcher {
namespace {

std::string Text(const Box& b)
{
    return std::to_string(b.left) + "," + std::to_string(b.top) + "-" + std::to_string(b.right) + "," +
           std::to_string(b.bottom);
}

PageItem Obstacle(Box box)
{
    return {box, TextKind::Obstacle, 0, nullptr, 0};
}

PageItem OneLine(Box box, TextKind kind, int width)
{
    return {box, kind, width, nullptr, 10};
}

// A text of `length` pixels on one line that wraps into lines 10 pixels high.
PageItem Wrapping(Box box, TextKind kind, int length)
{
    return {box, kind, length, [length](int width) { return 10 * ((length + width - 1) / width); }, 10};
}

TEST(PageLayoutTest, TextsTakeTheFreeRoomBesideThenAroundThem)
{
    const Box page = {0, 0, 200, 100};
    struct Case {
        const char* what;
        std::vector<PageItem> items;
        size_t fitted;  // the item whose place is checked
        const char* box;
    };
    const Case cases[] = {
        {"fits already: stays", {OneLine({10, 10, 60, 20}, TextKind::LeftAligned, 50)}, 0, "10,10-60,20"},
        {"wider to the right, as far as it needs",
         {OneLine({10, 10, 60, 20}, TextKind::LeftAligned, 80), Obstacle({100, 10, 150, 20})}, 0, "10,10-90,20"},
        {"wider to the right, up to the next control less the gap",
         {OneLine({10, 10, 60, 20}, TextKind::LeftAligned, 120), Obstacle({100, 12, 150, 18})}, 0, "10,10-96,20"},
        {"a control above or below does not stop it widening",
         {OneLine({10, 10, 60, 20}, TextKind::LeftAligned, 120), Obstacle({70, 20, 150, 30})}, 0, "10,10-130,20"},
        {"up to the page's edge less the margin", {OneLine({10, 10, 60, 20}, TextKind::LeftAligned, 300)}, 0,
         "10,10-198,20"},
        {"a label grows left", {OneLine({40, 40, 60, 50}, TextKind::RightAligned, 70), Obstacle({0, 40, 20, 50})}, 0,
         "24,40-60,50"},
        {"a label that must wrap grows about its middle between its neighbours",
         {Obstacle({0, 20, 50, 30}), Wrapping({40, 40, 60, 50}, TextKind::RightAligned, 70), Obstacle({0, 70, 50, 80})},
         1, "2,35-60,55"},
        {"a label with no room above grows down",
         {Obstacle({0, 20, 50, 38}), Wrapping({40, 40, 60, 50}, TextKind::RightAligned, 70), Obstacle({0, 70, 50, 80})},
         1, "2,40-60,60"},
        {"no room for a whole text: as much as there is",
         {Obstacle({0, 20, 50, 38}), Wrapping({40, 40, 60, 50}, TextKind::RightAligned, 200), Obstacle({0, 58, 50, 80})},
         1, "2,40-60,54"},
        {"a wrapping note fits by widening alone",
         {Wrapping({10, 60, 60, 80}, TextKind::LeftAligned, 150), Obstacle({120, 70, 150, 80})}, 0, "10,60-116,80"},
        {"a wrapping note grows downward when widening is not enough",
         {Wrapping({10, 60, 60, 80}, TextKind::LeftAligned, 150), Obstacle({80, 70, 150, 80})}, 0, "10,60-76,90"},
        {"a fitted text is in the way of the next",
         {OneLine({10, 30, 30, 40}, TextKind::LeftAligned, 100), OneLine({130, 30, 150, 40}, TextKind::RightAligned, 60)},
         1, "114,30-150,40"},
    };
    for (const Case& c : cases) {
        std::vector<PageItem> items = c.items;
        FitTexts(items, page, 2, 4);
        EXPECT_EQ(Text(items[c.fitted].box), c.box) << c.what;
    }
}

TEST(PageLayoutTest, KeyColumnsShareThePageWidth)
{
    const struct {
        const char* what;
        int pageWidth;
        std::array<int, kKeyColumns> labels;
        std::array<int, kKeyColumns> labelLefts, labelWidths, boxLefts;
    } cases[] = {
        {"room to spare goes between the columns", 400, {10, 30, 10, 10}, {4, 104, 224, 324}, {10, 30, 10, 10},
         {16, 136, 236, 336}},
        {"no room to spare", 316, {10, 30, 10, 10}, {4, 76, 168, 240}, {10, 30, 10, 10}, {16, 108, 180, 252}},
        {"too narrow: the labels give up the difference", 280, {10, 30, 10, 10}, {4, 70, 144, 210}, {4, 12, 4, 4},
         {10, 84, 150, 216}},
    };
    for (const auto& c : cases) {
        const auto columns = PlaceKeyColumns(c.pageWidth, 4, 2, 60, c.labels);
        for (size_t i = 0; i < kKeyColumns; ++i) {
            EXPECT_EQ(columns[i].labelLeft, c.labelLefts[i]) << c.what << ", column " << i;
            EXPECT_EQ(columns[i].labelWidth, c.labelWidths[i]) << c.what << ", column " << i;
            EXPECT_EQ(columns[i].boxLeft, c.boxLefts[i]) << c.what << ", column " << i;
            EXPECT_EQ(columns[i].boxWidth, 60) << c.what << ", column " << i;
        }
    }
}

}  // namespace
}  // namespace Launcher
