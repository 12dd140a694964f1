// The settings window's Menus group: the list of menus and its buttons.
#include "settings/konfig_win.h"

#include "config/globalvar_win.h"
#include "config/model.h"
#include "menus/menu_images_win.h"
#include "menus/menu_items_win.h"
#include "settings/editmenu_win.h"
#include "settings/konfig_rules.h"
#include "win/listview.h"
#include "win/message_seam.h"

#include <shellapi.h>

#include <algorithm>
#include <utility>

namespace {
constexpr int LabelWidth = 153;  // the current menu's label
}  // namespace

void TfrmKonfig::FillMenuList()
{
    HWND list = Control("LvMenus");
    fillingMenus_ = true;
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    // Menu i shows slot i: its icon file's icon, or the placeholder where it has none.
    auto* pictures = menuPictures_.get();
    if (pictures) {
        pictures->RemoveAllImages();
        for (const auto& menu : MenuList) {
            TOneItem icon;
            icon.IconPfad = menu->IconPfad;
            icon.IconNum = menu->IconNum;
            pictures->AddEntryImage(icon);
        }
        pictures->RequestPictures(MenuPictureSize(), PictureUrgency::Shown);
        ListViewSetImageList(list, LVSIL_SMALL, pictures->Handle(MenuPictureSize()));
    }
    for (const auto& menu : MenuList) ListViewAddItem(list, menu->MenuName.c_str(), I_IMAGECALLBACK);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    ListViewFitListColumns(list);
    InvalidateRect(list, nullptr, TRUE);
    fillingMenus_ = false;
    // The old entries went without their selection being reported.
    LvMenusChange();
    SetFocus(list);
}

void TfrmKonfig::LvMenusChange()
{
    LoadItemMask(-1);
    int selected = SelectedIndex("LvMenus");
    if (selected >= 0 && MenuAt(selected)) {
        CurrentMenu = selected;
        lastSelectedMenu_ = selected;
        SetEnabled("GroupBoxItemsEdit", true);
        SetDirectChildrenEnabled("GroupBoxItemsEdit", true);
        HWND label = Control("LblCurrentMenu");
        ScopedGetDC dc(Handle());
        ScopedSelectObject labelFont(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)));
        std::string text = ShortenText(CurrentMenuText(MenuList[static_cast<size_t>(selected)]->MenuName),
                                       LabelWidth, dc.get());
        SetText("LblCurrentMenu", text);
    } else {
        CurrentMenu = -1;
        SetDirectChildrenEnabled("GroupBoxItemsEdit", false);
        SetEnabled("GroupBoxItemsEdit", false);
        SetText("LblCurrentMenu", "- no menu selected -");
    }
    RefreshItemList();
    TOneMenu* menu = Current();
    SetText("LblItemIndex", ItemIndexText(menu != nullptr, -1, menu ? menu->Items.size() : 0));
}

LRESULT TfrmKonfig::LvMenusData(NMHDR& header)
{
    auto& info = reinterpret_cast<NMLVDISPINFOW&>(header);
    auto* pictures = menuPictures_.get();
    if (!(info.item.mask & LVIF_IMAGE) || !pictures) return 0;
    const int size = MenuPictureSize();
    pictures->MarkShownPending(info.item.iItem, size, header.hwndFrom, nullptr);
    info.item.iImage = pictures->PictureIndex(info.item.iItem, size);
    return 0;
}

LRESULT TfrmKonfig::LvMenusItemChanged(NMHDR& header)
{
    if (!fillingMenus_ && ListViewSelectionChanged(header)) LvMenusChange();
    return 0;
}

void TfrmKonfig::AddMenu(const std::string& name, uint8_t lcb, uint16_t hotkey, int iconNum,
                         const std::string& iconPfad)
{
    TOneMenu& menu = NewMenu(MenuList);
    menu.MenuName = name;
    menu.LCB = lcb;
    menu.Hotkey = hotkey;
    menu.IconNum = iconNum;
    menu.IconPfad = iconPfad;
    FillMenuList();
    Select("LvMenus", static_cast<int>(MenuList.size()) - 1);
}

void TfrmKonfig::RemoveMenu(int index)
{
    TOneMenu* menu = MenuAt(index);
    if (!menu) return;
    // The item list lets go of the menu's pictures before they are freed.
    CurrentMenu = -1;
    RefreshItemList();
    menu->ClearItems();
    menu->Images.reset();
    MenuList.erase(MenuList.begin() + index);
    FillMenuList();
    if (!MenuList.empty()) Select("LvMenus", std::min(index, static_cast<int>(MenuList.size()) - 1));
}

