#include "win/anchor_layout.h"

#include <algorithm>
#include <cmath>

namespace {
int Moved(LONG edge, double share, int growth) { return static_cast<int>(edge + std::lround(share * growth)); }
}  // namespace

void AnchorLayout::Add(HWND control, Anchor anchor)
{
    if (control) entries_.push_back({control, anchor});
}

void AnchorLayout::Capture(HWND parent, const SIZE* laidOutFor)
{
    parent_ = parent;
    RECT client{};
    GetClientRect(parent, &client);
    client_ = laidOutFor ? *laidOutFor : SIZE{client.right, client.bottom};
    RECT frame{0, 0, client_.cx, client_.cy};
    auto style = static_cast<DWORD>(GetWindowLongPtrW(parent, GWL_STYLE));
    auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(parent, GWL_EXSTYLE));
    AdjustWindowRectEx(&frame, style, GetMenu(parent) != nullptr, exStyle);
    minimumWindow_ = {frame.right - frame.left, frame.bottom - frame.top};
    for (Entry& e : entries_) {
        GetWindowRect(e.control, &e.captured);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&e.captured), 2);
    }
    Apply();
}

void AnchorLayout::Apply() const
{
    if (!parent_ || entries_.empty()) return;
    RECT client{};
    GetClientRect(parent_, &client);
    // Smaller than captured only while minimised or before the minimum holds: the
    // controls then keep their captured places rather than fold over each other.
    int dx = std::max(0L, client.right - client_.cx);
    int dy = std::max(0L, client.bottom - client_.cy);
    for (const Entry& e : entries_) {
        const RECT& r = e.captured;
        int left = Moved(r.left, e.anchor.left, dx);
        int top = Moved(r.top, e.anchor.top, dy);
        int right = Moved(r.right, e.anchor.right, dx);
        int bottom = Moved(r.bottom, e.anchor.bottom, dy);
        // A drop-down combo box's window is taller than it looks: resized to what it
        // reports, its list would no longer open. Controls that only move keep their size.
        UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
        if (e.anchor.left == e.anchor.right && e.anchor.top == e.anchor.bottom) flags |= SWP_NOSIZE;
        SetWindowPos(e.control, nullptr, left, top, right - left, bottom - top, flags | SWP_NOREDRAW);
    }
    // Group boxes and panels paint nothing of their own inside: what moved away must go.
    RedrawWindow(parent_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void AnchorLayout::LimitTracking(MINMAXINFO& limits) const
{
    if (!parent_) return;
    limits.ptMinTrackSize.x = std::max(limits.ptMinTrackSize.x, minimumWindow_.cx);
    limits.ptMinTrackSize.y = std::max(limits.ptMinTrackSize.y, minimumWindow_.cy);
}
