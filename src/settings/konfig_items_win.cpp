// The settings window's Items group: the item list of the current menu, its buttons
// and the mask that edits one item.
#include "settings/konfig_win.h"

#include "config/globalvar_win.h"
#include "config/model.h"
#include "menus/entry_icon_rules.h"
#include "menus/entry_icon_win.h"
#include "menus/menu_images_win.h"
#include "menus/type_ahead_win.h"
#include "settings/konfig_drop_rules.h"
#include "settings/konfig_rules.h"
#include "shell/environment_win.h"
#include "shell/icon_picker_win.h"
#include "shell/path_text.h"
#include "win/listview.h"
#include "win/application.h"
#include "win/message_seam.h"
#include "win/text_conversion.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

PathKind PathKindOf(const std::string& path)
{
    if (path.empty()) return PathKind::Missing;
    // Judged as the shell will find it when it starts the entry; the entry keeps the text.
    DWORD attributes = GetFileAttributesW(Wide(ExpandEnvironment(path)).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::Missing;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::Folder : PathKind::File;
}

}  // namespace

void TfrmKonfig::RefreshItemList()
{
    HWND list = Control("LvItems");
    ListViewSetImageList(list, LVSIL_NORMAL, nullptr);
    TOneMenu* menu = Current();
    if (!menu) {
        ListViewSetItemCount(list, 0);
        return;
    }
    // The pictures first: their size is part of the places the count arranges. Those not
    // made yet show the placeholder until they arrive.
    if (ImageListMenuImages* images = ImageListOf(*menu)) {
        images->RequestPictures(ItemPictureSize(), PictureUrgency::Shown);
        ListViewSetImageList(list, LVSIL_NORMAL, images->Handle(ItemPictureSize()));
    }
    ListViewSetItemCount(list, menu->Items.size());
    int selected = ListViewSelectedIndex(list);
    if (selected >= 0) ListViewEnsureVisible(list, selected);
    InvalidateRect(list, nullptr, TRUE);
    SetFocus(list);
}

LRESULT TfrmKonfig::LvItemsData(NMHDR& header)
{
    auto& info = reinterpret_cast<NMLVDISPINFOW&>(header);
    TOneMenu* menu = Current();
    int n = info.item.iItem;
    if (!menu || n < 0 || n >= static_cast<int>(menu->Items.size())) return 0;
    const TOneItem& item = *menu->Items[static_cast<size_t>(n)];
    if ((info.item.mask & LVIF_TEXT) && info.item.pszText && info.item.cchTextMax > 0) {
        const std::wstring text = Wide(FirstUnits(item.Description, static_cast<size_t>(info.item.cchTextMax - 1)));
        lstrcpynW(info.item.pszText, text.c_str(), info.item.cchTextMax);
    }
    if ((info.item.mask & LVIF_IMAGE) && ImageListOf(*menu)) {
        ImageListMenuImages& images = *ImageListOf(*menu);
        images.MarkShownPending(item.ImageIndex, ItemPictureSize(), header.hwndFrom, nullptr);
        info.item.iImage = images.PictureIndex(item.ImageIndex, ItemPictureSize());
    }
    return 0;
}

LRESULT TfrmKonfig::LvItemsDataFind(NMHDR& header)
{
    const auto& find = reinterpret_cast<const NMLVFINDITEMW&>(header);
    TOneMenu* menu = Current();
    if (!menu || !(find.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) || !find.lvfi.psz) return -1;
    const std::string text = Utf8(find.lvfi.psz);
    return FindItemByPrefix(menu->Items, find.iStart, text, (find.lvfi.flags & LVFI_WRAP) != 0, UpperCaseText);
}

bool TfrmKonfig::LvItemsTypeAhead(char32_t typed)
{
    TOneMenu* menu = Current();
    if (!menu) return false;
    const std::u32string& text = itemTypeAhead_.Add(typed, GetTickCount());
    std::vector<std::string_view> descriptions;
    descriptions.reserve(menu->Items.size());
    for (const auto& item : menu->Items) descriptions.emplace_back(item->Description);
    // A longer text may still fit the item found so far; a new one looks from the next item on.
    const int selected = SelectedIndex("LvItems");
    const int start = text.size() > 1 ? std::max(selected, 0) : selected + 1;
    const int found = FindByTypedText(descriptions, text, FoldBySystem, start, true);
    if (found < 0) return false;
    Select("LvItems", found);
    ListViewEnsureVisible(Control("LvItems"), found);
    return true;
}

