// Where the parts of an owner-drawn popup entry go, for an icon size s with u = s / 16.
// Platform-neutral.
#pragma once

#include <cstdint>

struct ItemGeometry {
    int u = 0;
    int height = 0;         // s + 2u
    int iconLeft = 0;       // u
    int textLeft = 0;       // s + 4u
    int highlightLeft = 0;  // s + 3u
    int frameSize = 0;      // s + 2u, width and height of the frame of a chosen entry
};
ItemGeometry GeometryFor(int iconSize);

// MaxTextWidth + s + 4u, capped at screenWidth - 64. Computed wide so that no text width
// can overflow, and never negative (a negative width would read as a huge unsigned one).
uint32_t ItemWidth(int32_t maxTextWidth, int iconSize, int screenWidth);

// Vertical positions inside an entry whose rectangle runs from top to bottom.
struct ItemPlacement {
    int iconX = 0;
    int iconY = 0;
    int textLeft = 0;
    int highlightLeft = 0;  // meaningful for a chosen entry only
    int frameLeft = 0, frameTop = 0, frameRight = 0, frameBottom = 0;
};
// The chosen entry's icon sits one pixel higher, inside a raised frame.
ItemPlacement PlaceItem(int iconSize, int left, int top, int bottom, bool selected);

// The size of the pictures an entry shows: its own for 16, 32 and 64, the 32-pixel
// picture for any other icon size.
int PictureSizeFor(int iconSize);
