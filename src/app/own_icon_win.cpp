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
    const IconEvent e = ReadIconEvent(hwnd, wParam, lParam);
    switch (OwnIconActionFor(e.event, e.previous)) {
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

}  // namespace

void OwnIcon::Show(bool shown, UINT dpi)
{
    if (shown == icon_.Added()) return;
    if (!shown) {
        RemoveTrayIcon(icon_);
        return;
    }
    // A refused icon keeps its window, so the notification area's return adds it again.
    static_cast<void>(AddTrayIcon(ProgramIcon(dpi), WmOwnIcon, ProgramTitle, &OwnIconWindowProc, icon_));
}

void OwnIcon::Remake(UINT dpi, bool addAgain)
{
    if (icon_.Added()) static_cast<void>(ReplaceTrayIconPicture(icon_, ProgramIcon(dpi), addAgain));
}
