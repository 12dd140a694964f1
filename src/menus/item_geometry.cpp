#include "menus/item_geometry.h"

#include <algorithm>

ItemGeometry GeometryFor(int iconSize)
{
    ItemGeometry g;
    g.u = iconSize / 16;
    g.height = iconSize + 2 * g.u;
    g.iconLeft = g.u;
    g.textLeft = iconSize + 4 * g.u;
    g.highlightLeft = iconSize + 3 * g.u;
    g.frameSize = iconSize + 2 * g.u;
    return g;
}

uint32_t ItemWidth(int32_t maxTextWidth, int iconSize, int screenWidth)
{
    const ItemGeometry g = GeometryFor(iconSize);
    int64_t width = int64_t{std::max(maxTextWidth, int32_t{0})} + iconSize + 4 * int64_t{g.u};
    int64_t limit = int64_t{screenWidth} - 64;
    if (width > limit) width = limit;
    return static_cast<uint32_t>(std::clamp<int64_t>(width, 0, UINT32_MAX));
}

ItemPlacement PlaceItem(int iconSize, int left, int top, int bottom, bool selected)
{
    const ItemGeometry g = GeometryFor(iconSize);
    const int mid = top + (bottom - top) / 2;
    ItemPlacement p;
    p.iconX = left + g.iconLeft;
    p.iconY = mid - iconSize / 2 - (selected ? 1 : 0);
    p.textLeft = left + g.textLeft;
    p.highlightLeft = left + g.highlightLeft;
    p.frameLeft = left;
    p.frameTop = mid - iconSize / 2 - g.u;
    p.frameRight = left + g.frameSize;
    p.frameBottom = p.frameTop + g.frameSize;
    return p;
}

int PictureSizeFor(int iconSize)
{
    if (iconSize == 16 || iconSize == 64) return iconSize;
    return 32;
}
