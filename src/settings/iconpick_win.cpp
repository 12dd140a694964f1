#include "settings/iconpick_win.h"

#include "config/globalvar_win.h"
#include "shell/environment_win.h"
#include "shell/icon_picker_win.h"
#include "win/listview.h"
#include "win/text_conversion.h"

#include <commdlg.h>
#include <shellapi.h>

#include <array>
#include <vector>

namespace {

using FormStyle::Button;
using FormStyle::Edit;

constexpr int IconSize = 32;
constexpr UINT ShownMessage = WM_APP + 1;

// In tab order: the file, its browse button, the icons, OK, Cancel.
constexpr ControlRow Controls[] = {
    {"LblFile", "STATIC", "Look for icons in this file:", 8, 8, 232, 13, WS_VISIBLE},
    {"EdFile", "EDIT", "", 8, 24, 232, 21, Edit | WS_GROUP, WS_EX_CLIENTEDGE},
    {"BtnBrowse", "BUTTON", "&Browse...", 248, 22, 75, 25, Button | WS_GROUP},
    {"LblIcons", "STATIC", "Select an icon from the list below:", 8, 56, 232, 13, WS_VISIBLE},
    {"LvIcons", "SysListView32", "", 8, 72, 315, 168,
     WS_VISIBLE | WS_TABSTOP | WS_GROUP | LVS_ICON | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS |
         LVS_AUTOARRANGE,
     WS_EX_CLIENTEDGE},
    {"BtnOK", "BUTTON", "&OK", 168, 250, 75, 25, Button | WS_GROUP | BS_DEFPUSHBUTTON},
    {"BtnCancel", "BUTTON", "&Cancel", 248, 250, 75, 25, Button},
};

constexpr std::array<EventRow<TfrmIconPick>, 4> Events{{
    {"EdFile", EN_CHANGE, &TfrmIconPick::EdFileChange},
    {"BtnBrowse", BN_CLICKED, &TfrmIconPick::BtnBrowseClick},
    {"BtnOK", BN_CLICKED, &TfrmIconPick::BtnOKClick},
    {"BtnCancel", BN_CLICKED, &TfrmIconPick::BtnCancelClick},
}};

bool ChooseIconFile(HWND owner, std::string& file)
{
    std::array<wchar_t, MAX_PATH + 1> buffer{};
    lstrcpynW(buffer.data(), Wide(ExpandEnvironment(file)).c_str(), static_cast<int>(buffer.size()));
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

}  // namespace

std::unique_ptr<TfrmIconPick> TfrmIconPick::Create(HWND owner)
{
    LoadCommonControls(ICC_LISTVIEW_CLASSES);

    auto form = std::make_unique<TfrmIconPick>(Key{});
    FormSpec layout{"TfrmIconPick", "Change Icon", 331, 283};
    layout.owner = owner;
    if (!form->CreateForm(layout) || !form->CreateControls(Controls)) return nullptr;
    TfrmIconPick* f = form.get();
    form->BindEvents<TfrmIconPick>(f, Events);
    form->OnNotify("LvIcons", LVN_ITEMCHANGED, [f](NMHDR&) { return f->UpdateOK(), LRESULT{0}; });
    form->OnNotify("LvIcons", NM_DBLCLK, [f](NMHDR&) {
        if (f->IconIndex() >= 0) f->BtnOKClick();
        return LRESULT{0};
    });
    // Under Wine, scrolling the list before its first paint does not hold (it shows the
    // top again): the chosen icon is brought into view once the first paint has begun.
    form->OnNotify("LvIcons", NM_CUSTOMDRAW, [f](NMHDR& header) {
        if (reinterpret_cast<NMCUSTOMDRAW&>(header).dwDrawStage == CDDS_PREPAINT && f->scrollPending_) {
            f->scrollPending_ = false;
            PostMessageW(f->Handle(), ShownMessage, 0, 0);
        }
        return LRESULT{CDRF_DODEFAULT};
    });
    form->SetDialogButtons("BtnOK", "BtnCancel");
    form->SetInitialFocus("LvIcons");
    form->ChooseFile = ChooseIconFile;
    form->UpdateOK();
    return form;
}

TfrmIconPick::~TfrmIconPick()
{
    // The list shows the form's image list: detach it before either goes.
    if (HWND list = FindControl("LvIcons")) ListViewSetImageList(list, LVSIL_NORMAL, nullptr);
    DestroyHandle();
}

ModalResult TfrmIconPick::Execute(HWND owner, std::string_view path, int index)
{
    SetIconPath(path);
    SetIconIndex(index);
    return ShowModal(owner);
}

int TfrmIconPick::IconIndex() const { return ListViewSelectedIndex(Control("LvIcons")); }

int TfrmIconPick::IconCount() const
{
    return static_cast<int>(SendMessageW(Control("LvIcons"), LVM_GETITEMCOUNT, 0, 0));
}

void TfrmIconPick::SetIconIndex(int index)
{
    int count = IconCount();
    if (count > 0) ListViewSelect(Control("LvIcons"), index >= 0 && index < count ? index : 0);
    scrollPending_ = true;
}

void TfrmIconPick::LoadIcons()
{
    HWND list = Control("LvIcons");
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    ListViewSetImageList(list, LVSIL_NORMAL, nullptr);
    std::string path = IconPath();
    loadedPath_ = path;
    // The field keeps a name such as "%SystemRoot%\system32\shell32.dll" as typed.
    std::string file = ExpandEnvironment(path);
    int count = IconCountOf(file);
    icons_.reset(ImageList_Create(IconSize, IconSize, ILC_COLOR32 | ILC_MASK, count > 0 ? count : 1, 0));
    if (count > 0) {
        // One call for all: each call opens and parses the file again.
        std::vector<HICON> extracted(static_cast<size_t>(count));
        ExtractIconExW(Wide(file).c_str(), 0, extracted.data(), nullptr, static_cast<UINT>(count));
        for (size_t i = 0; i < extracted.size(); ++i) {
            UniqueIcon icon(extracted[i]);
            // Entry i stays icon i even where one cannot be read: it is shown blank. Its
            // number is its label: an icon view marks the selection on the label only.
            ListViewAddItem(list, std::to_string(i).c_str(),
                            icon ? ImageList_AddIcon(icons_.get(), icon.get()) : -1);
        }
    }
    ListViewSetImageList(list, LVSIL_NORMAL, icons_.get());
    if (count > 0) ListViewSelect(list, 0);
    UpdateOK();
}

LRESULT TfrmIconPick::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != ShownMessage) return Form::HandleMessage(msg, wParam, lParam);
    if (IconIndex() >= 0) ListViewEnsureVisible(Control("LvIcons"), IconIndex());
    return 0;
}

void TfrmIconPick::UpdateOK() { SetEnabled("BtnOK", IconIndex() >= 0); }

void TfrmIconPick::EdFileChange()
{
    if (IconPath() != loadedPath_) LoadIcons();
}

void TfrmIconPick::BtnBrowseClick()
{
    std::string file = IconPath();
    if (!ChooseFile || !ChooseFile(Handle(), file)) return;
    SetIconPath(file);
    SetFocus(Control("LvIcons"));
}

void TfrmIconPick::BtnOKClick()
{
    if (IconIndex() >= 0) EndModal(ModalResult::Ok);
}

void TfrmIconPick::BtnCancelClick() { EndModal(ModalResult::Cancel); }

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
