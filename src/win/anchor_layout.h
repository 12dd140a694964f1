// Controls that follow the growth of their window: each edge of a control moves by a
// share of how much the client area has grown since the layout was captured. Works on
// pixels, so it holds at any DPI; a window that lays itself out again (a new DPI, a new
// font) captures again.
#pragma once

#include <windows.h>

#include <vector>

// The share of the growth each edge follows: 0 stays, 1 follows fully; shares between 0
// and 1 split the growth between controls stacked along one axis.
struct Anchor {
    double left = 0, top = 0, right = 0, bottom = 0;
};

class AnchorLayout {
public:
    void Add(HWND control, Anchor anchor);
    // Records every control's place in the parent's client area, and that client size as
    // the one the places were made for (`laidOutFor` when given, else the current one).
    // The window's size for that client size is its minimum. Then applies the current size.
    void Capture(HWND parent, const SIZE* laidOutFor = nullptr);
    // Moves and sizes the controls for the parent's current client size (on WM_SIZE).
    void Apply() const;
    // Keeps the window at least as large as the captured layout (on WM_GETMINMAXINFO).
    void LimitTracking(MINMAXINFO& limits) const;

private:
    struct Entry {
        HWND control;
        Anchor anchor;
        RECT captured{};
    };
    HWND parent_ = nullptr;
    SIZE client_{};
    SIZE minimumWindow_{};
    std::vector<Entry> entries_;
};
