#include "settings/konfig_menus_win.h"

#include "config/globalvar_win.h"
#include "config/model.h"
#include "menus/menu_images_win.h"
#include "menus/menu_items_win.h"
#include "settings/editmenu_win.h"
#include "settings/iconpick_win.h"
#include "settings/konfig_rules.h"
#include "win/dpi.h"
#include "win/listview.h"
#include "win/message_seam.h"

#include <shellapi.h>

#include <algorithm>
#include <utility>

using C = KonfigControl;

namespace {

// Ctrl with the arrows of the list's direction (across) or Up and Down are the Move
// buttons, taken before the list moves its focus without the selection.
LRESULT CALLBACK MenuListKeys(HWND list, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR menus)
{
    const int step = msg == WM_KEYDOWN ? MoveStepForKey(static_cast<unsigned>(wParam), GetKeyState(VK_CONTROL) < 0, true) : 0;
    if (step != 0) {
        auto* part = reinterpret_cast<KonfigMenus*>(menus);
        if (step < 0) part->BtnMoveUpMenuClick();
        else part->BtnMoveDnMenuClick();
        // The menu chosen anew hands the focus to its items; the keys stay with the menus.
        SetFocus(list);
        return 0;
    }
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(list, MenuListKeys, id);
    return DefSubclassProc(list, msg, wParam, lParam);
}

}  // namespace

KonfigMenus::KonfigMenus(KonfigForm& form, TfrmEditMenu& dialog, Listener listener)
    : form_(form), dialog_(dialog), listener_(std::move(listener)), pictures_(NewPictureSlots())
{
    SendMessageW(form_.Control(C::LvMenus), LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_GRIDLINES | LVS_EX_FLATSB | LVS_EX_FULLROWSELECT);
    ListViewFitListColumns(form_.Control(C::LvMenus));
    SetWindowSubclass(form_.Control(C::LvMenus), MenuListKeys, 1, reinterpret_cast<DWORD_PTR>(this));
}

KonfigMenus::~KonfigMenus()
{
    RemoveWindowSubclass(form_.Control(C::LvMenus), MenuListKeys, 1);
    // The list shows an image list owned by the store: detach it before the slots go.
    ListViewSetImageList(form_.Control(C::LvMenus), LVSIL_SMALL, nullptr);
}

int KonfigMenus::PictureSize() const { return SystemMetricForDpi(SM_CXSMICON, form_.Dpi()); }

int KonfigMenus::SelectedIndex() const { return ListViewSelectedIndex(form_.Control(C::LvMenus)); }

void KonfigMenus::Select(int index) { ListViewSelect(form_.Control(C::LvMenus), index); }

void KonfigMenus::LaidOut(bool shown)
{
    HWND menus = form_.Control(C::LvMenus);
    if (shown && pictures_) {
        pictures_->RequestPictures(PictureSize(), PictureUrgency::Shown);
        ListViewSetImageList(menus, LVSIL_SMALL, pictures_->Handle(PictureSize()));
    }
    // The columns as wide as the menus' names: twice as many in the one row the list has
    // room for.
    ListViewFitListColumns(menus);
    if (shown) InvalidateRect(menus, nullptr, TRUE);
}

void KonfigMenus::FillMenuList()
{
    HWND list = form_.Control(C::LvMenus);
    filling_ = true;
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    // Menu i shows slot i: its icon file's icon, or the placeholder where it has none.
    auto* pictures = pictures_.get();
    if (pictures) {
        pictures->RemoveAllImages();
        for (const auto& menu : MenuList) {
            TOneItem icon;
            icon.IconPfad = menu->IconPfad;
            icon.IconNum = menu->IconNum;
            pictures->AddEntryImage(icon);
        }
        pictures->RequestPictures(PictureSize(), PictureUrgency::Shown);
        ListViewSetImageList(list, LVSIL_SMALL, pictures->Handle(PictureSize()));
    }
    for (const auto& menu : MenuList) ListViewAddItem(list, menu->MenuName.c_str(), I_IMAGECALLBACK);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    ListViewFitListColumns(list);
    InvalidateRect(list, nullptr, TRUE);
    filling_ = false;
    // The old entries went without their selection being reported.
    LvMenusChange();
    SetFocus(list);
}

void KonfigMenus::LvMenusChange()
{
    const int selected = SelectedIndex();
    const bool chosen = selected >= 0 && MenuAt(selected);
    if (chosen) lastSelected_ = selected;
    listener_.chosen(chosen ? selected : -1);
}

LRESULT KonfigMenus::LvMenusData(NMHDR& header)
{
    auto& info = reinterpret_cast<NMLVDISPINFOW&>(header);
    auto* pictures = pictures_.get();
    if (!(info.item.mask & LVIF_IMAGE) || !pictures) return 0;
    const int size = PictureSize();
    pictures->MarkShownPending(info.item.iItem, size, header.hwndFrom, nullptr);
    info.item.iImage = pictures->PictureIndex(info.item.iItem, size);
    return 0;
}

LRESULT KonfigMenus::LvMenusItemChanged(NMHDR& header)
{
    if (!filling_ && ListViewSelectionChanged(header)) LvMenusChange();
    return 0;
}

