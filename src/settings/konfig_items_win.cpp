#include "settings/konfig_items_win.h"

#include "config/globalvar_win.h"
#include "config/model.h"
#include "menus/menu_images_win.h"
#include "menus/menu_items_win.h"
#include "menus/type_ahead_win.h"
#include "settings/konfig_drop_rules.h"
#include "settings/konfig_rules.h"
#include "shell/environment_win.h"
#include "win/dpi.h"
#include "win/listview.h"
#include "win/message_seam.h"
#include "win/text_conversion.h"

#include <algorithm>
#include <utility>

using C = KonfigControl;

namespace {

constexpr int LabelWidth = 153;  // the current menu's label

PathKind PathKindOf(const std::string& path)
{
    if (path.empty()) return PathKind::Missing;
    // Judged as the shell will find it when it starts the entry; the entry keeps the text.
    DWORD attributes = GetFileAttributesW(ExpandEnvironmentWide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::Missing;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::Directory : PathKind::File;
}

// The list view's own search takes no blanks and forgets its text after half a second:
// typed characters go to the group's type-ahead instead. Ctrl+Up and Ctrl+Down are the
// Move buttons, taken before the list moves its focus without the selection.
LRESULT CALLBACK ItemListKeys(HWND list, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR items)
{
    const int step = msg == WM_KEYDOWN ? MoveStepForKey(static_cast<unsigned>(wParam), GetKeyState(VK_CONTROL) < 0, false) : 0;
    if (step != 0) {
        auto* part = reinterpret_cast<KonfigItems*>(items);
        if (step < 0) part->BtnMoveUpItemClick();
        else part->BtnMoveDnItemClick();
        return 0;
    }
    if (msg == WM_CHAR && wParam >= 0x20 && wParam != 0x7F) {
        reinterpret_cast<KonfigItems*>(items)->LvItemsTypeAhead(TypedCharacter(list, LOWORD(wParam)));
        return 0;
    }
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(list, ItemListKeys, id);
    return DefSubclassProc(list, msg, wParam, lParam);
}

}  // namespace

KonfigItems::KonfigItems(KonfigForm& form, const KonfigHost& host, const KonfigSystem& system,
                         std::function<TOneMenu*()> currentMenu)
    : form_(form),
      current_(std::move(currentMenu)),
      mask_(form, host, system),
      drops_(form.Handle(), form.Control(C::LvItems),
             {[this] { return EditableMenu(); }, host.desktopFolder, [this](const TOneMenu& menu) { return RefuseFullMenu(menu); },
              [this](std::unique_ptr<TOneItem> item) { InsertItem(std::move(item), -1); },
              [this] {
                  if (TOneMenu* menu = current_()) Select(static_cast<int>(menu->Items.size()) - 1);
              }})
{
    HWND list = form_.Control(C::LvItems);
    // Two columns of entries with their labels below: at the table's size a menu's items
    // show four wholly and two nearly, not two and a half.
    ListViewSetIconColumns(list, 2, PictureSize());
    SetWindowSubclass(list, ItemListKeys, 1, reinterpret_cast<DWORD_PTR>(this));
}

KonfigItems::~KonfigItems()
{
    // The list shows image lists owned elsewhere: detach them before the window goes.
    HWND list = form_.Control(C::LvItems);
    RemoveWindowSubclass(list, ItemListKeys, 1);
    ListViewSetImageList(list, LVSIL_NORMAL, nullptr);
}

int KonfigItems::PictureSize() const { return ScaleByDpi(SettingsPictureSize, form_.Dpi()); }

int KonfigItems::SelectedIndex() const { return ListViewSelectedIndex(form_.Control(C::LvItems)); }

void KonfigItems::Select(int index) { ListViewSelect(form_.Control(C::LvItems), index); }

TOneMenu* KonfigItems::EditableMenu() const
{
    TOneMenu* menu = current_();
    return menu && menu->MenuFolder.empty() ? menu : nullptr;
}

void KonfigItems::ShowFolderNote(const TOneMenu* menu)
{
    const bool follows = menu && !menu->MenuFolder.empty();
    const int mask = follows ? SW_HIDE : SW_SHOW;
    for (int c = static_cast<int>(C::PanEditControls) + 1; c < static_cast<int>(C::LblFolderNote); ++c)
        if (c != static_cast<int>(C::PanIcon)) ShowWindow(form_.Control(static_cast<C>(c)), mask);
    if (follows) {
        form_.SetText(C::LblFolderNote, "This menu shows the contents of\n" + menu->MenuFolder +
                                            "\n\nIts own entries are kept but not shown. To edit them, clear the "
                                            "folder in the menu's properties (Modify).");
        for (C button : {C::BtnMoveUpItem, C::BtnMoveDnItem, C::BtnAddSep, C::BtnAddItem, C::BtnModifyItem,
                         C::BtnRemoveItem, C::BtnClearItemMask})
            form_.SetEnabled(button, false);
    }
    ShowWindow(form_.Control(C::LblFolderNote), follows ? SW_SHOW : SW_HIDE);
    form_.SetText(C::Label5, follows ? "Folder" : "Edit Item");
}

void KonfigItems::ShowMenu()
{
    TOneMenu* menu = current_();
    if (menu) {
        form_.SetEnabled(C::GroupBoxItemsEdit, true);
        form_.SetDirectChildrenEnabled(C::GroupBoxItemsEdit, true);
        HWND label = form_.Control(C::LblCurrentMenu);
        ScopedGetDC dc(form_.Handle());
        ScopedSelectObject labelFont(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)));
        form_.SetText(C::LblCurrentMenu, ShortenText(CurrentMenuText(menu->MenuName), LabelWidth, dc.get()));
    } else {
        form_.SetDirectChildrenEnabled(C::GroupBoxItemsEdit, false);
        form_.SetEnabled(C::GroupBoxItemsEdit, false);
        form_.SetText(C::LblCurrentMenu, "- no menu selected -");
    }
    ShowFolderNote(menu);
    RefreshItemList();
    form_.SetText(C::LblItemIndex, ItemIndexText(menu != nullptr, -1, menu ? menu->Items.size() : 0));
}

