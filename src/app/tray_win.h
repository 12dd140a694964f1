// The routing of the notification icons' events: the window procedure every icon window
// runs, and the popup requests it makes of the main window.
#pragma once

#include <windows.h>

class THaupt;

// The window procedure of every icon window.
LRESULT CALLBACK TrayWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// The cursor position saved by the last icon event or hotkey; popup menus open there.
extern POINT PopupPos;
// The controller whose ShutdownPending the icon windows set; null when none runs.
void SetTrayController(THaupt* haupt);
// Asks for a popup menu: brings the main window to the foreground and posts it 1026
// with the menu index (255: the tools menu).
void RequestPopupMenu(WPARAM menuIndex);
