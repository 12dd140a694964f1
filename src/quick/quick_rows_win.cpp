#include "quick/quick_rows_win.h"

#include "config/model.h"
#include "config/theme_win.h"
#include "launch/launch_win.h"
#include "menus/menu_images_win.h"
#include "menus/entry_picture_service_win.h"
#include "menus/menus_win.h"
#include "quick/quick_catalog.h"
#include "quick/quick_match.h"
#include "shell/environment_win.h"
#include "shell/idlist_win.h"
#include "shell/path_text.h"
#include "win/dpi.h"
#include "win/text_conversion.h"

#include <commctrl.h>
#include <shlobj.h>

#include <cstdio>
#include <string>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

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

void LaunchPathFromQuickBox(const std::string& path, const std::string& name, bool asAdministrator)
{
    LaunchPath(path, name, asAdministrator);
}

std::string EntryTarget(const TOneItem& item)
{
    if (item.IsPIDL) {
        // The bytes may hold anything; a digest keeps the history file text.
        uint64_t hash = 14695981039346656037ull;
        for (unsigned char c : item.Pfad) hash = (hash ^ c) * 1099511628211ull;
        char text[24];
        std::snprintf(text, sizeof(text), "%016llx", static_cast<unsigned long long>(hash));
        return std::string("pidl:") + text;
    }
    std::string key = TargetKey(item.Pfad);
    if (!item.Parameters.empty()) key += "|" + item.Parameters;
    return key;
}

namespace {

bool ShowListInFolder(const ITEMIDLIST* list)
{
    // A whole list with no children named: its parent opens with the item selected.
    return list && SUCCEEDED(SHOpenFolderAndSelectItems(list, 0, nullptr, 0));
}

}  // namespace

bool ShowInFolder(const std::string& path)
{
    const std::wstring wide = ExpandEnvironmentWide(path);
    ShellIdList list(ILCreateFromPathW(wide.c_str()));
    return ShowListInFolder(list.get());
}

bool ShowInFolder(const TOneItem& item)
{
    if (!item.IsPIDL) return ShowInFolder(item.Pfad);
    ShellIdList list = IdListFromBytes(item.Pfad);
    return ShowListInFolder(list.get());
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
        row.cache->Draw(dc, images->Handle(size), images->PictureIndex(row.item, size), {picture.left, picture.top},
                        size, row.selected ? colours.selectedBack : colours.listBack);
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

bool RowPictures::Key::operator<(const Key& o) const
{
    return std::tie(images, index, size, back) < std::tie(o.images, o.index, o.size, o.back);
}

void RowPictures::Draw(HDC dc, HIMAGELIST images, int index, POINT at, int size, COLORREF back)
{
    if (!images) return;
    // Typing through a long list shows many pictures: a bound keeps what is held small.
    if (bitmaps_.size() > 1024) bitmaps_.clear();
    if (!source_) source_.reset(CreateCompatibleDC(dc));
    if (!source_) return;
    HDC source = source_.get();
    const Key key{images, index, size, back};
    auto it = bitmaps_.find(key);
    if (it == bitmaps_.end()) {
        UniqueGdiObject bitmap(CreateCompatibleBitmap(dc, size, size));
        if (!bitmap) return;
        ScopedSelectObject select(source, bitmap.get());
        const RECT all{0, 0, size, size};
        FillRect(source, &all, SolidBrush(back));
        ImageList_Draw(images, index, source, 0, 0, ILD_NORMAL);
        it = bitmaps_.emplace(key, std::move(bitmap)).first;
    }
    ScopedSelectObject select(source, it->second.get());
    BitBlt(dc, at.x, at.y, size, size, source, 0, 0, SRCCOPY);
}

void DrawCatalogRow(HDC dc, HWND list, CatalogPictures* pictures, const CatalogRow& row, const RECT& place)
{
    const SurfaceColours colours = SurfaceColoursNow();
    if (row.selected) FillRect(dc, &place, SolidBrush(colours.selectedBack));
    const int pad = ScaleByDpi(3, row.dpi), size = row.pictureSize;
    const POINT picture{place.left + pad, place.top + (place.bottom - place.top - size) / 2};
    if (pictures) {
        const auto [images, index] = pictures->Picture(std::string(row.path), size, list, place);
        row.cache->Draw(dc, images, index, picture, size, row.selected ? colours.selectedBack : colours.listBack);
    }

    SetBkMode(dc, TRANSPARENT);
    RECT text = place;
    text.left = picture.x + size + 2 * pad;
    text.right -= pad;
    RECT where = text;
    where.left = text.right - (text.right - text.left) / 3;
    const UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;
    const std::wstring folder = Wide(ResultPlace(row.menu, row.path));
    SetTextColor(dc, row.selected ? colours.selectedText : colours.quietText);
    DrawTextW(dc, folder.c_str(), static_cast<int>(folder.size()), &where, format | DT_RIGHT);
    text.right = where.left - pad;
    const std::wstring name = Wide(row.name);
    SetTextColor(dc, row.selected ? colours.selectedText : colours.listText);
    DrawTextW(dc, name.c_str(), static_cast<int>(name.size()), &text, format);
}
