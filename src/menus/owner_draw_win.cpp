#include "menus/owner_draw_win.h"

#include "config/model.h"
#include "menus/menu_layout.h"
#include "menus/menus_win.h"
#include "win/handles.h"

#include <algorithm>

namespace {

const TOneItem* EntryOf(int activeMenu, UINT itemId)
{
    TOneMenu* menu = MenuAt(activeMenu);
    if (!menu || itemId >= menu->Items.size()) return nullptr;
    return menu->Items[itemId].get();
}

}  // namespace

bool MeasureMenuEntry(MEASUREITEMSTRUCT& measure, int activeMenu)
{
    if (measure.CtlType != ODT_MENU) return false;
    TOneMenu* menu = MenuAt(activeMenu);
    if (!menu || !EntryOf(activeMenu, measure.itemID)) return false;
    int64_t width = ColumnWidth(menu->MaxTextWidth, Konfig.IconSize);
    int64_t limit = GetSystemMetrics(SM_CXSCREEN) - 64;
    measure.itemWidth = static_cast<UINT>(std::clamp<int64_t>(width, 0, std::max<int64_t>(limit, 0)));
    measure.itemHeight = static_cast<UINT>(std::max(EntryHeight(Konfig.IconSize), 0));
    return true;
}

bool DrawMenuEntry(const DRAWITEMSTRUCT& draw, int activeMenu)
{
    if (draw.CtlType != ODT_MENU) return false;
    const TOneItem* entry = EntryOf(activeMenu, draw.itemID);
    if (!entry) return false;
    bool selected = (draw.itemState & ODS_SELECTED) != 0;
    int s = Konfig.IconSize;
    int u = s / 16;

    FillRect(draw.hDC, &draw.rcItem, GetSysColorBrush(COLOR_MENU));
    RECT text = draw.rcItem;
    if (selected) {
        RECT highlight = draw.rcItem;
        highlight.left += s + 3 * u;
        FillRect(draw.hDC, &highlight, GetSysColorBrush(COLOR_HIGHLIGHT));
    }
    text.left += s + 4 * u;
    HGDIOBJ oldFont = SelectObject(draw.hDC, MenuFont() ? MenuFont() : GetStockObject(DEFAULT_GUI_FONT));
    int oldMode = SetBkMode(draw.hDC, TRANSPARENT);
    COLORREF oldColor = SetTextColor(draw.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
    ScopeGuard restore([&] {
        SetTextColor(draw.hDC, oldColor);
        SetBkMode(draw.hDC, oldMode);
        SelectObject(draw.hDC, oldFont);
    });
    DrawTextA(draw.hDC, entry->Description.c_str(), -1, &text,
              DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    return true;
}
