// Drives the in-process main window as the icons and popup menus do.
#pragma once

#include <windows.h>

// The popup request for `menu` (it becomes the active one and pops up), closed again at
// once by the WM_CANCELMODE queued before it: what is queued after it runs later.
void PopUpAndClose(HWND main, WPARAM menu);
// A popup menu command, as choosing its entry sends it.
void SendCommand(HWND main, WORD command);
// Takes the WM_QUIT that ending the application leaves in this thread's queue.
bool TakeQuitMessage();
