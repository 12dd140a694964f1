#include "settings/options_win.h"

#include "config/model.h"
#include "config/theme_win.h"
#include "settings/hotkey_field_win.h"
#include "settings/hotkey_value.h"
#include "settings/quick_folder_win.h"
#include "tools/tools_cfg.h"
#include "win/dpi.h"
#include "win/listview.h"
#include "win/message_seam.h"
#include "win/text_conversion.h"

#include <array>
#include <string>

std::function<void()> ClearQuickHistory;

namespace {

using namespace FormStyle;

using C = OptionsControl;

constexpr std::array<C, 3> IconSizeRadios{C::RadioIconSize0, C::RadioIconSize1, C::RadioIconSize2};
// In the order of ThemeChoice's values.
constexpr std::array<C, 3> ThemeRadios{C::RadioThemeSystem, C::RadioThemeLight, C::RadioThemeDark};
constexpr std::array<const char*, ToolsSubmenuCount> ToolsRows{"Misc", "Network", "Reboot", "Resolution",
                                                               "Screensaver"};

constexpr EventRow<TfrmOptions, C> Events[] = {
    {C::BtnOK, BN_CLICKED, &TfrmOptions::BtnOKClick},
    {C::BtnCancel, BN_CLICKED, &TfrmOptions::BtnCancelClick},
    {C::BtnToolsSelectAll, BN_CLICKED, &TfrmOptions::BtnToolsSelectAllClick},
    {C::BtnToolsSelectNone, BN_CLICKED, &TfrmOptions::BtnToolsSelectNoneClick},
    {C::BtnQuickFolderAdd, BN_CLICKED, &TfrmOptions::BtnQuickFolderAddClick},
    {C::BtnQuickFolderEdit, BN_CLICKED, &TfrmOptions::BtnQuickFolderEditClick},
    {C::BtnQuickFolderRemove, BN_CLICKED, &TfrmOptions::BtnQuickFolderRemoveClick},
    {C::BtnClearQuickHistory, BN_CLICKED, &TfrmOptions::BtnClearQuickHistoryClick},
};

constexpr char ClearHistoryQuestion[] =
    "Clear the quick-launch history?\n\nThe quick-launch box forgets what you started from it and which result you "
    "chose for what you typed. This cannot be undone.";

// In tab order, as the dialog reads: the "General" group, the icon size group, the page
// control with its two pages, the quick-launch hotkey, the theme, OK, Cancel.
constexpr ControlRow<C> Controls[] = {
    {C::GroupBox1, "GroupBox1", "BUTTON", "General", 1, 0, 225, 129, Group},
    {C::CheckAutorun, "CheckAutorun", "BUTTON", "Autorun Marigoldwick on windows start", 16, 24, 201, 17, Check | WS_GROUP, 0,
     C::GroupBox1},
    {C::CheckSingleLeftClick, "CheckSingleLeftClick", "BUTTON", "Accept single left click", 16, 48, 193, 17, Check, 0, C::GroupBox1},
    {C::CheckWrapMenu, "CheckWrapMenu", "BUTTON", "Wrap menus", 16, 72, 207, 17, Check, 0, C::GroupBox1},
    {C::CheckAskBeforeQuit, "CheckAskBeforeQuit", "BUTTON", "Ask before quitting", 16, 96, 201, 17, Check, 0, C::GroupBox1},
    {C::RadioIconSize, "RadioIconSize", "BUTTON", "Icon size", 232, 0, 81, 129, Group},
    {C::RadioIconSize0, "RadioIconSize0", "BUTTON", "16 x 16", 8, 24, 65, 17, Radio | WS_GROUP | WS_TABSTOP, 0, C::RadioIconSize},
    {C::RadioIconSize1, "RadioIconSize1", "BUTTON", "32 x 32", 8, 56, 65, 17, Radio, 0, C::RadioIconSize},
    {C::RadioIconSize2, "RadioIconSize2", "BUTTON", "64 x 64", 8, 88, 65, 17, Radio, 0, C::RadioIconSize},
    {C::PageControlExtraMenus, "PageControlExtraMenus", "SysTabControl32", "", 3, 135, 309, 196, WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS},
    {C::TabSheet1, "TabSheet1", TabPageClass, "Tools menu", 0, 0, 0, 0, 0, 0, C::PageControlExtraMenus},
    // Ends before the list: its background would cover the list's edge.
    {C::CheckToolsMenu, "CheckToolsMenu", "BUTTON", "Enable", 8, 8, 60, 17, Check, 0, C::TabSheet1},
    {C::ToolsCbList, "ToolsCbList", "SysListView32", "", 72, 8, 153, 81,
     WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
     WS_EX_CLIENTEDGE, C::TabSheet1},
    {C::BtnToolsSelectAll, "BtnToolsSelectAll", "BUTTON", "Select All", 232, 8, 65, 25, Button, 0, C::TabSheet1},
    {C::BtnToolsSelectNone, "BtnToolsSelectNone", "BUTTON", "Select None", 232, 40, 65, 25, Button, 0, C::TabSheet1},
    {C::TabSheet2, "TabSheet2", TabPageClass, "Quick launch", 0, 0, 0, 0, 0, 0, C::PageControlExtraMenus},
    {C::LabelQuickFolders, "LabelQuickFolders", "STATIC", "Quick-launch &folders:", 8, 8, 150, 13, WS_VISIBLE | WS_GROUP, 0,
     C::TabSheet2},
    {C::QuickFoldersList, "QuickFoldersList", "SysListView32", "", 8, 24, 217, 105,
     WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER, WS_EX_CLIENTEDGE,
     C::TabSheet2},
    {C::BtnQuickFolderAdd, "BtnQuickFolderAdd", "BUTTON", "&Add...", 232, 24, 65, 25, Button, 0, C::TabSheet2},
    {C::BtnQuickFolderEdit, "BtnQuickFolderEdit", "BUTTON", "&Edit...", 232, 56, 65, 25, Button, 0, C::TabSheet2},
    {C::BtnQuickFolderRemove, "BtnQuickFolderRemove", "BUTTON", "&Remove", 232, 88, 65, 25, Button, 0, C::TabSheet2},
    {C::BtnClearQuickHistory, "BtnClearQuickHistory", "BUTTON", "Clear quick-launch &history", 8, 137, 150, 25, Button, 0,
     C::TabSheet2},
    {C::LabelQuickLaunch, "LabelQuickLaunch", "STATIC", "&Quick launch hotkey:", 8, 342, 110, 13, WS_VISIBLE | WS_GROUP},
    {C::QuickLaunchHotKey, "QuickLaunchHotKey", "msctls_hotkey32", "", 120, 338, 113, 21, WS_VISIBLE | WS_TABSTOP | WS_GROUP, WS_EX_CLIENTEDGE},
    {C::LabelTheme, "LabelTheme", "STATIC", "Theme:", 8, 369, 44, 13, WS_VISIBLE | WS_GROUP},
    {C::RadioThemeSystem, "RadioThemeSystem", "BUTTON", "&System", 56, 367, 68, 17, Radio | WS_GROUP | WS_TABSTOP},
    {C::RadioThemeLight, "RadioThemeLight", "BUTTON", "&Light", 128, 367, 60, 17, Radio},
    {C::RadioThemeDark, "RadioThemeDark", "BUTTON", "&Dark", 192, 367, 60, 17, Radio},
    {C::BtnOK, "BtnOK", "BUTTON", "&OK", 160, 396, 75, 25, Button | WS_GROUP | BS_DEFPUSHBUTTON},
    {C::BtnCancel, "BtnCancel", "BUTTON", "&Cancel", 240, 396, 75, 25, Button},
};
static_assert(WellFormedTable(Controls));

constexpr NameRow<C> Names[] = {
    {C::QuickLaunchHotKey, C::LabelQuickLaunch},
    {C::ToolsCbList, OnForm<C>, "Tools menu"},
    {C::QuickFoldersList, C::LabelQuickFolders},
};

constexpr const char* QuickFolderColumns[] = {"Folder", "Depth", "Files"};

int ClientWidth(HWND window)
{
    RECT client{};
    GetClientRect(window, &client);
    return client.right - client.left;
}

// The check list: one column of rows with check boxes.
void FillToolsList(HWND list)
{
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES, LVS_EX_CHECKBOXES);
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    column.cx = ClientWidth(list);
    SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    for (int i = 0; i < ToolsSubmenuCount; ++i) {
        std::wstring text = Wide(ToolsRows[i]);
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = i;
        item.pszText = text.data();
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
}

}  // namespace