void KonfigItems::LoadItemMask(int index)
{
    TOneMenu* menu = current_();
    if (!menu || index >= static_cast<int>(menu->Items.size())) index = -1;
    bool separator = false;
    if (index < 0) {
        Select(-1);
        mask_.Clear();
    } else {
        separator = mask_.Load(*menu->Items[static_cast<size_t>(index)]);
    }
    const bool editable = EditableMenu() != nullptr;
    form_.SetEnabled(C::BtnModifyItem, !separator && editable);
    form_.SetEnabled(C::BtnAddItem, !separator && editable);
    form_.SetText(C::LblItemIndex, ItemIndexText(menu != nullptr, index, menu ? menu->Items.size() : 0));
}

void KonfigItems::LaidOut(bool shown)
{
    ListViewSetIconColumns(form_.Control(C::LvItems), 2, PictureSize());
    if (shown) RefreshItemList();
    mask_.LaidOut(shown);
}

void KonfigItems::RefreshItemList()
{
    HWND list = form_.Control(C::LvItems);
    ListViewSetImageList(list, LVSIL_NORMAL, nullptr);
    TOneMenu* menu = current_();
    if (!menu) {
        ListViewSetItemCount(list, 0);
        return;
    }
    // The pictures first: their size is part of the places the count arranges. Those not
    // made yet show the placeholder until they arrive.
    if (ImageListMenuImages* images = ImageListOf(*menu)) {
        images->RequestPictures(PictureSize(), PictureUrgency::Shown);
        ListViewSetImageList(list, LVSIL_NORMAL, images->Handle(PictureSize()));
    }
    ListViewSetItemCount(list, menu->Items.size());
    int selected = ListViewSelectedIndex(list);
    if (selected >= 0) ListViewEnsureVisible(list, selected);
    InvalidateRect(list, nullptr, TRUE);
    SetFocus(list);
}

LRESULT KonfigItems::LvItemsData(NMHDR& header)
{
    auto& info = reinterpret_cast<NMLVDISPINFOW&>(header);
    TOneMenu* menu = current_();
    int n = info.item.iItem;
    if (!menu || n < 0 || n >= static_cast<int>(menu->Items.size())) return 0;
    const TOneItem& item = *menu->Items[static_cast<size_t>(n)];
    if ((info.item.mask & LVIF_TEXT) && info.item.pszText && info.item.cchTextMax > 0) {
        const std::wstring text = FirstUnitsWide(item.Description, static_cast<size_t>(info.item.cchTextMax - 1));
        lstrcpynW(info.item.pszText, text.c_str(), info.item.cchTextMax);
    }
    if ((info.item.mask & LVIF_IMAGE) && ImageListOf(*menu)) {
        ImageListMenuImages& images = *ImageListOf(*menu);
        images.MarkShownPending(item.ImageIndex, PictureSize(), header.hwndFrom, nullptr);
        info.item.iImage = images.PictureIndex(item.ImageIndex, PictureSize());
    }
    return 0;
}

