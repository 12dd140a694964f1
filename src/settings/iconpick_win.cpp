#include "settings/iconpick_win.h"

#include "config/globalvar_win.h"
#include "config/model.h"
#include "config/theme_win.h"
#include "menus/menu_images_win.h"
#include "shell/environment_win.h"
#include "shell/icon_picker_win.h"
#include "win/dpi.h"
#include "win/listview.h"
#include "win/resource_ids.h"
#include "win/text_conversion.h"

#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <array>
#include <vector>

namespace {

using namespace FormStyle;

using C = IconPickControl;

constexpr int IconSize = 32;  // at 96 DPI
constexpr UINT ShownMessage = WM_APP + 1;

constexpr EventRow<TfrmIconPick, C> Events[] = {
    {C::EdFile, EN_CHANGE, &TfrmIconPick::EdFileChange},
    {C::BtnBrowse, BN_CLICKED, &TfrmIconPick::BtnBrowseClick},
    {C::BtnOK, BN_CLICKED, &TfrmIconPick::BtnOKClick},
    {C::BtnCancel, BN_CLICKED, &TfrmIconPick::BtnCancelClick},
};

// In tab order: the file, its browse button, the icons, OK, Cancel.
constexpr ControlRow<C> Controls[] = {
    {C::LblFile, "LblFile", "STATIC", "Look for icons in this file:", 8, 8, 232, 13, WS_VISIBLE},
    {C::EdFile, "EdFile", "EDIT", "", 8, 24, 232, 21, Edit | WS_GROUP, WS_EX_CLIENTEDGE},
    {C::BtnBrowse, "BtnBrowse", "BUTTON", "&Browse...", 248, 22, 75, 25, Button | WS_GROUP},
    {C::LblIcons, "LblIcons", "STATIC", "Select an icon from the list below:", 8, 56, 232, 13, WS_VISIBLE},
    {C::LvIcons, "LvIcons", "SysListView32", "", 8, 72, 315, 168,
     WS_VISIBLE | WS_TABSTOP | WS_GROUP | LVS_ICON | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS |
         LVS_AUTOARRANGE,
     WS_EX_CLIENTEDGE},
    {C::BtnOK, "BtnOK", "BUTTON", "&OK", 168, 250, 75, 25, Button | WS_GROUP | BS_DEFPUSHBUTTON},
    {C::BtnCancel, "BtnCancel", "BUTTON", "&Cancel", 248, 250, 75, 25, Button},
};
static_assert(WellFormedTable(Controls));

bool ChooseIconFile(HWND owner, std::string& file)
{
    std::array<wchar_t, MAX_PATH + 1> buffer{};
    lstrcpynW(buffer.data(), ExpandEnvironmentWide(file).c_str(), static_cast<int>(buffer.size()));
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter =
        L"Files with "
        L"icons\0*.ico;*.exe;*.dll;*.icl\0Icons\0*."
        L"ico\0Programs\0*.exe\0Libraries\0*.dll;*.icl\0"
        L"All files\0*.*\0";
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = MAX_PATH;
    dialog.Flags = OFN_HIDEREADONLY | OFN_EXPLORER | OFN_FILEMUSTEXIST;
    if (!GetOpenFileNameW(&dialog)) return false;
    file = Utf8(buffer.data());
    return true;
}

bool SameFile(const std::wstring& a, const std::wstring& b)
{
    auto identity = [](const std::wstring& path) -> std::optional<std::array<DWORD, 3>> {
        UniqueHandle file(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      0, nullptr));
        BY_HANDLE_FILE_INFORMATION info{};
        if (!file || !GetFileInformationByHandle(file.get(), &info)) return std::nullopt;
        return std::array<DWORD, 3>{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    };
    std::optional<std::array<DWORD, 3>> first = identity(a);
    return first && first == identity(b);
}

BOOL CALLBACK NoteGroupIcon(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR state)
{
    auto& positions = *reinterpret_cast<std::vector<bool>*>(state);
    const bool internal = IS_INTRESOURCE(name) && (reinterpret_cast<UINT_PTR>(name) == IDI_IMGICONLEER ||
                                                   reinterpret_cast<UINT_PTR>(name) == IDI_IMGICONSEPARATOR);
    positions.push_back(internal);
    return TRUE;
}

// The positions of `file`'s icons that a user may choose: all of them, except in the
// program's own file, whose placeholder and separator pictures are no icons of their own.
// Resources are enumerated in the order icons are counted: names first, then numbers.
std::vector<int> OfferedIcons(const std::wstring& file, int count)
{
    std::vector<bool> internal;
    if (SameFile(file, Wide(OwnModulePath())))
        EnumResourceNamesW(GetModuleHandleW(nullptr), reinterpret_cast<LPCWSTR>(RT_GROUP_ICON), NoteGroupIcon,
                           reinterpret_cast<LONG_PTR>(&internal));
    std::vector<int> offered;
    for (int i = 0; i < count; ++i)
        if (static_cast<size_t>(i) >= internal.size() || !internal[static_cast<size_t>(i)]) offered.push_back(i);
    return offered;
}

}  // namespace

