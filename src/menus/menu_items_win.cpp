#include "menus/menu_items_win.h"

#include "config/theme_win.h"
#include "menus/item_geometry.h"
#include "menus/menu_images_win.h"
#include "menus/mnemonic.h"
#include "menus/type_ahead.h"
#include "menus/type_ahead_win.h"
#include "win/application.h"
#include "win/handles.h"
#include "win/text_conversion.h"

#include <algorithm>
#include <type_traits>
#include <utility>
#include <vector>

static_assert(std::is_standard_layout_v<EntryData>, "the MSAAMENUINFO must be where the item data points");

EntryData::EntryData(int menu, std::wstring description) : menuIndex(menu), text(std::move(description))
{
    accessible.dwMSAASignature = MSAA_MENU_SIG;
    accessible.cchWText = static_cast<DWORD>(text.size());
    accessible.pszWText = text.data();
}

namespace {

const TOneMenu* MenuOf(ULONG_PTR itemData, int activeMenu, const TMenuList& menus)
{
    auto valid = [&](long long i) { return i >= 0 && i < static_cast<long long>(menus.size()) && menus[i]; };
    const auto* data = reinterpret_cast<const EntryData*>(itemData);
    if (data && valid(data->menuIndex)) return menus[static_cast<size_t>(data->menuIndex)].get();
    if (valid(activeMenu)) return menus[static_cast<size_t>(activeMenu)].get();
    return nullptr;
}

// One character as UTF-16: one unit, or a surrogate pair beyond the basic plane.
std::wstring WideCharacter(char32_t c)
{
    if (c < 0x10000) return std::wstring(1, static_cast<wchar_t>(c));
    c -= 0x10000;
    return {static_cast<wchar_t>(0xD800 + (c >> 10)), static_cast<wchar_t>(0xDC00 + (c & 0x3FF))};
}

const TOneItem* CommandEntry(const TOneMenu* menu, UINT itemId)
{
    if (!menu || itemId >= menu->Items.size()) return nullptr;
    const TOneItem* item = menu->Items[itemId].get();
    return item && !item->IsSeparator() ? item : nullptr;
}

}  // namespace

bool WMMeasureItem(MEASUREITEMSTRUCT& measure, int activeMenu, const TMenuList& menus, const TKonfig& konfig,
                   UINT dpi)
{
    if (measure.CtlType != ODT_MENU) return false;
    const TOneMenu* menu = MenuOf(measure.itemData, activeMenu, menus);
    if (!CommandEntry(menu, measure.itemID)) return false;
    const int at = static_cast<int>(dpi);
    measure.itemWidth = ItemWidth(menu->MaxTextWidth, konfig.IconSize, GetSystemMetrics(SM_CXSCREEN), at);
    measure.itemHeight = static_cast<UINT>(GeometryFor(konfig.IconSize, at).height);
    return true;
}

