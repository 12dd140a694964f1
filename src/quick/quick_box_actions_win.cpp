// The quick-launch box's actions on the highlighted row beyond starting it: its folder,
// adding it to a menu, forgetting its starts, and the row's menu that offers them all.
#include "quick/quick_box_win.h"

#include "config/model.h"
#include "quick/quick_history_win.h"
#include "quick/quick_rows_win.h"
#include "win/handles.h"
#include "win/text_conversion.h"

#include <algorithm>
#include <string>

namespace {

// The row's context menu; menus picked to add to follow from CmdFirstMenu.
enum : UINT { CmdStart = 1, CmdStartAdmin, CmdShowInFolder, CmdForget, CmdFirstMenu = 100 };

// One row per menu, full ones greyed, named as the tray names them ("&" no mnemonic).
void AppendMenuNames(HMENU popup)
{
    for (size_t m = 0; m < MenuList.size(); ++m) {
        std::wstring name = Wide(MenuList[m]->MenuName);
        for (size_t at = name.find(L'&'); at != std::wstring::npos; at = name.find(L'&', at + 2)) name.insert(at, 1, L'&');
        AppendMenuW(popup, MF_STRING | (MenuList[m]->IsFull() ? MF_GRAYED : 0), CmdFirstMenu + m, name.c_str());
    }
}

}  // namespace

void QuickBox::ShowSelectedInFolder()
{
    if (selected_ < 0) return;
    const Row chosen = RowAt(selected_);
    const TOneItem* item = chosen.menu >= 0 ? QuickEntry(chosen.menu, chosen.item) : nullptr;
    std::string path = !item && catalog_ ? std::string(catalog_->Path(static_cast<size_t>(chosen.result))) : "";
    if (!item && path.empty()) return;
    // The folder's window takes the foreground.
    Close();
    if (item ? !ShowInFolder(*item) : !ShowInFolder(path)) MessageBeep(MB_ICONWARNING);
}

int QuickBox::PickMenu(POINT screen)
{
    UniqueMenu popup(CreatePopupMenu());
    if (!popup) return -1;
    AppendMenuNames(popup.get());
    const UINT picked = TrackPopupMenu(popup.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, screen.x, screen.y,
                                       0, Handle(), nullptr);
    return picked >= CmdFirstMenu ? static_cast<int>(picked - CmdFirstMenu) : -1;
}

void QuickBox::AddSelectedToMenu()
{
    if (selected_ < 0 || !services_.addToMenu || MenuList.empty()) return;
    const int menu = PickMenu(SelectedRowCorner());
    if (menu >= 0) AddSelectedTo(menu);
}

void QuickBox::AddSelectedTo(int menu)
{
    const Row chosen = RowAt(selected_);
    const std::string path = chosen.menu < 0 && catalog_ ? std::string(catalog_->Path(static_cast<size_t>(chosen.result))) : "";
    Close();
    services_.addToMenu(menu, chosen, path);
}

bool QuickBox::ForgetSelected()
{
    if (selected_ < 0 || !services_.history) return false;
    if (!services_.history->Remove(TargetOf(selected_))) return false;
    PrepareRanking();
    const int keep = selected_;
    const std::string typed = std::move(typed_);
    typed_.clear();
    Rank(typed);
    typed_ = typed;
    top_ = std::clamp(top_, 0, std::max(0, RowCount() - RowsInView()));
    selected_ = -1;
    ListChanged();
    if (RowCount() > 0) Select(std::min(keep, RowCount() - 1));
    return true;
}

void QuickBox::ShowContextMenu(POINT screen)
{
    if (selected_ < 0) return;
    UniqueMenu popup(CreatePopupMenu()), menus(CreatePopupMenu());
    if (!popup || !menus) return;
    const std::string target = TargetOf(selected_);
    const bool known = services_.history && !target.empty() &&
                       std::any_of(services_.history->History().Records().begin(),
                                   services_.history->History().Records().end(),
                                   [&](const HistoryRecord& r) { return r.target == target; });
    AppendMenuW(popup.get(), MF_STRING, CmdStart, L"&Start\tEnter");
    SetMenuDefaultItem(popup.get(), CmdStart, FALSE);
    AppendMenuW(popup.get(), MF_STRING, CmdStartAdmin, L"Start as &administrator\tCtrl+Enter");
    AppendMenuW(popup.get(), MF_STRING, CmdShowInFolder, L"Open containing &folder\tCtrl+O");
    AppendMenuNames(menus.get());
    const bool canAdd = services_.addToMenu && !MenuList.empty();
    // The submenu belongs to the popup from here on.
    AppendMenuW(popup.get(), MF_POPUP | (canAdd ? 0 : MF_GRAYED), reinterpret_cast<UINT_PTR>(menus.release()),
                L"A&dd to menu\tCtrl+D");
    AppendMenuW(popup.get(), MF_STRING | (known ? 0 : MF_GRAYED), CmdForget, L"&Remove from history\tDel");
    const UINT picked = TrackPopupMenu(popup.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, screen.x,
                                       screen.y, 0, Handle(), nullptr);
    switch (picked) {
    case CmdStart: StartSelected(false); break;
    case CmdStartAdmin: StartSelected(true); break;
    case CmdShowInFolder: ShowSelectedInFolder(); break;
    case CmdForget: ForgetSelected(); break;
    default:
        if (picked >= CmdFirstMenu && canAdd) AddSelectedTo(static_cast<int>(picked - CmdFirstMenu));
        break;
    }
}