LRESULT KonfigItems::LvItemsDataFind(NMHDR& header)
{
    const auto& find = reinterpret_cast<const NMLVFINDITEMW&>(header);
    TOneMenu* menu = current_();
    if (!menu || !(find.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) || !find.lvfi.psz) return -1;
    const std::string text = Utf8(find.lvfi.psz);
    return FindItemByPrefix(menu->Items, find.iStart, text, (find.lvfi.flags & LVFI_WRAP) != 0, UpperCaseText);
}

bool KonfigItems::LvItemsTypeAhead(char32_t typed)
{
    TOneMenu* menu = current_();
    if (!menu) return false;
    const std::u32string& text = typeAhead_.Add(typed, GetTickCount());
    std::vector<std::string_view> descriptions;
    descriptions.reserve(menu->Items.size());
    for (const auto& item : menu->Items) descriptions.emplace_back(item->Description);
    // A longer text may still fit the item found so far; a new one looks from the next item on.
    const int selected = SelectedIndex();
    const int start = text.size() > 1 ? std::max(selected, 0) : selected + 1;
    const int found = FindByTypedText(descriptions, text, FoldBySystem, start, true);
    if (found < 0) return false;
    Select(found);
    ListViewEnsureVisible(form_.Control(C::LvItems), found);
    return true;
}

LRESULT KonfigItems::LvItemsItemChanged(NMHDR& header)
{
    if (ListViewSelectionChanged(header)) LvItemsChange();
    return 0;
}

void KonfigItems::LvItemsChange()
{
    int selected = SelectedIndex();
    TOneMenu* menu = current_();
    if (selected >= 0 && menu) {
        LoadItemMask(selected);
        return;
    }
    form_.SetText(C::LblItemIndex, ItemIndexText(menu != nullptr, -1, menu ? menu->Items.size() : 0));
}

void KonfigItems::InsertItem(std::unique_ptr<TOneItem> item, int position)
{
    TOneMenu* menu = EditableMenu();
    if (!menu) return;
    // Its picture is pending until the refresh loads the list's pictures.
    AddItem(*menu, std::move(item), position);
    RefreshItemList();
}

bool KonfigItems::RefuseFullMenu(const TOneMenu& menu)
{
    if (!menu.IsFull()) return false;
    ShowMessageDialog(form_.Handle(), "A menu holds at most 1900 items.", MessageKind::Warning, MessageButtons::Ok);
    return true;
}

void KonfigItems::BtnAddItemClick()
{
    TOneMenu* menu = EditableMenu();
    if (!menu) return;
    ItemMask mask = mask_.Read();
    if (const char* warning = AddItemMaskWarning(mask, PathKindOf(mask.pfad), PathKindOf(mask.iconPfad))) {
        ShowMessageDialog(form_.Handle(), warning, MessageKind::Warning, MessageButtons::Ok);
        return;
    }
    if (RefuseFullMenu(*menu)) return;
    auto item = std::make_unique<TOneItem>();
    if (mask.shellItem) {
        item->IsPIDL = true;
        item->Pfad = IdListToBytes(mask_.ShellItem().get());
    }
    ApplyItemMask(mask, *item);
    InsertItem(std::move(item), -1);
    Select(static_cast<int>(menu->Items.size()) - 1);
}

void KonfigItems::BtnModifyItemClick()
{
    TOneMenu* menu = EditableMenu();
    int n = SelectedIndex();
    if (!menu || n < 0 || n >= static_cast<int>(menu->Items.size())) {
        ShowMessageDialog(form_.Handle(), "No item selected.", MessageKind::Information, MessageButtons::Ok);
        return;
    }
    if (IsBlankText(form_.Text(C::EdIconPfad))) form_.SetChecked(C::CheckDefaultIcon, true);
    ItemMask mask = mask_.Read();
    if (const char* warning = ModifyItemMaskWarning(mask, PathKindOf(mask.iconPfad))) {
        ShowMessageDialog(form_.Handle(), warning, MessageKind::Warning, MessageButtons::Ok);
        LoadItemMask(n);
        return;
    }
    TOneItem& item = *menu->Items[static_cast<size_t>(n)];
    ApplyItemMask(mask, item);
    if (ImageListMenuImages* images = ImageListOf(*menu)) (void)images->ReplaceEntryImage(item.ImageIndex, item);
    RefreshItemList();
}

