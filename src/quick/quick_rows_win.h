// The entries the quick-launch box lists: the one behind a row, how it starts and how its
// row looks.
#pragma once

#include <windows.h>

struct TOneItem;

// Entry `item` of menu `menu`, or null when the menus no longer hold it.
const TOneItem* QuickEntry(int menu, int item);

// The program's own way to start an entry: LaunchItem, with the entry asking for
// administrator rights while it starts when that is forced.
void LaunchFromQuickBox(int menu, int item, bool asAdministrator);

struct QuickRow {
    int menu;
    int item;
    bool selected;
    int pictureSize;
    UINT dpi;
};
// The entry's picture, its description and, in at most a third of the row on the right,
// its menu's name; highlighted when selected.
void DrawQuickRow(HDC dc, HWND list, const QuickRow& row, const RECT& place);
