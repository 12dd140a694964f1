// The owner-drawn entries of the popup menus: their size, their look and their
// keyboard mnemonics. The main window forwards WM_MEASUREITEM, WM_DRAWITEM and
// WM_MENUCHAR here.
#pragma once

#include "config/model.h"
#include "win/dpi.h"

#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The item data of a popup's owner-drawn entry. Screen readers read the entry from the
// MSAAMENUINFO at its start (the system asks for it from outside the program too); it
// points at `text`, the description with its "&". Lives as long as its popup, unmoved.
struct EntryData {
    MSAAMENUINFO accessible{};
    int menuIndex = -1;
    std::wstring text;

    EntryData(int menu, std::wstring description);
    EntryData(const EntryData&) = delete;
    EntryData& operator=(const EntryData&) = delete;
};

// Both answer only for a command entry of a popup built from `menus`: the entry's menu
// is the one its item data (an EntryData) names, else `activeMenu`.
// False means the request was not for such an entry and nothing was done. Entries are
// measured and drawn at `dpi`, the one their popup and its font were built for.
bool WMMeasureItem(MEASUREITEMSTRUCT& measure, int activeMenu, const TMenuList& menus, const TKonfig& konfig,
                   UINT dpi = BaseDpi);
// Draws the entry in `font` (the font its width was measured in). An entry whose
// picture is not made yet shows the placeholder, goes first in the worker's queue and
// is repainted once its picture is placed: a popup never waits for its icons.
bool WMDrawItem(const DRAWITEMSTRUCT& draw, int activeMenu, const TMenuList& menus, const TKonfig& konfig,
                HFONT font, UINT dpi = BaseDpi);

// One owner-drawn row of a popup: its picture (none when `pictures` is null), its text as it
// is (no mnemonic), greyed when the item is; highlighted and framed when selected; a
// submenu's arrow in the popup's colours and at its DPI.
struct MenuRow {
    HIMAGELIST pictures = nullptr;
    int picture = -1;
    std::wstring_view text;
    int iconSize = 16;
    int dpi = BaseDpi;
    HFONT font = nullptr;
    bool submenu = false;  // the item opens a submenu
};
void DrawMenuRow(const DRAWITEMSTRUCT& draw, const MenuRow& row);

using LaunchEntry = std::function<void(int menuIndex, int itemIndex)>;
// `defaultResult` is what DefWindowProc answered. A character that is an entry's
// mnemonic in the active menu's popup starts that entry (the first one in menu order)
// and closes the menu: MNC_CLOSE in the high word.
LRESULT WMMenuChar(WPARAM wParam, LPARAM lParam, LRESULT defaultResult, int activeMenu, HMENU activePopup,
                   const TMenuList& menus, const LaunchEntry& launch);

// No mnemonic matched: the characters typed quickly one after another select the first
// item whose text (by position in `popup`) begins with them. Only selected, not started:
// Enter starts it. With `entryCommands`, only an entry whose command is its position.
LRESULT TypeAheadInPopup(HMENU popup, const std::vector<std::string_view>& texts, char32_t typed, bool entryCommands);

// The text as it fits in `width` pixels in the font selected into `canvas`: itself, or
// its beginning followed by "...".
std::string ShortenText(std::string_view text, int width, HDC canvas);