std::unique_ptr<TfrmIconPick> TfrmIconPick::Create(HWND owner)
{
    const FormDesign<TfrmIconPick, C> design{
        {"TfrmIconPick", "Change Icon", 331, 283, ICC_LISTVIEW_CLASSES},
        Controls, Events, C::BtnOK, C::BtnCancel, C::LvIcons};
    auto form = Build(owner, design);
    if (!form) return nullptr;
    TfrmIconPick* f = form.get();
    form->OnNotify(C::LvIcons, LVN_ITEMCHANGED, [f](NMHDR&) { return f->UpdateOK(), LRESULT{0}; });
    form->OnNotify(C::LvIcons, LVN_GETDISPINFOW, [f](NMHDR& h) { return f->LvIconsData(h); });
    form->OnNotify(C::LvIcons, NM_DBLCLK, [f](NMHDR&) {
        if (f->IconIndex() >= 0) f->BtnOKClick();
        return LRESULT{0};
    });
    // Under Wine, scrolling the list before its first paint does not hold (it shows the
    // top again): the chosen icon is brought into view once the first paint has begun.
    form->OnNotify(C::LvIcons, NM_CUSTOMDRAW, [f](NMHDR& header) {
        if (reinterpret_cast<NMCUSTOMDRAW&>(header).dwDrawStage == CDDS_PREPAINT && f->scrollPending_) {
            f->scrollPending_ = false;
            PostMessageW(f->Handle(), ShownMessage, 0, 0);
        }
        return LRESULT{CDRF_DODEFAULT};
    });
    form->ChooseFile = ChooseIconFile;
    form->UpdateOK();
    return form;
}

TfrmIconPick::TfrmIconPick(Key) {}

TfrmIconPick::~TfrmIconPick()
{
    // The list shows the store's image list: detach it before the list goes.
    if (HWND list = MadeControl(C::LvIcons)) ListViewSetImageList(list, LVSIL_NORMAL, nullptr);
    DestroyHandle();
}

ModalResult TfrmIconPick::Execute(HWND owner, std::string_view path, int index)
{
    SetIconPath(path);
    SetIconIndex(index);
    return ShowModal(owner);
}

int TfrmIconPick::IconIndex() const
{
    const int entry = ListViewSelectedIndex(Control(C::LvIcons));
    return entry >= 0 && entry < static_cast<int>(offered_.size()) ? offered_[static_cast<size_t>(entry)] : -1;
}

void TfrmIconPick::SetIconIndex(int index)
{
    auto entry = std::find(offered_.begin(), offered_.end(), index);
    if (!offered_.empty())
        ListViewSelect(Control(C::LvIcons), entry == offered_.end() ? 0 : static_cast<int>(entry - offered_.begin()));
    scrollPending_ = true;
}