void KonfigMenus::AddMenu(const std::string& name, uint8_t lcb, uint16_t hotkey, int iconNum,
                         const std::string& iconPfad, const std::string& folder)
{
    TOneMenu& menu = NewMenu(MenuList);
    menu.MenuName = name;
    menu.LCB = lcb;
    menu.Hotkey = hotkey;
    menu.IconNum = iconNum;
    menu.IconPfad = iconPfad;
    menu.MenuFolder = folder;
    FillMenuList();
    Select(static_cast<int>(MenuList.size()) - 1);
}

void KonfigMenus::RemoveMenu(int index)
{
    TOneMenu* menu = MenuAt(index);
    if (!menu) return;
    // The item list lets go of the menu's pictures before they are freed.
    listener_.releasing();
    menu->ClearItems();
    menu->Images.reset();
    MenuList.erase(MenuList.begin() + index);
    FillMenuList();
    if (!MenuList.empty()) Select(std::min(index, static_cast<int>(MenuList.size()) - 1));
}

void KonfigMenus::ClearMenuItems(int index)
{
    TOneMenu* menu = MenuAt(index);
    if (!menu) return;
    menu->ClearItems();
    if (ImageListMenuImages* images = ImageListOf(*menu)) images->RemoveAllImages();
    listener_.cleared();
}

void KonfigMenus::BtnAddMenuClick()
{
    if (MenuList.size() >= static_cast<size_t>(MaxMenus)) {
        ShowMessageDialog(form_.Handle(), "The total number of menus is limited to 50.", MessageKind::Information,
                          MessageButtons::Ok);
        return;
    }
    TfrmEditMenu& dialog = dialog_;
    dialog.SetMenuName("New Menu");
    dialog.SetMenuHotKey(0);
    dialog.SetIconPfad(OwnModulePath());
    dialog.SetIconNum(0);
    dialog.SetMenuFolder("");
    dialog.SetInitialFocus(EditMenuControl::EdMenuName);
    if (dialog.Execute(form_.Handle(), "New menu") != ModalResult::Ok) return;
    AddMenu(dialog.MenuName(), static_cast<uint8_t>(dialog.LCBIndex() + 1), dialog.MenuHotKey(), dialog.IconNum(),
            dialog.IconPfad(), dialog.MenuFolder());
}

TOneMenu* KonfigMenus::SelectedMenuOrNotice(int& index)
{
    index = SelectedIndex();
    TOneMenu* menu = MenuAt(index);
    if (!menu) ShowMessageDialog(form_.Handle(), "No menu selected.", MessageKind::Information, MessageButtons::Ok);
    return menu;
}

void KonfigMenus::BtnModifyMenuClick()
{
    int i = -1;
    TOneMenu* menu = SelectedMenuOrNotice(i);
    if (!menu) return;
    TfrmEditMenu& dialog = dialog_;
    dialog.SetMenuName(menu->MenuName);
    dialog.SetMenuHotKey(menu->Hotkey);
    dialog.SetIconPfad(menu->IconPfad);
    dialog.SetIconNum(menu->IconNum);
    dialog.SetLCBIndex(static_cast<int>(menu->LCB) - 1);
    dialog.SetMenuFolder(menu->MenuFolder);
    dialog.SetInitialFocus(EditMenuControl::EdMenuName);
    if (dialog.Execute(form_.Handle(), "Modify menu") == ModalResult::Ok) {
        menu->MenuName = dialog.MenuName();
        menu->Hotkey = dialog.MenuHotKey();
        menu->IconPfad = dialog.IconPfad();
        menu->IconNum = dialog.IconNum();
        menu->LCB = static_cast<uint8_t>(dialog.LCBIndex() + 1);
        menu->MenuFolder = dialog.MenuFolder();
        FillMenuList();
        Select(i);
        // The items part shows the entries editable or the folder's note, as the menu now is.
        LvMenusChange();
        return;
    }
    Select(i);
}

void KonfigMenus::BtnRemoveMenuClick()
{
    int i = -1;
    TOneMenu* menu = SelectedMenuOrNotice(i);
    if (!menu) return;
    if (!menu->Items.empty() &&
        ShowMessageDialog(form_.Handle(), "There are items in this menu. Do you really want to remove it ?",
                          MessageKind::Confirmation, MessageButtons::YesNoCancel) != IDYES)
        return;
    RemoveMenu(i);
}

void KonfigMenus::BtnClearMenuClick()
{
    int i = -1;
    if (!SelectedMenuOrNotice(i)) return;
    if (ShowMessageDialog(form_.Handle(), "Do you really want to remove all items from the current menu ?",
                          MessageKind::Confirmation, MessageButtons::YesNoCancel) != IDYES)
        return;
    ClearMenuItems(i);
}

void KonfigMenus::SwapMenus(int from, int to)
{
    // The whole menus change places: items, pictures, icon, hotkey and name travel together.
    std::swap(MenuList[static_cast<size_t>(from)], MenuList[static_cast<size_t>(to)]);
    FillMenuList();
    Select(to);
}

void KonfigMenus::BtnMoveUpMenuClick()
{
    int i = SelectedIndex();
    if (i > 0 && MenuAt(i)) SwapMenus(i, i - 1);
}

void KonfigMenus::BtnMoveDnMenuClick()
{
    int i = SelectedIndex();
    if (i >= 0 && i + 1 < static_cast<int>(MenuList.size())) SwapMenus(i, i + 1);
}
