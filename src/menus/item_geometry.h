// Where the parts of an owner-drawn popup entry go, for an icon size s with u = s / 16.
// These lengths are at 96 DPI; at another DPI each of them is scaled by DPI / 96 (so the
// parts still add up: the height is the scaled s plus twice the scaled u).
// Platform-neutral.
#pragma once

#include <cstdint>

// A length given at 96 DPI, at `dpi`, rounded to the nearest pixel (halves away from
// zero, as MulDiv rounds).
int LengthAtDpi(int length, int dpi);

struct ItemGeometry {
    int iconSize = 0;       // s
    int u = 0;
    int height = 0;         // s + 2u
    int iconLeft = 0;       // u
    int textLeft = 0;       // s + 4u
    int highlightLeft = 0;  // s + 3u
    int frameSize = 0;      // s + 2u, width and height of the frame of a chosen entry
};
ItemGeometry GeometryFor(int iconSize, int dpi = 96);

// MaxTextWidth + s + 4u, capped at screenWidth - 64 (the margin scaled too). Computed
// wide so that no text width can overflow, and never negative (a negative width would
// read as a huge unsigned one).
uint32_t ItemWidth(int32_t maxTextWidth, int iconSize, int screenWidth, int dpi = 96);

// Vertical positions inside an entry whose rectangle runs from top to bottom.
struct ItemPlacement {
    int iconX = 0;
    int iconY = 0;
    int textLeft = 0;
    int highlightLeft = 0;  // meaningful for a chosen entry only
    int frameLeft = 0, frameTop = 0, frameRight = 0, frameBottom = 0;
};
// The chosen entry's icon sits one (scaled) pixel higher, inside a raised frame.
ItemPlacement PlaceItem(int iconSize, int left, int top, int bottom, bool selected, int dpi = 96);

// The size of the pictures an entry shows: its own for 16, 32 and 64, the 32-pixel
// picture for any other icon size; at another DPI that size scaled, so the picture is
// made at the size it is shown at.
int PictureSizeFor(int iconSize, int dpi = 96);
