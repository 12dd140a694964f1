#include "menus/menu_layout.h"

#include "menus/item_geometry.h"

namespace {

// Columns are only worth it when all of them fit side by side in the work area.
bool UseColumnBreaks(size_t entryCount, const ColumnLayoutInput& in)
{
    // A failed work-area query leaves 0: without a height there is nothing to split by.
    if (!in.breakIfPossible || in.workHeight <= 0) return false;
    int64_t columns = static_cast<int64_t>(entryCount) * EntryHeight(in.iconSize, in.dpi) / in.workHeight + 1;
    return columns * ColumnWidth(in.maxTextWidth, in.iconSize, in.dpi) < in.workWidth;
}

}  // namespace

int EntryHeight(int iconSize, int dpi) { return GeometryFor(iconSize, dpi).height; }

int64_t ColumnWidth(int maxTextWidth, int iconSize, int dpi)
{
    return static_cast<int64_t>(maxTextWidth) + GeometryFor(iconSize, dpi).textLeft;
}

std::vector<bool> ColumnStarts(const std::vector<bool>& isSeparator, const ColumnLayoutInput& in)
{
    std::vector<bool> starts(isSeparator.size(), false);
    if (!UseColumnBreaks(isSeparator.size(), in)) return starts;

    const int64_t h = EntryHeight(in.iconSize, in.dpi);
    const int64_t limit = static_cast<int64_t>(in.workHeight) - h;
    int64_t running = 0;
    bool firstCommand = true;
    for (size_t k = 0; k < isSeparator.size(); ++k) {
        if (isSeparator[k]) continue;
        // Even when one entry is taller than the work area, the first stays in column one.
        if (firstCommand || running < limit) {
            running += h;
        } else {
            starts[k] = true;
            running = h;
        }
        firstCommand = false;
    }
    return starts;
}

std::string_view MeasuredDescription(std::string_view description)
{
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' ' || c == 0x7F; };
    while (!description.empty() && blank(description.front())) description.remove_prefix(1);
    while (!description.empty() && blank(description.back())) description.remove_suffix(1);
    return description;
}
