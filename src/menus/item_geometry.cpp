#include "menus/item_geometry.h"

#include <algorithm>

int LengthAtDpi(int length, int dpi)
{
    const int64_t scaled = int64_t{length} * dpi;
    const int64_t rounded = (scaled >= 0 ? scaled + 48 : scaled - 48) / 96;
    return static_cast<int>(std::clamp<int64_t>(rounded, INT32_MIN, INT32_MAX));
}

ItemGeometry GeometryFor(int iconSize, int dpi)
{
    ItemGeometry g;
    g.iconSize = LengthAtDpi(iconSize, dpi);
    g.u = LengthAtDpi(iconSize / 16, dpi);
    g.height = g.iconSize + 2 * g.u;
    g.iconLeft = g.u;
    g.textLeft = g.iconSize + 4 * g.u;
    g.highlightLeft = g.iconSize + 3 * g.u;
    g.frameSize = g.iconSize + 2 * g.u;
    return g;
}

uint32_t ItemWidth(int32_t maxTextWidth, int iconSize, int screenWidth, int dpi)
{
    const ItemGeometry g = GeometryFor(iconSize, dpi);
    int64_t width = int64_t{std::max(maxTextWidth, int32_t{0})} + g.textLeft;
    int64_t limit = int64_t{screenWidth} - LengthAtDpi(64, dpi);
    if (width > limit) width = limit;
    return static_cast<uint32_t>(std::clamp<int64_t>(width, 0, UINT32_MAX));
}

ItemPlacement PlaceItem(int iconSize, int left, int top, int bottom, bool selected, int dpi)
{
    const ItemGeometry g = GeometryFor(iconSize, dpi);
    const int mid = top + (bottom - top) / 2;
    ItemPlacement p;
    p.iconX = left + g.iconLeft;
    p.iconY = mid - g.iconSize / 2 - (selected ? LengthAtDpi(1, dpi) : 0);
    p.textLeft = left + g.textLeft;
    p.highlightLeft = left + g.highlightLeft;
    p.frameLeft = left;
    p.frameTop = mid - g.iconSize / 2 - g.u;
    p.frameRight = left + g.frameSize;
    p.frameBottom = p.frameTop + g.frameSize;
    return p;
}

int PictureSizeFor(int iconSize, int dpi)
{
    const int atBase = (iconSize == 16 || iconSize == 64) ? iconSize : 32;
    return LengthAtDpi(atBase, dpi);
}