void TfrmIconPick::LoadIcons()
{
    HWND list = Control(C::LvIcons);
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    ListViewSetImageList(list, LVSIL_NORMAL, nullptr);
    std::string path = IconPath();
    loadedPath_ = path;
    // The field keeps a name such as "%SystemRoot%\system32\shell32.dll" as typed.
    std::string file = ExpandEnvironment(path);
    offered_ = OfferedIcons(Wide(file), IconCountOf(file));
    // The store makes the pictures at the window's DPI on its worker, each as it is shown.
    if (!pictures_) pictures_ = NewPictureSlots();
    auto* pictures = pictures_.get();
    if (pictures) {
        pictures->RemoveAllImages();
        for (int index : offered_) {
            TOneItem icon;
            icon.IconPfad = file;
            icon.IconNum = index;
            pictures->AddEntryImage(icon);
        }
    }
    ListViewSetImageList(list, LVSIL_NORMAL, Pictures());
    // Its number is an entry's label: an icon view marks the selection on the label only.
    for (int index : offered_) ListViewAddItem(list, std::to_string(index).c_str(), I_IMAGECALLBACK);
    if (!offered_.empty()) ListViewSelect(list, 0);
    UpdateOK();
}

int TfrmIconPick::PictureSize() const { return ScaleByDpi(IconSize, Dpi()); }

LRESULT TfrmIconPick::LvIconsData(NMHDR& header)
{
    auto& info = reinterpret_cast<NMLVDISPINFOW&>(header);
    auto* pictures = pictures_.get();
    if (!(info.item.mask & LVIF_IMAGE) || !pictures) return 0;
    pictures->MarkShownPending(info.item.iItem, PictureSize(), header.hwndFrom, nullptr);
    info.item.iImage = pictures->PictureIndex(info.item.iItem, PictureSize());
    return 0;
}

HIMAGELIST TfrmIconPick::Pictures()
{
    if (auto* pictures = pictures_.get())
        return pictures->Handle(PictureSize());
    // Without the store (no main window) the entries keep their places, blank.
    blank_.reset(ImageList_Create(PictureSize(), PictureSize(), ILC_COLOR32 | ILC_MASK, 1, 0));
    return blank_.get();
}

void TfrmIconPick::LaidOut() { ListViewSetImageList(Control(C::LvIcons), LVSIL_NORMAL, Pictures()); }

LRESULT TfrmIconPick::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (std::optional<LRESULT> themed = WindowThemeMessage(Handle(), msg, wParam, lParam)) return *themed;
    if (msg != ShownMessage) return Form::HandleMessage(msg, wParam, lParam);
    if (IconIndex() >= 0) ListViewEnsureVisible(Control(C::LvIcons), IconIndex());
    return 0;
}

void TfrmIconPick::UpdateOK() { SetEnabled(C::BtnOK, IconIndex() >= 0); }

void TfrmIconPick::EdFileChange()
{
    if (IconPath() != loadedPath_) LoadIcons();
}

void TfrmIconPick::BtnBrowseClick()
{
    std::string file = IconPath();
    if (!ChooseFile || !ChooseFile(Handle(), file)) return;
    SetIconPath(file);
    SetFocus(Control(C::LvIcons));
}

void TfrmIconPick::BtnOKClick()
{
    if (IconIndex() >= 0) EndModal(ModalResult::Ok);
}

void TfrmIconPick::BtnCancelClick() { EndModal(ModalResult::Cancel); }

std::unique_ptr<ImageListMenuImages> NewPictureSlots()
{
    std::unique_ptr<MenuImages> made = NewMenuImages ? NewMenuImages() : nullptr;
    if (!dynamic_cast<ImageListMenuImages*>(made.get())) return nullptr;
    return std::unique_ptr<ImageListMenuImages>(static_cast<ImageListMenuImages*>(made.release()));
}

bool OwnPickIcon(HWND owner, std::string& path, int& index)
{
    std::unique_ptr<TfrmIconPick> form = TfrmIconPick::Create(owner);
    if (!form || form->Execute(owner, path, index) != ModalResult::Ok) return false;
    path = form->IconPath();
    index = form->IconIndex();
    return index >= 0;
}

bool PickIconSystemOrOwn(HWND owner, std::string& path, int& index)
{
    if (SystemIconPickerUsable())
        if (std::optional<bool> chosen = TryShellPickIcon(owner, path, index)) return *chosen;
    return OwnPickIcon(owner, path, index);
}