void TfrmKonfig::ClearMenuItems(int index)
{
    TOneMenu* menu = MenuAt(index);
    if (!menu) return;
    menu->ClearItems();
    if (ImageListMenuImages* images = ImageListOf(*menu)) images->RemoveAllImages();
    RefreshItemList();
    LoadItemMask(-1);
}

void TfrmKonfig::BtnAddMenuClick()
{
    if (MenuList.size() >= static_cast<size_t>(MaxMenus)) {
        ShowMessageDialog(Handle(), "The total number of menus is limited to 50.", MessageKind::Information,
                          MessageButtons::Ok);
        return;
    }
    TfrmEditMenu& dialog = *frmEditMenu_;
    dialog.SetCaption("New menu");
    dialog.SetMenuName("New Menu");
    dialog.SetMenuHotKey(0);
    dialog.SetIconPfad(OwnModulePath());
    dialog.SetIconNum(0);
    dialog.SetInitialFocus("EdMenuName");
    if (dialog.Execute(Handle()) != ModalResult::Ok) return;
    AddMenu(dialog.MenuName(), static_cast<uint8_t>(dialog.LCBIndex() + 1), dialog.MenuHotKey(), dialog.IconNum(),
            dialog.IconPfad());
}

TOneMenu* TfrmKonfig::SelectedMenuOrNotice(int& index)
{
    index = SelectedIndex("LvMenus");
    TOneMenu* menu = MenuAt(index);
    if (!menu) ShowMessageDialog(Handle(), "No menu selected.", MessageKind::Information, MessageButtons::Ok);
    return menu;
}

void TfrmKonfig::BtnModifyMenuClick()
{
    int i = -1;
    TOneMenu* menu = SelectedMenuOrNotice(i);
    if (!menu) return;
    TfrmEditMenu& dialog = *frmEditMenu_;
    dialog.SetCaption("Modify menu");
    dialog.SetMenuName(menu->MenuName);
    dialog.SetMenuHotKey(menu->Hotkey);
    dialog.SetIconPfad(menu->IconPfad);
    dialog.SetIconNum(menu->IconNum);
    dialog.SetLCBIndex(static_cast<int>(menu->LCB) - 1);
    dialog.SetInitialFocus("EdMenuName");
    if (dialog.Execute(Handle()) == ModalResult::Ok) {
        menu->MenuName = dialog.MenuName();
        menu->Hotkey = dialog.MenuHotKey();
        menu->IconPfad = dialog.IconPfad();
        menu->IconNum = dialog.IconNum();
        menu->LCB = static_cast<uint8_t>(dialog.LCBIndex() + 1);
        FillMenuList();
    }
    Select("LvMenus", i);
}

void TfrmKonfig::BtnRemoveMenuClick()
{
    int i = -1;
    TOneMenu* menu = SelectedMenuOrNotice(i);
    if (!menu) return;
    if (!menu->Items.empty() &&
        ShowMessageDialog(Handle(), "There are items in this menu. Do you really want to remove it ?",
                          MessageKind::Confirmation, MessageButtons::YesNoCancel) != IDYES)
        return;
    RemoveMenu(i);
}

void TfrmKonfig::BtnClearMenuClick()
{
    int i = -1;
    if (!SelectedMenuOrNotice(i)) return;
    if (ShowMessageDialog(Handle(), "Do you really want to remove all items from the current menu ?",
                          MessageKind::Confirmation, MessageButtons::YesNoCancel) != IDYES)
        return;
    ClearMenuItems(i);
}

void TfrmKonfig::SwapMenus(int from, int to)
{
    // The whole menus change places: items, pictures, icon, hotkey and name travel together.
    std::swap(MenuList[static_cast<size_t>(from)], MenuList[static_cast<size_t>(to)]);
    FillMenuList();
    Select("LvMenus", to);
}

void TfrmKonfig::BtnMoveUpMenuClick()
{
    int i = SelectedIndex("LvMenus");
    if (i > 0 && MenuAt(i)) SwapMenus(i, i - 1);
}

void TfrmKonfig::BtnMoveDnMenuClick()
{
    int i = SelectedIndex("LvMenus");
    if (i >= 0 && i + 1 < static_cast<int>(MenuList.size())) SwapMenus(i, i + 1);
}