LRESULT TfrmKonfig::LvItemsItemChanged(NMHDR& header)
{
    if (ListViewSelectionChanged(header)) LvItemsChange();
    return 0;
}

void TfrmKonfig::LvItemsChange()
{
    int selected = SelectedIndex("LvItems");
    TOneMenu* menu = Current();
    if (selected >= 0 && menu) {
        LoadItemMask(selected);
        return;
    }
    SetText("LblItemIndex", ItemIndexText(menu != nullptr, -1, menu ? menu->Items.size() : 0));
}

void TfrmKonfig::SetPfadEditable(bool editable)
{
    // A read-only edit takes the button-face colour by itself.
    SendMessageW(Control("EdPfad"), EM_SETREADONLY, editable ? FALSE : TRUE, 0);
}

void TfrmKonfig::SetComboStartMode(const char* combo, uint16_t value)
{
    int index = StartModeIndex(value);
    if (index >= 0) SendMessageW(Control(combo), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void TfrmKonfig::LoadItemMask(int index)
{
    TOneMenu* menu = Current();
    if (!menu || index >= static_cast<int>(menu->Items.size())) index = -1;
    loadingMask_ = true;
    ScopeGuard loaded([this] { loadingMask_ = false; });

    if (index < 0) {
        Select("LvItems", -1);
        CurrentPIDL.reset();
        CurrentIsPIDL = false;
        SetText("EdPfad", "");
        SetPfadEditable(true);
        SetText("EdIconPfad", "");
        SetChecked("CheckDefaultIcon", true);
        SetChecked("CheckAutoStart", false);
        // A new item starts normally: the combo says so rather than showing nothing.
        SendMessageW(Control("ComboStartMode"), CB_SETCURSEL, 0, 0);
        SendMessageW(Control("ComboAutoStartMode"), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        SetText("EdParams", "");
        SetText("EdBeschreibung", "");
        SetText("EdWorkingDir", "");
        SetChecked("CheckRunAsAdmin", false);
        SetEnabled("BtnModifyItem", true);
        SetEnabled("BtnAddItem", true);
        SetControlsEnabled("PanEditControls", true);
        SetText("LblItemIndex", ItemIndexText(menu != nullptr, -1, menu ? menu->Items.size() : 0));
        UpdateIconRange();
        UpdateIconPreview();
        return;
    }

    const TOneItem& item = *menu->Items[static_cast<size_t>(index)];
    if (item.IsPIDL) {
        CurrentPIDL = IdListFromBytes(item.Pfad);
        std::string name;
        if (CurrentPIDL) {
            IShellFolder* desktop = host_.desktopFolder ? host_.desktopFolder() : nullptr;
            if (desktop) name = GetDisplayNameInFolder(desktop, CurrentPIDL.get(), false);
            // The parent folder is bound on a copy: naming cuts the list short for a moment.
            if (name.empty()) {
                ShellIdList copy = IdListFromBytes(item.Pfad);
                if (copy) name = GetIdListDisplayName(copy.get(), true, false, false);
            }
        }
        SetText("EdPfad", name.empty() ? "(unknown shell item)" : name);
        SetPfadEditable(false);
        CurrentIsPIDL = true;
    } else {
        CurrentPIDL.reset();
        SetText("EdPfad", item.Pfad);
        SetPfadEditable(true);
        CurrentIsPIDL = false;
    }
    bool separator = Text("EdPfad") == SeparatorMarker;
    if (separator) {
        SetText("EdPfad", "Separator");
        SetPfadEditable(false);
    }
    SetEnabled("BtnModifyItem", !separator);
    SetEnabled("BtnAddItem", !separator);
    SetControlsEnabled("PanEditControls", !separator);

    SetText("EdIconPfad", item.IconPfad);
    SetChecked("CheckDefaultIcon", item.IconNum == DefaultIconNum);
    SetComboStartMode("ComboStartMode", item.Startmode);
    SetComboStartMode("ComboAutoStartMode", item.AutoStartmode);
    SetChecked("CheckAutoStart", item.Autostart);
    SetText("EdParams", item.Parameters);
    SetText("EdBeschreibung", item.Description);
    SetText("EdWorkingDir", item.WorkingDir);
    SetChecked("CheckRunAsAdmin", item.RunAsAdmin);
    SetText("LblItemIndex", ItemIndexText(true, index, menu->Items.size()));
    UpdateIconRange();
    SetIconNumPosition(item.IconNum == DefaultIconNum ? 0 : item.IconNum);
    UpdateIconPreview();
}

int TfrmKonfig::IconNumPosition() const { return GetScrollPos(Control("ScrollBarIconNum"), SB_CTL); }

void TfrmKonfig::SetIconNumPosition(int position)
{
    SetScrollPos(Control("ScrollBarIconNum"), SB_CTL, position, TRUE);
}

void TfrmKonfig::UpdateIconRange()
{
    pfadTyped_ = false;
    bool useDefault = IsChecked("CheckDefaultIcon");
    int count = 0;
    if (CurrentIsPIDL) count = useDefault ? 0 : IconCountOf(Text("EdIconPfad"));
    else count = IconCountOf(useDefault ? Text("EdPfad") : Text("EdIconPfad"));
    int maximum = count >= 2 ? count - 1 : 0;
    // An empty range would hide the bar: it stays visible and is disabled instead.
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_POS | SIF_DISABLENOSCROLL;
    info.nMax = maximum;
    SetScrollInfo(Control("ScrollBarIconNum"), SB_CTL, &info, TRUE);
    SetEnabled("ScrollBarIconNum", maximum > 0 && !useDefault);
}

void TfrmKonfig::UpdateIconPreview()
{
    KillTimer(Handle(), PreviewTimer);
    TOneItem shown;
    shown.IsPIDL = CurrentIsPIDL;
    shown.Pfad = CurrentIsPIDL ? IdListToBytes(CurrentPIDL.get()) : Text("EdPfad");
    shown.IconNum = IsChecked("CheckDefaultIcon") ? DefaultIconNum : IconNumPosition();
    shown.IconPfad = Text("EdIconPfad");
    HICON placeholder = host_.placeholder ? host_.placeholder() : nullptr;
    auto* pictures = previewPicture_.get();
    if (!pictures) {
        SetPreview(GetEntryIcon(shown.Pfad, shown.IsPIDL, shown.IconNum, shown.IconPfad, placeholder));
        return;
    }
    // The worker makes the picture: a slow file never holds up the window. The preview
    // keeps what it shows until then (the placeholder at first).
    if (pictures->Count() == 0) pictures->AddEntryImage(shown);
    else (void)pictures->ReplaceEntryImage(0, shown);
    const int size = PreviewPictureSize();
    pictures->RequestPictures(size, PictureUrgency::Shown);
    pictures->MarkShownPending(0, size, Handle(), nullptr);
    previewPending_ = true;
    if (!preview_ && placeholder) SetPreview(UniqueIcon(CopyIcon(placeholder)));
    TakeFinishedPictures();
}

void TfrmKonfig::SetPreview(UniqueIcon icon)
{
    SendMessageW(Control("ImgIcon"), STM_SETICON, reinterpret_cast<WPARAM>(icon.get()), 0);
    InvalidateRect(Control("ImgIcon"), nullptr, TRUE);
    preview_ = std::move(icon);
}

void TfrmKonfig::PathTyped()
{
    KillTimer(Handle(), PreviewTimer);
    if (pfadTyped_) UpdateIconRange();
    UpdateIconPreview();
}

void TfrmKonfig::EdPfadChange()
{
    if (loadingMask_) return;
    pfadTyped_ = true;
    SetTimer(Handle(), PreviewTimer, PreviewPause, nullptr);
}

HICON TfrmKonfig::PreviewIcon() const
{
    return reinterpret_cast<HICON>(SendMessageW(Control("ImgIcon"), STM_GETICON, 0, 0));
}

void TfrmKonfig::EdIconPfadChange()
{
    if (loadingMask_) return;
    UpdateIconRange();
    // Each key restarts the pause: the preview follows once typing rests.
    SetTimer(Handle(), PreviewTimer, PreviewPause, nullptr);
}

void TfrmKonfig::CheckDefaultIconClick()
{
    UpdateIconRange();
    UpdateIconPreview();
}

void TfrmKonfig::ScrollBarIconNumChange() { UpdateIconPreview(); }

void TfrmKonfig::InsertItem(std::unique_ptr<TOneItem> item, int position)
{
    TOneMenu* menu = Current();
    if (!menu) return;
    // Its picture is pending until the refresh loads the list's pictures.
    AddItem(*menu, std::move(item), position);
    RefreshItemList();
}

bool TfrmKonfig::RefuseFullMenu(const TOneMenu& menu)
{
    if (!menu.IsFull()) return false;
    ShowMessageDialog(Handle(), "A menu holds at most 1900 items.", MessageKind::Warning, MessageButtons::Ok);
    return true;
}

int TfrmKonfig::ComboChoice(const char* combo) const
{
    return static_cast<int>(SendMessageW(Control(combo), CB_GETCURSEL, 0, 0));
}

ItemMask TfrmKonfig::ReadItemMask() const
{
    ItemMask mask;
    mask.shellItem = CurrentIsPIDL;
    mask.pfad = Text("EdPfad");
    mask.iconPfad = Text("EdIconPfad");
    mask.useDefaultIcon = IsChecked("CheckDefaultIcon");
    mask.iconNum = IconNumPosition();
    mask.startModeChoice = ComboChoice("ComboStartMode");
    mask.autoStartModeChoice = ComboChoice("ComboAutoStartMode");
    mask.autostart = IsChecked("CheckAutoStart");
    mask.parameters = Text("EdParams");
    mask.description = Text("EdBeschreibung");
    mask.workingDir = Text("EdWorkingDir");
    mask.runAsAdmin = IsChecked("CheckRunAsAdmin");
    return mask;
}

void TfrmKonfig::BtnAddItemClick()
{
    TOneMenu* menu = Current();
    if (!menu) return;
    ItemMask mask = ReadItemMask();
    if (const char* warning = AddItemMaskWarning(mask, PathKindOf(mask.pfad), PathKindOf(mask.iconPfad))) {
        ShowMessageDialog(Handle(), warning, MessageKind::Warning, MessageButtons::Ok);
        return;
    }
    if (RefuseFullMenu(*menu)) return;
    auto item = std::make_unique<TOneItem>();
    if (mask.shellItem) {
        item->IsPIDL = true;
        item->Pfad = IdListToBytes(CurrentPIDL.get());
    }
    ApplyItemMask(mask, *item);
    InsertItem(std::move(item), -1);
    Select("LvItems", static_cast<int>(menu->Items.size()) - 1);
}

void TfrmKonfig::BtnModifyItemClick()
{
    TOneMenu* menu = Current();
    int n = SelectedIndex("LvItems");
    if (!menu || n < 0 || n >= static_cast<int>(menu->Items.size())) {
        ShowMessageDialog(Handle(), "No item selected.", MessageKind::Information, MessageButtons::Ok);
        return;
    }
    if (IsBlankText(Text("EdIconPfad"))) SetChecked("CheckDefaultIcon", true);
    ItemMask mask = ReadItemMask();
    if (const char* warning = ModifyItemMaskWarning(mask, PathKindOf(mask.iconPfad))) {
        ShowMessageDialog(Handle(), warning, MessageKind::Warning, MessageButtons::Ok);
        LoadItemMask(n);
        return;
    }
    TOneItem& item = *menu->Items[static_cast<size_t>(n)];
    ApplyItemMask(mask, item);
    if (ImageListMenuImages* images = ImageListOf(*menu)) (void)images->ReplaceEntryImage(item.ImageIndex, item);
    RefreshItemList();
}

void TfrmKonfig::RemoveItem(int index)
{
    TOneMenu* menu = Current();
    if (!menu || !menu->RemoveItem(index)) return;
    RefreshItemList();
    if (menu->Items.empty()) {
        LoadItemMask(-1);
        return;
    }
    int next = std::min(index, static_cast<int>(menu->Items.size()) - 1);
    Select("LvItems", next);
    LoadItemMask(next);
}

void TfrmKonfig::BtnRemoveItemClick()
{
    int n = SelectedIndex("LvItems");
    if (n < 0 || !Current()) {
        ShowMessageDialog(Handle(), "No item selected.", MessageKind::Information, MessageButtons::Ok);
        return;
    }
    RemoveItem(n);
    int selected = SelectedIndex("LvItems");
    if (selected >= 0) ListViewEnsureVisible(Control("LvItems"), selected);
}

void TfrmKonfig::BtnClearItemMaskClick() { LoadItemMask(-1); }

void TfrmKonfig::SwapItems(int from, int to)
{
    // The picture reference travels with its item; the picture list stays as it is.
    if (!Current()->SwapItems(from, to)) return;
    RefreshItemList();
    Select("LvItems", to);
}

void TfrmKonfig::BtnMoveUpItemClick()
{
    int n = SelectedIndex("LvItems");
    if (Current() && n > 0) SwapItems(n, n - 1);
}

void TfrmKonfig::BtnMoveDnItemClick()
{
    TOneMenu* menu = Current();
    int n = SelectedIndex("LvItems");
    if (menu && n >= 0 && n + 1 < static_cast<int>(menu->Items.size())) SwapItems(n, n + 1);
}

void TfrmKonfig::BtnAddSepClick()
{
    TOneMenu* menu = Current();
    if (!menu) return;
    if (RefuseFullMenu(*menu)) return;
    int p = SelectedIndex("LvItems");
    InsertItem(NewSeparator(), p);
    int at = p < 0 ? static_cast<int>(menu->Items.size()) - 1 : p;
    Select("LvItems", at);
    RefreshItemList();
    LoadItemMask(at);
}

void TfrmKonfig::BtnBrowsePfadClick()
{
    // A file dialog cannot choose a folder: the button offers both.
    enum : UINT { ChooseAFile = 1, ChooseAFolder = 2 };
    UniqueMenu kinds(CreatePopupMenu());
    if (!kinds) return;
    AppendMenuW(kinds.get(), MF_STRING, ChooseAFile, L"&File...");
    AppendMenuW(kinds.get(), MF_STRING, ChooseAFolder, L"F&older...");
    RECT button{};
    GetWindowRect(Control("BtnBrowsePfad"), &button);
    UINT kind = static_cast<UINT>(TrackPopupMenu(kinds.get(), TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN,
                                                 button.left, button.bottom, 0, Handle(), nullptr));
    std::string path;
    if (kind == ChooseAFile) {
        if (!ChooseFile || !ChooseFile(Handle(), path)) return;
    } else if (kind == ChooseAFolder) {
        path = CurrentIsPIDL ? std::string() : ExpandEnvironment(Text("EdPfad"));
        if (!ChooseFolder || !ChooseFolder(Handle(), path)) return;
    } else {
        return;
    }
    CurrentIsPIDL = false;
    CurrentPIDL.reset();
    SetPfadEditable(true);
    SetText("EdPfad", path);
    if (IsProgramPath(path)) SetText("EdIconPfad", path);
    SetChecked("CheckDefaultIcon", true);
    UpdateIconRange();
    UpdateIconPreview();
}

void TfrmKonfig::BtnBrowseWorkingDirClick()
{
    // The dialog opens at the folder typed so far, else at the one the entry starts in now.
    std::string folder = ExpandEnvironment(Text("EdWorkingDir"));
    if (folder.empty() && !CurrentIsPIDL) folder = WorkingDirectoryOf(ExpandEnvironment(Text("EdPfad")));
    if (!ChooseFolder || !ChooseFolder(Handle(), folder)) return;
    SetText("EdWorkingDir", folder);
}

namespace {

int CALLBACK StartInFolder(HWND dialog, UINT message, LPARAM, LPARAM folder)
{
    if (message != BFFM_INITIALIZED || !folder) return 0;
    SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, folder);
    // Under Wine the selection made here is now and then lost (about one opening in six,
    // the dialog then offers the desktop): once more when the dialog runs holds. The
    // text lives until the dialog returns.
    PostMessageW(dialog, BFFM_SETSELECTIONW, TRUE, folder);
    return 0;
}

}  // namespace

bool ShellBrowseForFolder(HWND owner, std::string& folder)
{
    std::array<wchar_t, MAX_PATH> name{};
    const std::wstring start = Wide(folder);
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.pszDisplayName = name.data();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    info.lpfn = StartInFolder;
    info.lParam = start.empty() ? 0 : reinterpret_cast<LPARAM>(start.c_str());
    UniquePidl chosen(SHBrowseForFolderW(&info));
    std::array<wchar_t, MAX_PATH> path{};
    if (!chosen || !SHGetPathFromIDListW(chosen.get(), path.data())) return false;
    folder = Utf8(path.data());
    return true;
}

void TfrmKonfig::BtnBrowseIconPathClick()
{
    if (IsChecked("CheckDefaultIcon")) {
        ShowMessageBox(Handle(), "Please uncheck 'use default icon' before choosing an icon.", ProgramTitle, MB_OK);
        return;
    }
    if (!PickIcon) return;
    int index = IconNumPosition();
    std::string path = FirstUnits(Text("EdIconPfad"), PickerPathLimit);
    if (!PickIcon(Handle(), path, index)) return;
    SetText("EdIconPfad", path);
    UpdateIconRange();
    UpdateIconPreview();
    SetIconNumPosition(index);
    UpdateIconPreview();
}

void TfrmKonfig::ImgIconClick()
{
    // The first click of a double click opens the picker, which disables this window: the
    // second must not open another one from inside it.
    if (IsWindowEnabled(Handle())) BtnBrowseIconPathClick();
}

