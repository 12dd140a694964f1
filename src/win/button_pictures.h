// Pictures on a form's buttons, kept as long as the form.
#pragma once

#include "win/handles.h"

#include <windows.h>

#include <vector>

class ButtonPictures {
public:
    // The button shows only that icon instead of its caption.
    void SetIcon(HWND button, UniqueIcon icon);
    // Picture `index` of `strip` beside the caption (left or right of it), at the strip's
    // cell size; shown by buttons of common controls 6, ignored by older ones. Called again
    // (for another DPI), it replaces the button's picture, or leaves the caption alone when
    // the larger picture would cut it.
    void SetGlyph(HWND button, HIMAGELIST strip, int index, bool right = false);

private:
    std::vector<UniqueIcon> icons_;
    struct Glyph {
        HWND button;
        UniqueImageList pictures;
    };
    std::vector<Glyph> glyphs_;
};
