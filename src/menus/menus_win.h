// Popup menus and notification icons built from the model: one icon and one popup menu
// per menu, and the tools icon.
#pragma once

#include "menus/menu_items_win.h"
#include "menus/menu_layout.h"
#include "win/dpi.h"
#include "win/handles.h"
#include "win/tray_icon.h"

#include <windows.h>

#include <deque>
#include <string>
#include <vector>

inline constexpr char ToolsTip[] = "Marigoldwick Tools";

// A popup menu filled with a folder's contents when it opens: the submenu of a folder entry,
// or a whole menu's popup (`item` -1), whose last `tail` items (the fixed commands) stay.
struct FolderAttachment {
    HMENU popup = nullptr;
    int item = -1;
    std::string folder;
    int tail = 0;
};

// Record i holds menu i's icon and popup menu (null when CreatePopupMenu failed), the
// item data of the popup's owner-drawn entries and its folder menus.
struct TrayEntry {
    TrayIcon Icon;
    std::deque<EntryData> Entries;
    UniqueMenu Popup;  // goes before the entries it points at
    std::vector<FolderAttachment> Folders;
};
extern std::vector<TrayEntry> TrayEntryList;
extern TrayIcon ToolsTrayIcon;

// Adds every menu's icon and the tools icon, their windows run by iconWindowProc, builds
// every popup menu and sets the menus' MaxTextWidth; removes what an earlier build made
// first. Icons, entries and the menu font are made for `dpi` (that of the notification
// area's screen).
void BuildMenus(WNDPROC iconWindowProc, UINT dpi = BaseDpi);
// Makes every menu's popup menu again for the current work area (of the screen the
// popups last showed on) and the menu font at
// `dpi` (after a display, font or DPI change), leaving the icons as they are. No popup
// menu may be open.
void BuildPopupMenus(UINT dpi = BaseDpi);
// Before a popup shows at `at` (screen pixels) for `dpi`: makes the popup menus again when
// they were made for another DPI, another work area than the one there is now (at
// start-up the shell may not yet have taken its part of the screen) or another theme.
void PreparePopupMenus(UINT dpi, POINT at);
// The DPI the popup menus were last built for: their entries are measured and drawn at it.
UINT MenuDpi();
// The DPI of the screen at that point (the screen's DPI where the system cannot tell).
UINT DpiAt(POINT at);
// Notification icons are the small-icon size of their screen's DPI.
int TrayIconSize(UINT dpi);
// Makes every icon's picture again at the small-icon size for `dpi` and hands it to the
// shell: as a change of each icon, or, when the notification area was recreated and lost
// them ("TaskbarCreated"), by adding each again in the order of the build.
void RemakeTrayIcons(UINT dpi, bool addAgain);
// Removes all notification icons, the tools icon included, and all popup menus.
void DestroyMenus();
// Adds the tools icon, its window run by iconWindowProc (only while UseToolsMenu is
// set), or removes it.
void SetToolsIcon(bool add, WNDPROC iconWindowProc = nullptr);
// Adds every existing icon again, in the order of the build: after the notification
// area was recreated ("TaskbarCreated").
void ReAddTrayIcons();

// The monitor's work area as it is now. Under Wine SPI_GETWORKAREA keeps its first answer
// across a mode change and the monitor's work area may keep the old height, while the
// monitor's own rectangle follows at once: the three are intersected (on Windows they
// agree).
RECT WorkAreaOf(HMONITOR monitor);
// Menu i's popup menu, or null.
HMENU PopupMenuOf(int menuIndex);
// Counts the builds of the popup menus: menus of an earlier build are gone.
unsigned PopupBuild();
// The column rule's input for items `maxTextWidth` wide in the popups as they are built,
// with the separator and fixed commands below them or without.
ColumnLayoutInput PopupColumns(int maxTextWidth, bool withFixedPart);
// The menu font the descriptions are measured in (and drawn in); null before a build.
HFONT MenuFont();

// A dark popup's separators and fixed commands are owner-drawn (the system would draw
// them light): measured and drawn here in the menu font at the popups' DPI. False when the
// item is none of them.
bool MeasureFixedItem(MEASUREITEMSTRUCT& measure);
bool DrawFixedItem(const DRAWITEMSTRUCT& draw);
// The position of the owner-drawn fixed command whose mnemonic is `typed`, or -1.
int FixedCommandByMnemonic(HMENU popup, wchar_t typed);
