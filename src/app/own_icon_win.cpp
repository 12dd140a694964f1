#include "app/own_icon_win.h"

#include "app/tray_rules.h"
#include "app/tray_win.h"
#include "menus/menus_win.h"
#include "win/application.h"
#include "win/command_ids.h"

#include <shellapi.h>

namespace {

UniqueIcon ProgramIcon(UINT dpi)
{
    const int size = TrayIconSize(dpi);
    return UniqueIcon(
        static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), L"MAINICON", IMAGE_ICON, size, size, 0)));
}

LRESULT CALLBACK OwnIconWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    // Other messages as every icon window takes them (the end of the session).
    if (msg != WmOwnIcon) return TrayWindowProc(hwnd, msg, wParam, lParam);
    GetCursorPos(&PopupPos);
    switch (OwnIconActionFor(LOWORD(lParam))) {
    case OwnIconAction::Reveal:
        if (HWND main = MainWindow()) PostMessageW(main, WmReveal, 0, 0);
        break;
    case OwnIconAction::Popup:
        RequestPopupMenu(OwnMenuIndex);
        break;
    case OwnIconAction::None:
        break;
    }
    return 0;
}

// The newer shell behaviour reports Enter on the icon as NIN_KEYSELECT and the context
// menu key as WM_CONTEXTMENU; older shells report both as a right click.
void AskForKeyboardEvents(const TrayIconRecord& record)
{
    NOTIFYICONDATAW data{};
    data.cbSize = NOTIFYICONDATAW_V2_SIZE;
    data.hWnd = record.hWnd;
    data.uID = record.uID;
    data.uVersion = NOTIFYICON_VERSION;
    static_cast<void>(Shell_NotifyIconW(NIM_SETVERSION, &data));
}

}  // namespace

void OwnIcon::Show(bool shown, UINT dpi)
{
    if (shown == icon_.Added()) return;
    if (!shown) {
        RemoveTrayIcon(icon_);
        return;
    }
    // A refused icon keeps its window, so the notification area's return adds it again.
    if (AddTrayIcon(ProgramIcon(dpi), WmOwnIcon, ProgramTitle, &OwnIconWindowProc, icon_))
        AskForKeyboardEvents(icon_.Record());
}

void OwnIcon::Remake(UINT dpi, bool addAgain)
{
    if (icon_.Added() && ReplaceTrayIconPicture(icon_, ProgramIcon(dpi), addAgain) && addAgain)
        AskForKeyboardEvents(icon_.Record());
}
