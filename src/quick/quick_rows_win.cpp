#include "quick/quick_rows_win.h"

#include "config/model.h"
#include "config/theme_win.h"
#include "launch/launch_win.h"
#include "menus/menu_images_win.h"
#include "menus/menus_win.h"
#include "quick/quick_match.h"
#include "win/dpi.h"
#include "win/text_conversion.h"

#include <commctrl.h>

#include <string>

const TOneItem* QuickEntry(int menu, int item)
{
    const TOneMenu* owner = MenuAt(menu);
    if (!owner || item < 0 || static_cast<size_t>(item) >= owner->Items.size()) return nullptr;
    return owner->Items[static_cast<size_t>(item)].get();
}

void LaunchFromQuickBox(int menu, int item, bool asAdministrator)
{
    if (!QuickEntry(menu, item)) return;
    if (asAdministrator) LaunchItemAsAdministrator(menu, item);
    else LaunchItem(menu, item, false);
}

void DrawQuickRow(HDC dc, HWND list, const QuickRow& row, const RECT& place)
{
    const TOneItem* item = QuickEntry(row.menu, row.item);
    if (!item) return;
    const TOneMenu& menu = *MenuAt(row.menu);
    const SurfaceColours colours = SurfaceColoursNow();
    if (row.selected) FillRect(dc, &place, SolidBrush(colours.selectedBack));

    const int pad = ScaleByDpi(3, row.dpi), size = row.pictureSize;
    RECT picture{place.left + pad, place.top + (place.bottom - place.top - size) / 2, 0, 0};
    picture.right = picture.left + size;
    picture.bottom = picture.top + size;
    if (ImageListMenuImages* images = ImageListOf(menu)) {
        // A placeholder drawn now is drawn again once the entry's picture is made.
        images->MarkShownPending(row.item, size, list, &place);
        ImageList_Draw(images->Handle(size), images->PictureIndex(row.item, size), dc, picture.left, picture.top,
                       ILD_NORMAL);
    }

    SetBkMode(dc, TRANSPARENT);
    RECT text = place;
    text.left = picture.right + 2 * pad;
    text.right -= pad;
    // The menu's name on the right, in at most a third of the row.
    RECT name = text;
    name.left = text.right - (text.right - text.left) / 3;
    const UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;
    const std::wstring menuName = Wide(menu.MenuName);
    SetTextColor(dc, row.selected ? colours.selectedText : colours.quietText);
    DrawTextW(dc, menuName.c_str(), static_cast<int>(menuName.size()), &name, format | DT_RIGHT);
    text.right = name.left - pad;
    const std::wstring description = Wide(DescriptionWithoutMnemonic(item->Description));
    SetTextColor(dc, row.selected ? colours.selectedText : colours.listText);
    DrawTextW(dc, description.c_str(), static_cast<int>(description.size()), &text, format);
}