void DrawMenuRow(const DRAWITEMSTRUCT& draw, const MenuRow& row)
{
    const bool selected = (draw.itemState & ODS_SELECTED) != 0;
    const RECT& item = draw.rcItem;
    const ItemPlacement at = PlaceItem(row.iconSize, item.left, item.top, item.bottom, selected, row.dpi);
    HDC dc = draw.hDC;
    const SurfaceColours colours = SurfaceColoursNow();
    const COLORREF background = selected ? colours.selectedBack : colours.back;
    ScopedSelectObject selectFont(dc, row.font);
    const bool greyed = (draw.itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
    const COLORREF oldText =
        SetTextColor(dc, greyed ? colours.grayText : selected ? colours.selectedText : colours.text);
    const COLORREF oldBack = SetBkColor(dc, background);
    const int oldMode = SetBkMode(dc, OPAQUE);
    ScopeGuard restore([&] {
        SetBkMode(dc, oldMode);
        SetBkColor(dc, oldBack);
        SetTextColor(dc, oldText);
    });

    FillRect(dc, &item, SolidBrush(colours.back));
    if (row.pictures) {
        // A picture larger than the entry (an icon size other than 16, 32 or 64) must not
        // paint over the neighbouring entries.
        const int saved = SaveDC(dc);
        IntersectClipRect(dc, item.left, item.top, item.right, item.bottom);
        ImageList_Draw(row.pictures, row.picture, dc, at.iconX, at.iconY, ILD_NORMAL);
        if (saved) RestoreDC(dc, saved);
    }
    // A row without a picture (a note) is highlighted whole, without the picture's frame.
    if (selected) {
        RECT highlight{row.pictures ? at.highlightLeft : item.left, item.top, item.right, item.bottom};
        FillRect(dc, &highlight, SolidBrush(colours.selectedBack));
    }
    RECT text{at.textLeft, item.top, item.right, item.bottom};
    DrawTextW(dc, row.text.data(), static_cast<int>(row.text.size()), &text,
              DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (selected && row.pictures) {
        RECT frame{at.frameLeft, at.frameTop, at.frameRight, at.frameBottom};
        // The raised edge's white line would glare on a dark popup: a quiet line instead.
        if (colours.dark)
            FrameRect(dc, &frame, SolidBrush(colours.line));
        else
            DrawEdge(dc, &frame, BDR_RAISEDOUTER, BF_RECT);
    }
    if (row.submenu) {
        // The system draws its submenu arrow after this, at one size whatever the DPI and on
        // a light square in a dark popup: the arrow is drawn here, scaled, in the text's
        // colour, and the item left out of what the system paints.
        const int half = std::max(2, ScaleByDpi(4, static_cast<UINT>(row.dpi)));
        const int middle = (item.top + item.bottom) / 2, right = item.right - ScaleByDpi(6, static_cast<UINT>(row.dpi));
        const POINT arrow[3] = {{right - half, middle - half}, {right, middle}, {right - half, middle + half}};
        const COLORREF ink = selected ? colours.selectedText : colours.text;
        UniqueGdiObject pen(CreatePen(PS_SOLID, 1, ink));
        ScopedSelectObject usePen(dc, pen.get());
        ScopedSelectObject useBrush(dc, SolidBrush(ink));
        Polygon(dc, arrow, 3);
        ExcludeClipRect(dc, item.left, item.top, item.right, item.bottom);
    }
}

bool WMDrawItem(const DRAWITEMSTRUCT& draw, int activeMenu, const TMenuList& menus, const TKonfig& konfig,
                HFONT font, UINT dpi)
{
    if (draw.CtlType != ODT_MENU || !draw.hDC) return false;
    const TOneMenu* menu = MenuOf(draw.itemData, activeMenu, menus);
    const TOneItem* entry = CommandEntry(menu, draw.itemID);
    if (!entry) return false;

    const int s = konfig.IconSize;
    const RECT& item = draw.rcItem;
    HIMAGELIST pictures = nullptr;
    int picture = -1;
    if (ImageListMenuImages* images = ImageListOf(*menu)) {
        const int index = entry->ImageIndex, size = PictureSizeFor(s, static_cast<int>(dpi));
        // Never waits: the placeholder now, the entry repainted when its picture is placed.
        images->MarkShownPending(index, size, WindowFromDC(draw.hDC), &item);
        pictures = images->Handle(size);
        picture = images->PictureIndex(index, size);
    }

    DrawMenuRow(draw, {pictures, picture, Wide(entry->Description), s, static_cast<int>(dpi), font,
                       entry->FolderMenu && !entry->IsPIDL});
    return true;
}

LRESULT TypeAheadInPopup(HMENU popup, const std::vector<std::string_view>& descriptions, char32_t typed,
                         bool entryCommands)
{
    static TypeAheadBuffer buffer;
    static HMENU typedIn = nullptr;
    if (popup != typedIn) buffer.Reset();
    typedIn = popup;
    const int found = FindByTypedText(descriptions, buffer.Add(typed, GetTickCount()), FoldBySystem);
    // Entry k is the popup's item k, with command k.
    if (found < 0 || (entryCommands && GetMenuItemID(popup, found) != static_cast<UINT>(found)))
        return MAKELRESULT(0, MNC_IGNORE);
    // Wine's menus take MNC_SELECT for "no match"; there the entry is highlighted directly,
    // which moves the menu's own focus, so Enter and the arrows go on from it.
    static const bool wine = [] {
        HMODULE ntdll = GetModuleHandleA("ntdll.dll");
        return ntdll && GetProcAddress(ntdll, "wine_get_version");
    }();
    if (wine) HiliteMenuItem(MainWindow(), popup, static_cast<UINT>(found), MF_BYPOSITION | MF_HILITE);
    return MAKELRESULT(found, MNC_SELECT);
}

LRESULT WMMenuChar(WPARAM wParam, LPARAM lParam, LRESULT defaultResult, int activeMenu, HMENU activePopup,
                   const TMenuList& menus, const LaunchEntry& launch)
{
    const wchar_t typed = static_cast<wchar_t>(LOWORD(wParam));
    const UINT flags = HIWORD(wParam);
    const HMENU popup = reinterpret_cast<HMENU>(lParam);
    if (!(flags & MF_POPUP) || !popup || popup != activePopup) return defaultResult;
    if (activeMenu < 0 || activeMenu >= static_cast<int>(menus.size()) || !menus[activeMenu]) return defaultResult;

    // A letter of any script is matched as itself; other characters by the key that makes
    // them, as before ("&" is Shift+7 and never matches an "&&"). A character no key
    // makes can be no mnemonic (0xFF is not a key code), but it can still be typed ahead.
    char32_t key = typed;
    bool keyed = true;
    if (!IsCharAlphaW(typed)) {
        const SHORT scan = VkKeyScanW(typed);
        keyed = scan != -1;
        key = LOBYTE(scan);
    }

    const TOneMenu& menu = *menus[activeMenu];
    std::vector<std::string_view> descriptions;
    descriptions.reserve(menu.Items.size());
    // A separator is no command: whatever its description says, it is never started.
    for (const auto& item : menu.Items)
        descriptions.emplace_back(item && !item->IsSeparator() ? std::string_view(item->Description) : "");
    auto sameInLocale = [](char32_t a, char32_t b) {
        std::wstring upperA = WideCharacter(a), upperB = WideCharacter(b);
        CharUpperBuffW(upperA.data(), static_cast<DWORD>(upperA.size()));
        CharUpperBuffW(upperB.data(), static_cast<DWORD>(upperB.size()));
        return upperA == upperB;
    };
    const int match = keyed ? FindMnemonicEntry(descriptions, key, sameInLocale) : -1;
    if (match >= 0) {
        // A folder entry opens its submenu, as a click does.
        const TOneItem& item = *menu.Items[static_cast<size_t>(match)];
        if (item.FolderMenu && !item.IsPIDL && GetSubMenu(popup, match)) return MAKELRESULT(match, MNC_EXECUTE);
        if (launch) launch(activeMenu, match);
        return MAKELRESULT(0, MNC_CLOSE);
    }
    return TypeAheadInPopup(popup, descriptions, TypedCharacter(MainWindow(), LOWORD(wParam)), true);
}

std::string ShortenText(std::string_view text, int width, HDC canvas)
{
    // DT_MODIFYSTRING may write up to four characters more than the text it was given.
    const std::wstring wide = Wide(text);
    std::vector<wchar_t> buffer(wide.size() + 5, L'\0');
    std::copy(wide.begin(), wide.end(), buffer.begin());
    RECT rect{0, 0, width, 0};
    if (!canvas || !DrawTextW(canvas, buffer.data(), -1, &rect, DT_SINGLELINE | DT_CALCRECT | DT_END_ELLIPSIS | DT_MODIFYSTRING))
        return std::string(text);
    return Utf8(buffer.data());
}
