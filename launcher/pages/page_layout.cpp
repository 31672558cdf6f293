#include "launcher/pages/page_layout.h"

#include <algorithm>

namespace Launcher {
namespace {

bool Overlap(int a0, int a1, int b0, int b1)
{
    return a0 < b1 && b0 < a1;
}

int HeightAt(const PageItem& item, int width)
{
    return item.heightAt ? item.heightAt(width) : item.lineHeight;
}

bool Fits(const PageItem& item)
{
    const int width = item.box.Width();
    if (item.heightAt)
        return item.heightAt(width) <= item.box.Height();
    return item.lineWidth <= width && item.lineHeight <= item.box.Height();
}

// As wide as the text needs on one line, as far as the page and the controls on that side
// allow; never narrower than it is.
void Widen(std::vector<PageItem>& items, size_t index, const Box& page, int margin, int gap)
{
    Box& box = items[index].box;
    if (items[index].kind == TextKind::RightAligned) {
        int limit = page.left + margin;
        for (size_t j = 0; j < items.size(); ++j) {
            const Box& other = items[j].box;
            if (j != index && Overlap(box.top, box.bottom, other.top, other.bottom) && other.right <= box.left)
                limit = std::max(limit, other.right + gap);
        }
        box.left = std::min(box.left, std::max(box.right - items[index].lineWidth, limit));
        return;
    }
    int limit = page.right - margin;
    for (size_t j = 0; j < items.size(); ++j) {
        const Box& other = items[j].box;
        if (j != index && Overlap(box.top, box.bottom, other.top, other.bottom) && other.left >= box.right)
            limit = std::min(limit, other.left - gap);
    }
    box.right = std::max(box.right, std::min(box.left + items[index].lineWidth, limit));
}

// As tall as the text needs at its width, between the controls above and below it: a label
// about its middle, so that it stays beside what it names; other texts downward first.
void Heighten(std::vector<PageItem>& items, size_t index, const Box& page, int margin, int gap)
{
    Box& box = items[index].box;
    const int need = HeightAt(items[index], box.Width());
    if (need <= box.Height())
        return;
    int top = page.top + margin;
    int bottom = page.bottom - margin;
    for (size_t j = 0; j < items.size(); ++j) {
        const Box& other = items[j].box;
        if (j == index || !Overlap(box.left, box.right, other.left, other.right))
            continue;
        if (other.bottom <= box.top)
            top = std::max(top, other.bottom + gap);
        else if (other.top >= box.bottom)
            bottom = std::min(bottom, other.top - gap);
    }
    top = std::min(top, box.top);
    bottom = std::max(bottom, box.bottom);
    const int height = std::min(need, bottom - top);
    int newTop = items[index].kind == TextKind::RightAligned ? (box.top + box.bottom) / 2 - height / 2 : box.top;
    newTop = std::max(top, std::min(newTop, bottom - height));
    box.top = newTop;
    box.bottom = newTop + height;
}

}  // namespace

void FitTexts(std::vector<PageItem>& items, const Box& page, int margin, int gap)
{
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].kind == TextKind::Obstacle || Fits(items[i]))
            continue;
        Widen(items, i, page, margin, gap);
        Heighten(items, i, page, margin, gap);
    }
}

std::array<KeyColumn, kKeyColumns> PlaceKeyColumns(int pageWidth, int margin, int labelGap, int boxWidth,
                                                    const std::array<int, kKeyColumns>& labelWidths)
{
    std::array<int, kKeyColumns> widths = labelWidths;
    const int room = pageWidth - 2 * margin - static_cast<int>(kKeyColumns) * (labelGap + boxWidth);
    int labels = 0;
    for (int width : widths)
        labels += width;
    if (labels > room && labels > 0) {
        const int excess = labels - std::max(room, 0);
        for (int& width : widths)
            width = std::max(0, width - (excess * width + labels - 1) / labels);
    }
    int used = 0;
    for (int width : widths)
        used += width;
    const int between = std::max(0, room - used) / static_cast<int>(kKeyColumns - 1);

    std::array<KeyColumn, kKeyColumns> columns;
    int x = margin;
    for (size_t c = 0; c < kKeyColumns; ++c) {
        columns[c] = {x, widths[c], x + widths[c] + labelGap, boxWidth};
        x = columns[c].boxLeft + boxWidth + between;
    }
    return columns;
}

}  // namespace Launcher
