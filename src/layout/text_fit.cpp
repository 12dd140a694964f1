#include "layout/text_fit.h"

#include <algorithm>

namespace {

bool SameRow(const FitBox& a, const FitBox& b) { return a.y < b.y + b.h && b.y < a.y + a.h; }

// Moves the children of one parent along their rows; returns how far right they reach
// now, and how far they reached before, as (new, old). Their own widths are final.
std::pair<int, int> ShiftRows(const std::vector<int>& children, std::span<const FitBox> given,
                              std::vector<FitBox>& out)
{
    std::vector<int> order = children;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return given[a].x < given[b].x; });
    std::vector<int> shift(given.size(), 0);
    int oldReach = 0, newReach = 0;
    bool first = true;
    for (size_t k = 0; k < order.size(); ++k) {
        const int d = order[k];
        for (size_t j = 0; j < k; ++j) {
            const int c = order[j];
            if (!SameRow(given[c], given[d]) || given[c].x + given[c].w > given[d].x) continue;
            shift[d] = std::max(shift[d], shift[c] + out[c].w - given[c].w);
        }
        out[d].x = given[d].x + shift[d];
        const int oldRight = given[d].x + given[d].w;
        const int newRight = out[d].x + out[d].w;
        oldReach = first ? oldRight : std::max(oldReach, oldRight);
        newReach = first ? newRight : std::max(newReach, newRight);
        first = false;
    }
    return {newReach, oldReach};
}

// The width a parent needs so its contents keep the right margin they had.
int WidthFor(int width, std::pair<int, int> reach)
{
    const auto [newReach, oldReach] = reach;
    if (newReach <= oldReach) return width;
    return std::max(width, newReach + std::max(0, width - oldReach));
}

}  // namespace

FitLayout FitToText(std::span<const FitBox> boxes, int clientWidth)
{
    FitLayout layout{{boxes.begin(), boxes.end()}, clientWidth};
    std::vector<FitBox>& out = layout.boxes;
    const int count = static_cast<int>(boxes.size());
    std::vector<std::vector<int>> children(boxes.size());
    std::vector<int> topLevel;
    for (int i = 0; i < count; ++i) {
        out[i].w = std::max(boxes[i].w, boxes[i].minWidth);
        const int p = boxes[i].parent;
        (p >= 0 && p < i ? children[p] : topLevel).push_back(i);
    }
    // Parents come before their contents, so from the last box back each parent's
    // contents are final when it is reached.
    for (int i = count - 1; i >= 0; --i)
        if (!children[i].empty()) out[i].w = WidthFor(out[i].w, ShiftRows(children[i], boxes, out));
    if (!topLevel.empty()) layout.clientWidth = WidthFor(clientWidth, ShiftRows(topLevel, boxes, out));
    return layout;
}
