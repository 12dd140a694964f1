// The routing of the notification icons' events: the window procedure every icon window
// runs, and the popup requests it makes of the main window.
#pragma once

#include <windows.h>

class THaupt;

// The window procedure of every icon window.
LRESULT CALLBACK TrayWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// An icon's callback as NOTIFYICON_VERSION_4 gives it: the event in the low word of lParam,
// the icon's anchor in wParam. Also what the same icon reported before (which tells the
// shell's echoes of clicks from the keyboard's events), and PopupPos saved for the event.
struct IconEvent {
    unsigned event;
    unsigned previous;
};
IconEvent ReadIconEvent(HWND icon, WPARAM anchor, LPARAM lParam);

// Where popup menus open: the cursor at the last icon event from the mouse or hotkey, the
// icon's anchor at one from the keyboard.
extern POINT PopupPos;
// The controller whose ShutdownPending the icon windows set; null when none runs.
void SetTrayController(THaupt* haupt);
// Asks for a popup menu: brings the main window to the foreground and posts it 1026
// with the menu index (255: the tools menu).
void RequestPopupMenu(WPARAM menuIndex);