void KonfigItems::RemoveItem(int index)
{
    TOneMenu* menu = EditableMenu();
    if (!menu || !menu->RemoveItem(index)) return;
    RefreshItemList();
    if (menu->Items.empty()) {
        LoadItemMask(-1);
        return;
    }
    int next = std::min(index, static_cast<int>(menu->Items.size()) - 1);
    Select(next);
    LoadItemMask(next);
}

void KonfigItems::BtnRemoveItemClick()
{
    if (current_() && !EditableMenu()) return;  // a menu following a folder keeps its entries
    int n = SelectedIndex();
    if (n < 0 || !current_()) {
        ShowMessageDialog(form_.Handle(), "No item selected.", MessageKind::Information, MessageButtons::Ok);
        return;
    }
    RemoveItem(n);
    int selected = SelectedIndex();
    if (selected >= 0) ListViewEnsureVisible(form_.Control(C::LvItems), selected);
}

void KonfigItems::BtnClearItemMaskClick() { LoadItemMask(-1); }

void KonfigItems::SwapItems(int from, int to)
{
    // The picture reference travels with its item; the picture list stays as it is.
    if (!current_()->SwapItems(from, to)) return;
    RefreshItemList();
    Select(to);
}

void KonfigItems::BtnMoveUpItemClick()
{
    int n = SelectedIndex();
    if (EditableMenu() && n > 0) SwapItems(n, n - 1);
}

void KonfigItems::BtnMoveDnItemClick()
{
    TOneMenu* menu = EditableMenu();
    int n = SelectedIndex();
    if (menu && n >= 0 && n + 1 < static_cast<int>(menu->Items.size())) SwapItems(n, n + 1);
}

void KonfigItems::BtnAddSepClick()
{
    TOneMenu* menu = EditableMenu();
    if (!menu) return;
    if (RefuseFullMenu(*menu)) return;
    int p = SelectedIndex();
    InsertItem(NewSeparator(), p);
    int at = p < 0 ? static_cast<int>(menu->Items.size()) - 1 : p;
    Select(at);
    RefreshItemList();
    LoadItemMask(at);
}

void KonfigItems::DrawBannerCounter(const DRAWITEMSTRUCT& item) const
{
    // As the other banner labels are painted, with room for the glyph's overhang.
    constexpr int Inset = 2;
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_APPWORKSPACE));
    const std::wstring text = Wide(form_.Text(C::LblItemIndex));
    RECT place = item.rcItem;
    place.right -= Inset;
    ScopedSelectObject font(item.hDC, reinterpret_cast<HGDIOBJ>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0)));
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, (item.itemState & ODS_DISABLED) ? GetSysColor(COLOR_GRAYTEXT) : RGB(255, 255, 255));
    DrawTextW(item.hDC, text.c_str(), static_cast<int>(text.size()), &place,
              DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

std::optional<LRESULT> KonfigItems::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_PAINT:
        mask_.TakeFinishedPictures();
        return std::nullopt;
    case WM_SHOWWINDOW:
        // Hidden, the item list holds no menu's pictures: the model may be released meanwhile.
        if (!wParam) ListViewSetImageList(form_.Control(C::LvItems), LVSIL_NORMAL, nullptr);
        return std::nullopt;
    case WM_CTLCOLORSTATIC: {
        HWND control = reinterpret_cast<HWND>(lParam);
        if (control != form_.Control(C::LblCurrentMenu) && control != form_.Control(C::Label5)) return std::nullopt;
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, RGB(255, 255, 255));
        SetBkColor(dc, GetSysColor(COLOR_APPWORKSPACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_APPWORKSPACE));
    }
    case WM_DRAWITEM: {
        auto& item = *reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (item.hwndItem != form_.Control(C::LblItemIndex)) return std::nullopt;
        DrawBannerCounter(item);
        return TRUE;
    }
    default:
        return mask_.HandleMessage(msg, wParam, lParam);
    }
}
