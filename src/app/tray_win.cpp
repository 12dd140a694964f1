#include "app/tray_win.h"

#include "app/haupt_win.h"
#include "app/tray_rules.h"
#include "config/model.h"
#include "launch/launch_win.h"
#include "menus/menus_win.h"
#include "win/application.h"
#include "win/command_ids.h"

#include <algorithm>

static_assert(MouseLeftUp == WM_LBUTTONUP && MouseLeftDoubleClick == WM_LBUTTONDBLCLK &&
              MouseRightUp == WM_RBUTTONUP);

POINT PopupPos{};

namespace {

THaupt* Controller = nullptr;

void MenuIconEvent(int menuIndex, LPARAM mouse)
{
    const TOneMenu* menu = MenuAt(menuIndex);
    switch (ClickActionFor(static_cast<unsigned>(mouse), Konfig.SingleLeftClick, menu ? menu->LCB : 0, false)) {
    case TrayClickAction::Popup:
        RequestPopupMenu(static_cast<WPARAM>(menuIndex));
        break;
    case TrayClickAction::StartFirstEntry:
        if (menu && !menu->Items.empty()) LaunchItem(menuIndex, 0, false);
        break;
    case TrayClickAction::None:
        break;
    }
}

void ToolsIconEvent(LPARAM mouse)
{
    if (ClickActionFor(static_cast<unsigned>(mouse), Konfig.SingleLeftClick, 0, true) == TrayClickAction::Popup)
        RequestPopupMenu(ToolsMenuIndex);
}

}  // namespace

LRESULT CALLBACK TrayWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg >= WmMenuIconFirst && msg < WmMenuIconFirst + std::min<size_t>(TrayEntryList.size(), MaxMenus)) {
        GetCursorPos(&PopupPos);
        MenuIconEvent(static_cast<int>(msg - WmMenuIconFirst), lParam);
        return 0;
    }
    if (msg == WmToolsIcon) {
        GetCursorPos(&PopupPos);
        ToolsIconEvent(lParam);
        return 0;
    }
    // wParam FALSE: the logoff was cancelled after all, so quitting still asks.
    if (msg == WM_ENDSESSION && wParam && Controller) Controller->ShutdownPending = true;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void SetTrayController(THaupt* haupt) { Controller = haupt; }

void RequestPopupMenu(WPARAM menuIndex)
{
    HWND main = MainWindow();
    if (!main) return;
    SetForegroundWindow(main);
    PostMessageW(main, WmShowPopup, menuIndex, 0);
}
