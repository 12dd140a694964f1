// Where a form's controls go when some text needs more room than the table gives it.
// Each box is a control's rectangle in its parent's client area (the form's, or an earlier
// box's) and the width its text needs in the font and at the DPI it is shown with.
#pragma once

#include <span>
#include <vector>

struct FitBox {
    int x = 0, y = 0, w = 0, h = 0;
    int parent = -1;  // index of an earlier box; -1 for the form
    int minWidth = 0;  // 0 when the control has no text to fit
};

struct FitLayout {
    std::vector<FitBox> boxes;  // same order and parents as given
    int clientWidth = 0;
};

// A box narrower than its text grows to the right, and every box that follows it on its
// row (same parent, overlapping vertically, starting at or after its right edge) moves right
// by as much, so the gaps between them stay. A parent whose contents then reach past where
// they did grows so its right margin stays, and so in turn moves what follows it; the form
// grows the same way. Nothing shrinks and nothing moves up, down or left.
FitLayout FitToText(std::span<const FitBox> boxes, int clientWidth);
