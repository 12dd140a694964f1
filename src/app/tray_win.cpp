#include "app/tray_win.h"

#include "app/haupt_win.h"
#include "app/tray_rules.h"
#include "config/model.h"
#include "launch/launch_win.h"
#include "menus/menus_win.h"
#include "win/application.h"
#include "win/command_ids.h"

#include <shellapi.h>

#include <algorithm>

static_assert(MouseLeftDown == WM_LBUTTONDOWN && MouseLeftUp == WM_LBUTTONUP &&
              MouseLeftDoubleClick == WM_LBUTTONDBLCLK && MouseRightUp == WM_RBUTTONUP);
static_assert(IconSelect == NIN_SELECT && IconKeySelect == NIN_KEYSELECT && IconContextMenu == WM_CONTEXTMENU);

POINT PopupPos{};

namespace {

THaupt* Controller = nullptr;

// What the icon reported before this event: a shell's echo of a click follows the click
// at once, on the same icon.
unsigned PreviousEvent(HWND icon, unsigned iconEvent)
{
    static HWND lastIcon = nullptr;
    static unsigned lastEvent = 0;
    const unsigned previous = lastIcon == icon ? lastEvent : 0;
    lastIcon = icon;
    lastEvent = iconEvent;
    return previous;
}

// A popup asked for from the keyboard opens at the icon (the anchor the shell gives in
// wParam), one asked for by the mouse at the cursor. The mouse passing over an icon asks
// for nothing and leaves where a popup asked for from the keyboard will open.
void SavePopupPos(unsigned iconEvent, unsigned previous, WPARAM anchor)
{
    if (iconEvent == WM_MOUSEMOVE) return;
    if (IsKeyboardEvent(iconEvent, previous))
        PopupPos = {static_cast<short>(LOWORD(anchor)), static_cast<short>(HIWORD(anchor))};
    else
        GetCursorPos(&PopupPos);
}

void MenuIconEvent(int menuIndex, unsigned iconEvent, unsigned previous)
{
    const TOneMenu* menu = MenuAt(menuIndex);
    const TrayIconState state{Konfig.SingleLeftClick, menu ? menu->LCB : 0, false, ToolsTrayIcon.Added()};
    switch (IconEventActionFor(iconEvent, previous, state)) {
    case TrayClickAction::Popup:
        RequestPopupMenu(static_cast<WPARAM>(menuIndex));
        break;
    case TrayClickAction::ToolsPopup:
        RequestPopupMenu(ToolsMenuIndex);
        break;
    case TrayClickAction::StartFirstEntry:
        if (menu && !menu->Items.empty()) LaunchItem(menuIndex, 0, false);
        break;
    case TrayClickAction::None:
        break;
    }
}

void ToolsIconEvent(unsigned iconEvent, unsigned previous)
{
    const TrayIconState state{Konfig.SingleLeftClick, 0, true, true};
    if (IconEventActionFor(iconEvent, previous, state) == TrayClickAction::Popup) RequestPopupMenu(ToolsMenuIndex);
}

}  // namespace

LRESULT CALLBACK TrayWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    const bool menuIcon = msg >= WmMenuIconFirst && msg < WmMenuIconFirst + std::min<size_t>(TrayEntryList.size(), MaxMenus);
    if (menuIcon || msg == WmToolsIcon) {
        const IconEvent e = ReadIconEvent(hwnd, wParam, lParam);
        if (menuIcon)
            MenuIconEvent(static_cast<int>(msg - WmMenuIconFirst), e.event, e.previous);
        else
            ToolsIconEvent(e.event, e.previous);
        return 0;
    }
    // wParam FALSE: the logoff was cancelled after all, so quitting still asks.
    if (msg == WM_ENDSESSION && wParam && Controller) Controller->ShutdownPending = true;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

IconEvent ReadIconEvent(HWND icon, WPARAM anchor, LPARAM lParam)
{
    const unsigned iconEvent = LOWORD(lParam);
    const IconEvent e{iconEvent, PreviousEvent(icon, iconEvent)};
    SavePopupPos(e.event, e.previous, anchor);
    return e;
}

void SetTrayController(THaupt* haupt) { Controller = haupt; }

void RequestPopupMenu(WPARAM menuIndex)
{
    HWND main = MainWindow();
    if (!main) return;
    SetForegroundWindow(main);
    PostMessageW(main, WmShowPopup, menuIndex, 0);
}
