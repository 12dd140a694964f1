// The main window's popups: which one a click, a hotkey or another start asks for, where it
// opens, and what comes forward instead while a window waits for the user.
#include "app/haupt_win.h"

#include "app/hotkeys_win.h"
#include "app/tray_win.h"
#include "config/model.h"
#include "menus/item_geometry.h"
#include "menus/menu_images_win.h"
#include "menus/menus_win.h"
#include "win/application.h"

#include <commctrl.h>

#include <algorithm>

namespace {

// A point kept from before a display change may lie outside the screen as it is now.
POINT InsideWorkArea(POINT at)
{
    RECT work = WorkAreaOf(MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST));
    at.x = std::clamp(at.x, work.left, std::max(work.left, work.right - 1));
    at.y = std::clamp(at.y, work.top, std::max(work.top, work.bottom - 1));
    return at;
}

struct FrontSearch {
    HWND main;
    HWND quick;
    HWND found = nullptr;
};

// Top-level windows of the thread come in z-order, topmost first. The modal chain leaves
// only its last window enabled; popup menus, tooltips and the quick-launch box are
// passing things, not questions.
BOOL CALLBACK FindFront(HWND window, LPARAM data)
{
    auto& search = *reinterpret_cast<FrontSearch*>(data);
    if (window == search.main || window == search.quick || !IsWindowVisible(window) || !IsWindowEnabled(window))
        return TRUE;
    wchar_t className[32] = L"";
    GetClassNameW(window, className, 32);
    if (lstrcmpW(className, L"#32768") == 0 || lstrcmpiW(className, TOOLTIPS_CLASSW) == 0) return TRUE;
    search.found = window;
    return FALSE;
}

}  // namespace

void THaupt::EndOpenPopup()
{
    if (popupOpen_) EndMenu();
}

void THaupt::HotkeyPressed(WPARAM id)
{
    if (id == QuickLaunchHotkeyId) {
        ShowQuickBox();
        return;
    }
    if (id > 255 || id >= MenuList.size()) return;
    GetCursorPos(&PopupPos);
    RequestPopupMenu(id);
}

void THaupt::ShowPopupMenu(WPARAM menuIndex)
{
    // The open popup's entries are measured, drawn and chosen through ActiveMenuIndex:
    // a request arriving inside its menu loop must not switch menus under it.
    if (popupOpen_) return;
    ActiveMenuIndex = static_cast<int>(menuIndex);
    if (menuIndex < TrayEntryList.size()) {
        // On a screen of another DPI or work area than the last popup's, the popups are made for it.
        popupDpi_ = DpiAt(PopupPos);
        PreparePopupMenus(popupDpi_, PopupPos);
        HMENU popup = PopupMenuOf(static_cast<int>(menuIndex));
        if (!popup) return;
        lastMenu_ = ActiveMenuIndex;
        if (TOneMenu* menu = MenuAt(ActiveMenuIndex); menu && ImageListOf(*menu))
            ImageListOf(*menu)->RequestPictures(PictureSizeFor(Konfig.IconSize, static_cast<int>(MenuDpi())),
                                                PictureUrgency::Shown);
        TrackPopup(popup, PopupPos);
    } else if (menuIndex == ToolsMenuIndex) {
        PopUpToolsMenuAt(PopupPos);
    } else if (menuIndex == OwnMenuIndex) {
        PopUpOwnMenuAt(PopupPos);
    }
}

void THaupt::PopUpOwnMenuAt(POINT at)
{
    // While a window waits for the user, it comes first.
    if (WindowInFront()) {
        ActiveMenuIndex = -1;
        Reveal();
        return;
    }
    UniqueMenu popup(CreatePopupMenu());
    if (!popup || !AppendMenuW(popup.get(), MF_STRING, CmdSettings, L"&Settings...") ||
        !AppendMenuW(popup.get(), MF_STRING, CmdQuit, L"&Quit Marigoldwick"))
        return;
    // What a click on the icon does, in bold as the shell's convention has it.
    SetMenuDefaultItem(popup.get(), CmdSettings, FALSE);
    TrackPopup(popup.get(), at);
}

void THaupt::UpdateOwnIcon() { ownIcon_.Show(TrayEntryList.empty(), dpi_); }

HWND THaupt::WindowInFront() const
{
    FrontSearch search{Handle(), quickBox_ ? quickBox_->Handle() : nullptr};
    EnumThreadWindows(GetCurrentThreadId(), &FindFront, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void THaupt::Reveal()
{
    if (popupOpen_) {
        // Asked again once the popup's menu loop has ended; nothing nests inside it.
        EndMenu();
        PostMessageW(Handle(), WmReveal, 0, 0);
        return;
    }
    if (quickBox_ && quickBox_->IsShown()) quickBox_->Close();
    HWND front = WindowInFront();
    if (!front) {
        // Before start-up is through, its welcome or these settings follow it.
        if (started_)
            ShowSettings();
        else
            revealAsked_ = true;
        return;
    }
    // A minimised settings window hides the dialogs it owns: it is restored first.
    for (HWND owner = front; owner && owner != Handle(); owner = GetWindow(owner, GW_OWNER))
        if (IsIconic(owner)) ShowWindow(owner, SW_RESTORE);
    SetForegroundWindow(front);
}

// ---- the tools menu ----

void THaupt::PopUpToolsMenuAt(POINT at)
{
    if (!toolsMenu_) return;
    toolsMenu_->PopUpToolsMenuPopup();
    TrackPopup(toolsMenu_->PopUpToolsMenu(), at);
}

void THaupt::TrackPopup(HMENU popup, POINT at)
{
    at = InsideWorkArea(at);
    // Without the foreground the popup would not close when the user clicks elsewhere.
    SetForegroundWindow(Handle());
    if (folderPopups_) folderPopups_->BeginTracking();
    popupOpen_ = true;
    TrackPopupMenuEx(popup, 0, at.x, at.y, Handle(), nullptr);
    popupOpen_ = false;
    // The switch back needs a message after the menu (otherwise the next click on the
    // icon may close the new popup at once).
    PostMessageW(Handle(), WM_NULL, 0, 0);
    if (popupsStale_) DisplayChanged();
}

void THaupt::DisplayChanged()
{
    // The open popup's menu must not be destroyed under its menu loop.
    popupsStale_ = popupOpen_;
    if (!popupOpen_) BuildPopupMenus(popupDpi_);
}

void THaupt::ScaleChanged(UINT dpi, bool shellRecreated)
{
    const bool rescaled = dpi != dpi_;
    dpi_ = dpi;
    // A shell that comes back may do so at another scale: its icons are made afresh.
    if (rescaled || shellRecreated) {
        RemakeTrayIcons(dpi_, shellRecreated);
        ownIcon_.Remake(dpi_, shellRecreated);
    }
    if (!rescaled) return;
    popupDpi_ = dpi_;
    DisplayChanged();
    RequestEntryPictures(MenuList, PictureSizeFor(Konfig.IconSize, static_cast<int>(dpi_)), lastMenu_);
}

bool THaupt::ToolsCommand(WPARAM wParam)
{
    // Only a choice from the tools menu itself: its identifiers start above every entry
    // position of the item popups, and the tools menu is the active one.
    if (HIWORD(wParam) != 0 || ActiveMenuIndex != static_cast<int>(ToolsMenuIndex) || !toolsMenu_) return false;
    WORD id = LOWORD(wParam);
    if (id < FirstToolsCommand) return false;
    toolsMenu_->Command(id);
    ActiveMenuIndex = -1;
    return true;
}
