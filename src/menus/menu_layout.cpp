#include "menus/menu_layout.h"

#include "menus/item_geometry.h"

namespace {

int64_t Room(const ColumnLayoutInput& in) { return int64_t{in.workHeight} - in.frameHeight; }

// Columns are only worth it when all of them fit side by side in the work area.
bool UseColumnBreaks(size_t entryCount, const ColumnLayoutInput& in)
{
    // A failed work-area query leaves 0: without a height there is nothing to split by.
    if (!in.breakIfPossible || Room(in) <= 0) return false;
    const int64_t height = static_cast<int64_t>(entryCount) * EntryHeight(in.iconSize, in.dpi) + in.fixedHeight;
    const int64_t columns = height / Room(in) + 1;
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
    std::vector<bool> starts(isSeparator.size() + 1, false);
    if (!UseColumnBreaks(isSeparator.size(), in)) return starts;

    const int64_t h = EntryHeight(in.iconSize, in.dpi);
    const int64_t room = Room(in);
    int64_t running = 0;
    size_t last = isSeparator.size();  // the last command entry, none yet
    size_t inColumn = 0;               // command entries in the current column
    for (size_t k = 0; k < isSeparator.size(); ++k) {
        if (isSeparator[k]) continue;
        // Even when one entry is taller than the work area, the first stays in column one.
        if (last == isSeparator.size() || running + h < room) {
            running += h;
            ++inColumn;
        } else {
            starts[k] = true;
            running = h;
            inColumn = 1;
        }
        last = k;
    }
    if (in.fixedHeight <= 0 || last == isSeparator.size() || running + in.fixedHeight < room) return starts;
    // The fixed part does not fit below the last column: the last entry goes along with it
    // into a column of their own, or, where even that is too high, the fixed part alone.
    if (inColumn > 1 && h + in.fixedHeight < room) starts[last] = true;
    else starts.back() = true;
    return starts;
}

std::string_view MeasuredDescription(std::string_view description)
{
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' ' || c == 0x7F; };
    while (!description.empty() && blank(description.front())) description.remove_prefix(1);
    while (!description.empty() && blank(description.back())) description.remove_suffix(1);
    return description;
}
