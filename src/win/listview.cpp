#include "win/listview.h"

#include "win/text_conversion.h"

#include <string>

int ListViewSelectedIndex(HWND list)
{
    if (SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0) != 1) return -1;
    return static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void ListViewSelect(HWND list, int index)
{
    LVITEMW state{};
    if (index < 0) {
        state.stateMask = LVIS_SELECTED;
        SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
        return;
    }
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&state));
    ListViewEnsureVisible(list, index);
}

void ListViewEnsureVisible(HWND list, int index)
{
    SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), FALSE);
}

void ListViewAddItem(HWND list, const char* text, int image)
{
    std::wstring wide = Wide(text);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = wide.data();
    item.iImage = image;
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void ListViewSetItemCount(HWND list, size_t count)
{
    SendMessageW(list, LVM_SETITEMCOUNT, count, 0);
    DWORD view = static_cast<DWORD>(GetWindowLongPtrW(list, GWL_STYLE)) & LVS_TYPEMASK;
    if (view != LVS_ICON && view != LVS_SMALLICON) return;
    // Wine keeps an owner-data icon view's item places from its last arrangement: items
    // beyond that count would all sit at the top left, out of the scroll range. Arranging
    // gives each its place; the count set again fits the scroll range to those places.
    // Windows places such items by itself and arranges them the same way.
    SendMessageW(list, LVM_ARRANGE, LVA_DEFAULT, 0);
    SendMessageW(list, LVM_SETITEMCOUNT, count, 0);
}

void ListViewSetImageList(HWND list, int kind, HIMAGELIST images)
{
    SendMessageW(list, LVM_SETIMAGELIST, static_cast<WPARAM>(kind), reinterpret_cast<LPARAM>(images));
}

bool ListViewSelectionChanged(const NMHDR& header)
{
    const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
    return (change.uChanged & LVIF_STATE) && ((change.uOldState ^ change.uNewState) & LVIS_SELECTED);
}

void ListViewShowFocusedOnKey(const NMHDR& header)
{
    const auto& key = reinterpret_cast<const NMLVKEYDOWN&>(header);
    switch (key.wVKey) {
    case VK_HOME: case VK_END: case VK_PRIOR: case VK_NEXT: case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN:
        break;
    default:
        return;
    }
    // Wine's list scrolls only when a key moves the focus: End on a focused last item the
    // user scrolled away from would leave it unseen. Showing it first covers that case,
    // and a key that does move the focus scrolls once more to its new item.
    int focused = static_cast<int>(SendMessageW(header.hwndFrom, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    if (focused >= 0) ListViewEnsureVisible(header.hwndFrom, focused);
}