std::unique_ptr<TfrmOptions> TfrmOptions::Create(HWND owner)
{
    const FormDesign<TfrmOptions, C> design{
        {"TfrmOptions", "Options", 315, 423, ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_HOTKEY_CLASS},
        Controls, Events, C::BtnOK, C::BtnCancel, C::BtnOK, Names};
    auto form = Build(owner, design);
    if (!form) return nullptr;
    FillToolsList(form->Control(C::ToolsCbList));
    MakeHotkeyField(form->Control(C::QuickLaunchHotKey));
    HWND folders = form->Control(C::QuickFoldersList);
    SendMessageW(folders, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP,
                 LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
    for (int i = 0; i < 3; ++i) {
        std::wstring text = Wide(QuickFolderColumns[i]);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_FMT;
        column.fmt = i == 1 ? LVCFMT_RIGHT : LVCFMT_LEFT;
        column.pszText = text.data();
        SendMessageW(folders, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
    form->FitQuickFolderColumns();
    TfrmOptions* self = form.get();
    form->OnNotify(C::QuickFoldersList, LVN_ITEMCHANGED, [self](NMHDR& header) {
        if (ListViewSelectionChanged(header)) self->QuickFolderSelectionChanged();
        return LRESULT{0};
    });
    form->OnNotify(C::QuickFoldersList, NM_DBLCLK, [self](NMHDR&) {
        if (ListViewSelectedIndex(self->Control(C::QuickFoldersList)) >= 0) self->BtnQuickFolderEditClick();
        return LRESULT{0};
    });
    form->OnNotify(C::QuickFoldersList, LVN_KEYDOWN, [self](NMHDR& header) {
        if (reinterpret_cast<NMLVKEYDOWN&>(header).wVKey == VK_DELETE) self->BtnQuickFolderRemoveClick();
        return LRESULT{0};
    });
    form->folderForm_ = TfrmQuickFolder::Create(form->Handle());
    if (!form->folderForm_) return nullptr;
    return form;
}

TfrmOptions::TfrmOptions(Key) {}

TfrmOptions::~TfrmOptions() = default;

ModalResult TfrmOptions::Execute(HWND owner)
{
    FormShow();
    return ShowModal(owner);
}

bool TfrmOptions::ToolsRowChecked(int row) const
{
    auto state = static_cast<UINT>(SendMessageW(Control(C::ToolsCbList), LVM_GETITEMSTATE, static_cast<WPARAM>(row),
                                                LVIS_STATEIMAGEMASK));
    return (state >> 12) == 2;
}

void TfrmOptions::SetToolsRowChecked(int row, bool checked) const
{
    LVITEMW item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
    SendMessageW(Control(C::ToolsCbList), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

int TfrmOptions::IconSizeIndex() const
{
    for (int i = 0; i < static_cast<int>(IconSizeRadios.size()); ++i)
        if (IsChecked(IconSizeRadios[i])) return i;
    return -1;
}

void TfrmOptions::TransferToolsMenuCfg(Transfer direction)
{
    if (direction == Transfer::ToControls) {
        std::array<bool, ToolsSubmenuCount> flags = DecodeToolsMenuCfg(Konfig.ToolsMenuCfg);
        for (int i = 0; i < ToolsSubmenuCount; ++i) SetToolsRowChecked(i, flags[i]);
        return;
    }
    std::array<bool, ToolsSubmenuCount> flags{};
    for (int i = 0; i < ToolsSubmenuCount; ++i) flags[i] = ToolsRowChecked(i);
    Konfig.ToolsMenuCfg = EncodeToolsMenuCfg(flags);
}

void TfrmOptions::FormShow()
{
    // A size without a choice (48 from the file) leaves the radio group as it was.
    if (std::optional<int> index = IconSizeRadioIndex(Konfig.IconSize))
        for (int i = 0; i < static_cast<int>(IconSizeRadios.size()); ++i) SetChecked(IconSizeRadios[i], i == *index);
    SetChecked(C::CheckAutorun, Konfig.SelfAutostart);
    SetChecked(C::CheckWrapMenu, Konfig.MenuBreakIfPossible);
    SetChecked(C::CheckSingleLeftClick, Konfig.SingleLeftClick);
    SetChecked(C::CheckToolsMenu, Konfig.UseToolsMenu);
    SetChecked(C::CheckAskBeforeQuit, Konfig.AskBeforeQuit);
    TransferToolsMenuCfg(Transfer::ToControls);
    SendMessageA(Control(C::QuickLaunchHotKey), HKM_SETHOTKEY, HotkeyValueToControl(Konfig.QuickLaunchHotkey), 0);
    const auto theme = static_cast<size_t>(ThemeChoiceFrom(Konfig.Theme));
    for (size_t i = 0; i < ThemeRadios.size(); ++i) SetChecked(ThemeRadios[i], i == theme);
    quickFolders_ = Konfig.QuickFolders;
    quickFoldersChanged_ = false;
    ShowQuickFolders(quickFolders_.empty() ? -1 : 0);
    SetEnabled(C::BtnClearQuickHistory, true);
}

void TfrmOptions::ShowQuickFolders(int select)
{
    HWND list = Control(C::QuickFoldersList);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    for (size_t i = 0; i < quickFolders_.size(); ++i) {
        const QuickFolder& folder = quickFolders_[i];
        const std::string cells[] = {folder.Path, std::to_string(folder.Depth), folder.Masks};
        for (int column = 0; column < 3; ++column) {
            std::wstring text = Wide(cells[column]);
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.iItem = static_cast<int>(i);
            item.iSubItem = column;
            item.pszText = text.data();
            SendMessageW(list, column == 0 ? LVM_INSERTITEMW : LVM_SETITEMTEXTW, i, reinterpret_cast<LPARAM>(&item));
        }
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    ListViewSelect(list, std::min(select, static_cast<int>(quickFolders_.size()) - 1));
    QuickFolderSelectionChanged();
}

void TfrmOptions::QuickFolderSelectionChanged()
{
    const bool selected = ListViewSelectedIndex(Control(C::QuickFoldersList)) >= 0;
    SetEnabled(C::BtnQuickFolderEdit, selected);
    SetEnabled(C::BtnQuickFolderRemove, selected);
}

void TfrmOptions::FitQuickFolderColumns()
{
    // The depth as wide as its heading, the rest shared; cut texts show whole in a tip.
    HWND list = Control(C::QuickFoldersList);
    const int width = ClientWidth(list);
    const int depth = static_cast<int>(SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(L"Depth"))) +
                      ScaleByDpi(16, Dpi());
    const int files = (width - depth) * 2 / 5;
    SendMessageW(list, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(width - depth - files, 0));
    SendMessageW(list, LVM_SETCOLUMNWIDTH, 1, MAKELPARAM(depth, 0));
    SendMessageW(list, LVM_SETCOLUMNWIDTH, 2, MAKELPARAM(files, 0));
}

void TfrmOptions::BtnQuickFolderAddClick()
{
    if (quickFolders_.size() >= static_cast<size_t>(MaxQuickFolders)) {
        ShowMessageDialog(Handle(), "The quick-launch box searches at most " + std::to_string(MaxQuickFolders) + " folders.",
                          MessageKind::Information, MessageButtons::Ok);
        return;
    }
    std::optional<QuickFolder> added = folderForm_->Execute(Handle(), "Add Quick-launch Folder", QuickFolder{}, quickFolders_);
    if (!added) return;
    quickFolders_.push_back(std::move(*added));
    ShowQuickFolders(static_cast<int>(quickFolders_.size()) - 1);
}

void TfrmOptions::BtnQuickFolderEditClick()
{
    const int row = ListViewSelectedIndex(Control(C::QuickFoldersList));
    if (row < 0) return;
    std::vector<QuickFolder> others = quickFolders_;
    others.erase(others.begin() + row);
    std::optional<QuickFolder> edited =
        folderForm_->Execute(Handle(), "Edit Quick-launch Folder", quickFolders_[static_cast<size_t>(row)], std::move(others));
    if (!edited) return;
    quickFolders_[static_cast<size_t>(row)] = std::move(*edited);
    ShowQuickFolders(row);
}

void TfrmOptions::BtnQuickFolderRemoveClick()
{
    const int row = ListViewSelectedIndex(Control(C::QuickFoldersList));
    if (row < 0) return;
    quickFolders_.erase(quickFolders_.begin() + row);
    ShowQuickFolders(row);
    if (quickFolders_.empty()) SetFocus(Control(C::BtnQuickFolderAdd));
}

void TfrmOptions::BtnClearQuickHistoryClick()
{
    if (ShowMessageDialog(Handle(), ClearHistoryQuestion, MessageKind::Confirmation, MessageButtons::YesNo) != IDYES) return;
    if (ClearQuickHistory) ClearQuickHistory();
    // Done at once and for good: a second click would have nothing left to clear.
    SetFocus(Control(C::QuickFoldersList));
    SetEnabled(C::BtnClearQuickHistory, false);
}

void TfrmOptions::BtnOKClick()
{
    if (std::optional<uint8_t> size = RadioIndexIconSize(IconSizeIndex())) Konfig.IconSize = *size;
    Konfig.SelfAutostart = IsChecked(C::CheckAutorun);
    Konfig.MenuBreakIfPossible = IsChecked(C::CheckWrapMenu);
    Konfig.SingleLeftClick = IsChecked(C::CheckSingleLeftClick);
    Konfig.UseToolsMenu = IsChecked(C::CheckToolsMenu);
    Konfig.AskBeforeQuit = IsChecked(C::CheckAskBeforeQuit);
    TransferToolsMenuCfg(Transfer::FromControls);
    auto hotkey = static_cast<uint16_t>(SendMessageA(Control(C::QuickLaunchHotKey), HKM_GETHOTKEY, 0, 0));
    Konfig.QuickLaunchHotkey = HotkeyValueFromControl(ApplyShiftOnlyRule(hotkey));
    for (size_t i = 0; i < ThemeRadios.size(); ++i)
        if (IsChecked(ThemeRadios[i])) Konfig.Theme = static_cast<uint8_t>(i);
    quickFoldersChanged_ = quickFolders_ != Konfig.QuickFolders;
    Konfig.QuickFolders = quickFolders_;
    // The settings window shows the new theme at once; the popups take it when they are made again.
    if (RefreshTheme()) ApplyWindowTheme(GetWindow(Handle(), GW_OWNER), CurrentTheme().windows == PaletteKind::Dark);
    EndModal(ModalResult::Ok);
}

void TfrmOptions::BtnCancelClick() { EndModal(ModalResult::Cancel); }

void TfrmOptions::BtnToolsSelectAllClick()
{
    for (int i = 0; i < ToolsSubmenuCount; ++i) SetToolsRowChecked(i, true);
}

void TfrmOptions::BtnToolsSelectNoneClick()
{
    for (int i = 0; i < ToolsSubmenuCount; ++i) SetToolsRowChecked(i, false);
}

HBRUSH TfrmOptions::PageBrush()
{
    if (pageBrush_) return static_cast<HBRUSH>(pageBrush_.get());
    // Themes paint the page in a colour of their own: it is read from the tab control's
    // picture where the check box lies, so the check box paints no patch of the form's.
    HWND tabs = Control(C::PageControlExtraMenus);
    RECT client{}, check{};
    GetClientRect(tabs, &client);
    GetWindowRect(Control(C::CheckToolsMenu), &check);
    MapWindowPoints(nullptr, tabs, reinterpret_cast<POINT*>(&check), 2);
    COLORREF colour = GetSysColor(COLOR_BTNFACE);
    {
        ScopedGetDC screen(tabs);
        UniqueMemoryDC dc(CreateCompatibleDC(screen.get()));
        UniqueGdiObject picture(CreateCompatibleBitmap(screen.get(), client.right, client.bottom));
        if (dc && picture) {
            ScopedSelectObject select(dc.get(), picture.get());
            SendMessageW(tabs, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT | PRF_ERASEBKGND);
            COLORREF read = GetPixel(dc.get(), check.left, check.top);
            if (read != CLR_INVALID) colour = read;
        }
    }
    pageBrush_.reset(CreateSolidBrush(colour));
    return static_cast<HBRUSH>(pageBrush_.get());
}

LRESULT TfrmOptions::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        if (reinterpret_cast<HWND>(lParam) == MadeControl(C::CheckToolsMenu) ||
            reinterpret_cast<HWND>(lParam) == MadeControl(C::LabelQuickFolders)) {
            SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
            return reinterpret_cast<LRESULT>(PageBrush());
        }
        break;
    case WM_SYSCOLORCHANGE:
    case WM_THEMECHANGED:
        pageBrush_.reset();
        break;
    default:
        break;
    }
    if (std::optional<LRESULT> themed = WindowThemeMessage(Handle(), msg, wParam, lParam)) return *themed;
    return Form::HandleMessage(msg, wParam, lParam);
}

void TfrmOptions::LaidOut()
{
    // The one column spans the list at the new DPI, as it did at the old. Twice: coming from
    // a larger scale, the old column's scroll bars narrow the client until it fits.
    HWND list = Control(C::ToolsCbList);
    for (int pass = 0; pass < 2; ++pass) SendMessageW(list, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(ClientWidth(list), 0));
    FitQuickFolderColumns();
}

void TfrmOptions::FormKeyUp(WPARAM key)
{
    if (key == VK_F1 && OnHelp) OnHelp();
}
