#include "settings/editmenu_win.h"

#include "config/globalvar_win.h"
#include "config/model.h"
#include "config/theme_win.h"
#include "menus/icon_file_pictures_win.h"
#include "settings/hotkey_field_win.h"
#include "settings/hotkey_value.h"
#include "settings/iconpick_win.h"
#include "settings/konfig_system_win.h"
#include "settings/quick_folder_rules.h"
#include "shell/environment_win.h"
#include "shell/folder_glyph_win.h"
#include "win/message_seam.h"
#include "win/text_conversion.h"

#include <shellapi.h>

#include <array>

namespace {

using namespace FormStyle;

using C = EditMenuControl;

constexpr std::array<C, 3> LCBRadios{C::RadioLCB0, C::RadioLCB1, C::RadioLCB2};

constexpr EventRow<TfrmEditMenu, C> Events[] = {
    {C::EdIconPfad, EN_CHANGE, &TfrmEditMenu::EdIconPfadChange},
    {C::BtnBrowseMenIcon, BN_CLICKED, &TfrmEditMenu::BtnBrowseMenIconClick},
    {C::ImgMenuIcon, STN_DBLCLK, &TfrmEditMenu::ImgMenuIconDblClick},
    {C::BtnBrowseMenuFolder, BN_CLICKED, &TfrmEditMenu::BtnBrowseMenuFolderClick},
    {C::BtnOK, BN_CLICKED, &TfrmEditMenu::BtnOKClick},
    {C::BtnCancel, BN_CLICKED, &TfrmEditMenu::BtnCancelClick},
};

// In tab order, as the dialog reads: the name group, the hotkey group, the radio group, the
// icon group, the folder, OK, Cancel.
constexpr ControlRow<C> Controls[] = {
    {C::GroupBox2, "GroupBox2", "BUTTON", "Menu Name", 0, 0, 217, 49, Group},
    {C::EdMenuName, "EdMenuName", "EDIT", "", 8, 20, 201, 21, Edit | WS_GROUP, WS_EX_CLIENTEDGE, C::GroupBox2},
    {C::GroupBox3, "GroupBox3", "BUTTON", "Hotkey", 224, 0, 121, 49, Group},
    {C::MenuHotKey, "MenuHotKey", "msctls_hotkey32", "", 12, 20, 101, 21, WS_VISIBLE | WS_TABSTOP | WS_GROUP, WS_EX_CLIENTEDGE,
     C::GroupBox3},
    {C::RadioLCB, "RadioLCB", "BUTTON", "Left click behavior", 0, 56, 153, 105, Group},
    {C::RadioLCB0, "RadioLCB0", "BUTTON", "Do nothing", 8, 20, 137, 17, Radio | WS_GROUP | WS_TABSTOP, 0, C::RadioLCB},
    {C::RadioLCB1, "RadioLCB1", "BUTTON", "Show popup menu", 8, 48, 137, 17, Radio, 0, C::RadioLCB},
    {C::RadioLCB2, "RadioLCB2", "BUTTON", "Load first program in list", 8, 76, 141, 17, Radio, 0, C::RadioLCB},
    {C::GroupBox1, "GroupBox1", "BUTTON", "Icon", 160, 56, 185, 105, Group},
    {C::LblIconPfad, "LblIconPfad", "STATIC", "Path:", 8, 24, 30, 13, WS_VISIBLE | WS_GROUP, 0, C::GroupBox1},
    {C::EdIconPfad, "EdIconPfad", "EDIT", "", 40, 20, 113, 21, Edit, WS_EX_CLIENTEDGE, C::GroupBox1},
    {C::BtnBrowseMenIcon, "BtnBrowseMenIcon", "BUTTON", "...", 152, 20, 25, 21, Button, 0, C::GroupBox1},
    {C::PanelMenuIcon, "PanelMenuIcon", "STATIC", "", 43, 47, 50, 50, WS_VISIBLE | SS_SUNKEN, 0, C::GroupBox1},
    {C::ImgMenuIcon, "ImgMenuIcon", "STATIC", "", 1, 1, 48, 48, WS_VISIBLE | SS_ICON | SS_CENTERIMAGE | SS_NOTIFY, 0,
     C::PanelMenuIcon},
    {C::ScrollBarMenIconNum, "ScrollBarMenIconNum", "SCROLLBAR", "", 94, 48, 16, 49, WS_VISIBLE | WS_TABSTOP | SBS_VERT, 0, C::GroupBox1},
    {C::LblMenuFolder, "LblMenuFolder", "STATIC", "Show the contents of a &folder:", 0, 170, 345, 13, WS_VISIBLE | WS_GROUP},
    {C::EdMenuFolder, "EdMenuFolder", "EDIT", "", 0, 186, 320, 21, Edit, WS_EX_CLIENTEDGE},
    {C::BtnBrowseMenuFolder, "BtnBrowseMenuFolder", "BUTTON", "...", 320, 186, 25, 21, Button},
    {C::BtnOK, "BtnOK", "BUTTON", "&OK", 192, 217, 73, 26, Button | WS_GROUP | BS_DEFPUSHBUTTON},
    {C::BtnCancel, "BtnCancel", "BUTTON", "&Cancel", 272, 218, 75, 25, Button},
};
static_assert(WellFormedTable(Controls));

constexpr NameRow<C> Names[] = {
    {C::EdMenuName, C::GroupBox2},
    {C::MenuHotKey, C::GroupBox3},
    {C::EdIconPfad, OnForm<C>, "Icon path"},
    {C::BtnBrowseMenIcon, OnForm<C>, "Browse for the icon"},
    {C::ImgMenuIcon, C::GroupBox1},
    {C::ScrollBarMenIconNum, OnForm<C>, "Icon number"},
    {C::EdMenuFolder, C::LblMenuFolder},
    {C::BtnBrowseMenuFolder, OnForm<C>, "Browse for the folder"},
};

bool IsFolder(const std::string& path)
{
    const DWORD attributes = GetFileAttributesW(ExpandEnvironmentWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

std::unique_ptr<TfrmEditMenu> TfrmEditMenu::Create(HWND owner)
{
    const FormDesign<TfrmEditMenu, C> design{.window = {"TfrmEditMenu", "Menu", 348, 247, ICC_HOTKEY_CLASS},
                                             .controls = Controls,
                                             .events = Events,
                                             .defaultButton = C::BtnOK,
                                             .cancelButton = C::BtnCancel,
                                             .names = Names};
    auto form = Build(owner, design);
    if (!form) return nullptr;
    MakeHotkeyField(form->Control(C::MenuHotKey));
    form->SetChecked(C::RadioLCB1, true);
    // The browse button shows the shell's small folder glyph, or "..." without one.
    form->SetButtonIcon(C::BtnBrowseMenIcon, ShellFolderGlyph());
    form->SetButtonIcon(C::BtnBrowseMenuFolder, ShellFolderGlyph());
    form->UpdateMenuIconRange();
    form->PickIcon = PickIconSystemOrOwn;
    form->ChooseFolder = ShellBrowseForFolder;
    return form;
}

ModalResult TfrmEditMenu::Execute(HWND owner, std::string_view caption)
{
    SetWindowTextW(Handle(), Wide(caption).c_str());
    return ShowModal(owner);
}

uint16_t TfrmEditMenu::MenuHotKey() const
{
    auto control = static_cast<uint16_t>(SendMessageW(Control(C::MenuHotKey), HKM_GETHOTKEY, 0, 0));
    return HotkeyValueFromControl(ApplyShiftOnlyRule(control));
}

void TfrmEditMenu::SetMenuHotKey(uint16_t hotkey) const
{
    SendMessageW(Control(C::MenuHotKey), HKM_SETHOTKEY, HotkeyValueToControl(hotkey), 0);
}

int TfrmEditMenu::IconNum() const { return GetScrollPos(Control(C::ScrollBarMenIconNum), SB_CTL); }

void TfrmEditMenu::SetIconNum(int index)
{
    SetScrollPos(Control(C::ScrollBarMenIconNum), SB_CTL, index, TRUE);
    ScrollBarMenIconNumChange();
}

int TfrmEditMenu::LCBIndex() const
{
    for (int i = 0; i < static_cast<int>(LCBRadios.size()); ++i)
        if (IsChecked(LCBRadios[i])) return i;
    return -1;
}

void TfrmEditMenu::SetLCBIndex(int index) const
{
    for (int i = 0; i < static_cast<int>(LCBRadios.size()); ++i) SetChecked(LCBRadios[i], i == index);
}

std::string TfrmEditMenu::MenuFolder() const { return TidyFolder(Text(C::EdMenuFolder)); }

void TfrmEditMenu::BtnBrowseMenuFolderClick()
{
    if (!ChooseFolder) return;
    std::string folder = ExpandEnvironment(MenuFolder());
    if (ChooseFolder(Handle(), folder)) SetMenuFolder(folder);
}

HICON TfrmEditMenu::PreviewIcon() const
{
    return reinterpret_cast<HICON>(SendMessageW(Control(C::ImgMenuIcon), STM_GETICON, 0, 0));
}

void TfrmEditMenu::UpdateMenuIconRange()
{
    std::string path = IconPfad();
    int count = IconCountOf(path);
    int maximum = count >= 1 ? count - 1 : 0;
    HWND bar = Control(C::ScrollBarMenIconNum);
    // An empty range would hide the bar: it stays visible and is disabled instead.
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_POS | SIF_DISABLENOSCROLL;
    info.nMax = maximum;
    SetScrollInfo(bar, SB_CTL, &info, TRUE);
    EnableWindow(bar, maximum > 0);
}

void TfrmEditMenu::UpdateMenuIconPreview()
{
    // As the notification area will show it, at the size of the preview.
    UniqueIcon shown = FileIcon(IconPfad(), IconNum(), GetSystemMetrics(SM_CXICON));
    SendMessageW(Control(C::ImgMenuIcon), STM_SETICON, reinterpret_cast<WPARAM>(shown.get()), 0);
    InvalidateRect(Control(C::ImgMenuIcon), nullptr, TRUE);
    preview_ = std::move(shown);
}

void TfrmEditMenu::EdIconPfadChange()
{
    UpdateMenuIconRange();
    UpdateMenuIconPreview();
}

void TfrmEditMenu::ScrollBarMenIconNumChange() { UpdateMenuIconPreview(); }

void TfrmEditMenu::BtnBrowseMenIconClick()
{
    if (!PickIcon) return;
    int index = IconNum();
    std::string path = FirstUnits(IconPfad(), PickerPathLimit);
    if (!PickIcon(Handle(), path, index)) return;
    SetIconPfad(path);
    SetIconNum(index);
}

void TfrmEditMenu::ImgMenuIconDblClick() { BtnBrowseMenIconClick(); }

void TfrmEditMenu::BtnOKClick()
{
    const std::string folder = MenuFolder();
    // Refused rather than kept: the popup of a folder that is not there would only ever say so.
    if (!folder.empty() && !IsFolder(folder)) {
        ShowMessageDialog(Handle(),
                          "The folder \"" + folder + "\" does not exist or cannot be reached.\n\n"
                          "Choose an existing folder, or leave the field empty for a menu of its own entries.",
                          MessageKind::Warning, MessageButtons::Ok);
        SetFocus(Control(C::EdMenuFolder));
        SendMessageW(Control(C::EdMenuFolder), EM_SETSEL, 0, -1);
        return;
    }
    EndModal(ModalResult::Ok);
}

void TfrmEditMenu::BtnCancelClick() { EndModal(ModalResult::Cancel); }

void TfrmEditMenu::FormKeyUp(WPARAM key)
{
    if (key == VK_F1 && OnHelp) OnHelp();
}

LRESULT TfrmEditMenu::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    HWND bar = msg == WM_VSCROLL ? Control(C::ScrollBarMenIconNum) : nullptr;
    if (bar && reinterpret_cast<HWND>(lParam) == bar) {
        if (std::optional<int> next = ScrollBarRequest(bar, wParam)) SetIconNum(*next);
        return 0;
    }
    if (std::optional<LRESULT> themed = WindowThemeMessage(Handle(), msg, wParam, lParam)) return *themed;
    return Form::HandleMessage(msg, wParam, lParam);
}
