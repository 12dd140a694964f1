#include "settings/konfig_win.h"

#include "about/about_win.h"
#include "win/resource_ids.h"
#include "config/config_win.h"
#include "config/globalvar_win.h"
#include "config/model.h"
#include "menus/entry_icon_rules.h"
#include "menus/entry_icon_win.h"
#include "menus/menu_images_win.h"
#include "menus/menu_items_win.h"
#include "settings/editmenu_win.h"
#include "settings/konfig_drop_rules.h"
#include "settings/konfig_rules.h"
#include "settings/options_win.h"
#include "settings/quit_question_win.h"
#include "win/application.h"
#include "win/message_seam.h"


#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <array>
#include <utility>

namespace {

constexpr DWORD Group = WS_VISIBLE | WS_CLIPSIBLINGS | BS_GROUPBOX;
constexpr DWORD Button = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD Check = WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr DWORD Edit = WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD Combo = WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
constexpr DWORD Label = WS_VISIBLE | SS_RIGHT;
constexpr DWORD Banner = WS_VISIBLE | SS_CENTERIMAGE;
constexpr DWORD ListStyle = WS_VISIBLE | WS_TABSTOP | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS;
constexpr ControlFont Small = ControlFont::Small;

constexpr int LabelWidth = 153;
constexpr int PickerPathLimit = 260;
constexpr int DescriptionLimit = 254;
constexpr std::array<const char*, 4> StartModeNames{"Normal", "Minimized", "Maximized", "Hidden"};

// In tab order: the Menus group, the Items group (list, buttons, the mask), the bottom row.
constexpr ControlRow Controls[] = {
    {"GroupBoxMenus", "BUTTON", "Menus", 7, 8, 505, 97, Group, 0, nullptr, Small},
    {"LvMenus", WC_LISTVIEWA, "", 8, 16, 489, 41, ListStyle | LVS_LIST | WS_GROUP, WS_EX_CLIENTEDGE, "GroupBoxMenus"},
    {"BtnAddMenu", "BUTTON", "Ad&d", 8, 64, 75, 25, Button, 0, "GroupBoxMenus"},
    {"BtnModifyMenu", "BUTTON", "M&odify", 88, 64, 75, 25, Button, 0, "GroupBoxMenus"},
    {"BtnRemoveMenu", "BUTTON", "R&emove", 168, 64, 75, 25, Button, 0, "GroupBoxMenus"},
    {"BtnMoveUpMenu", "BUTTON", "Move Le&ft", 328, 64, 77, 25, Button, 0, "GroupBoxMenus"},
    {"BtnMoveDnMenu", "BUTTON", "Move Rig&ht", 410, 64, 77, 25, Button, 0, "GroupBoxMenus"},
    {"BtnClearMenu", "BUTTON", "C&lear", 248, 64, 75, 25, Button, 0, "GroupBoxMenus"},

    {"GroupBoxItemsEdit", "BUTTON", "Items", 7, 112, 505, 313, Group, 0, nullptr, Small},
    {"LblCurrentMenu", "STATIC", "-", 8, 16, 153, 16, Banner | SS_CENTER, 0, "GroupBoxItemsEdit"},
    {"LblItemIndex", "STATIC", "0/0", 456, 16, 41, 16, Banner | SS_RIGHT, 0, "GroupBoxItemsEdit"},
    // Ends where the counter begins: overlapping labels would paint over each other.
    {"Label5", "STATIC", "Edit Item", 184, 16, 272, 16, Banner | SS_CENTER, 0, "GroupBoxItemsEdit"},
    {"LvItems", WC_LISTVIEWA, "", 8, 33, 152, 208,
     ListStyle | LVS_ICON | LVS_OWNERDATA | LVS_AUTOARRANGE | WS_GROUP, WS_EX_CLIENTEDGE, "GroupBoxItemsEdit"},
    {"BtnAddItem", "BUTTON", "&Add", 184, 280, 75, 25, Button, 0, "GroupBoxItemsEdit"},
    {"BtnModifyItem", "BUTTON", "&Modify", 264, 280, 75, 25, Button, 0, "GroupBoxItemsEdit"},
    {"BtnRemoveItem", "BUTTON", "&Remove", 344, 280, 75, 25, Button, 0, "GroupBoxItemsEdit"},
    {"BtnClearItemMask", "BUTTON", "&Clear", 424, 280, 75, 25, Button, 0, "GroupBoxItemsEdit"},
    {"BtnMoveUpItem", "BUTTON", "Move &Up", 8, 248, 75, 25, Button, 0, "GroupBoxItemsEdit"},
    {"BtnMoveDnItem", "BUTTON", "Move D&n", 88, 248, 75, 25, Button, 0, "GroupBoxItemsEdit"},
    {"BtnAddSep", "BUTTON", "&Insert Separator", 8, 280, 155, 25, Button, 0, "GroupBoxItemsEdit"},
    {"Bevel1", "STATIC", "", 172, 33, 2, 240, WS_VISIBLE | SS_ETCHEDVERT, 0, "GroupBoxItemsEdit"},
    // The panels only hold their controls: painted, they would cover them.
    {"PanEditControls", "STATIC", "", 184, 32, 313, 241, 0, 0, "GroupBoxItemsEdit"},
    // Labels end just before their fields and may reach into the margin for wider fonts.
    {"LblPfad", "STATIC", "Item:", -12, 12, 80, 13, Label, 0, "PanEditControls"},
    {"EdPfad", "EDIT", "", 72, 8, 217, 21, Edit | ES_READONLY, WS_EX_CLIENTEDGE, "PanEditControls"},
    {"LblIconPfad", "STATIC", "Icon Path:", -12, 44, 80, 13, Label, 0, "PanEditControls"},
    {"EdIconPfad", "EDIT", "", 72, 40, 217, 21, Edit, WS_EX_CLIENTEDGE, "PanEditControls"},
    {"LblParams", "STATIC", "Parameters:", -12, 135, 80, 13, Label, 0, "PanEditControls"},
    {"EdParams", "EDIT", "", 72, 131, 121, 21, Edit, WS_EX_CLIENTEDGE, "PanEditControls"},
    {"LblBeschreibung", "STATIC", "Description:", -12, 207, 80, 13, Label, 0, "PanEditControls"},
    {"EdBeschreibung", "EDIT", "", 72, 203, 217, 21, Edit, WS_EX_CLIENTEDGE, "PanEditControls"},
    {"LblIcon", "STATIC", "Icon:", 219, 120, 50, 13, WS_VISIBLE | SS_LEFT, 0, "PanEditControls"},
    {"PanIcon", "STATIC", "", 219, 135, 50, 50, 0, 0, "PanEditControls"},
    // The picture's own sunken edge is the lowered panel: 48 x 48 inside.
    {"ImgIcon", "STATIC", "", 0, 0, 50, 50, WS_VISIBLE | WS_TABSTOP | SS_ICON | SS_CENTERIMAGE | SS_NOTIFY | SS_SUNKEN,
     0, "PanIcon"},
    {"ScrollBarIconNum", "SCROLLBAR", "", 270, 136, 16, 49, WS_VISIBLE | WS_TABSTOP | SBS_VERT, 0, "PanEditControls"},
    {"LblStartMode", "STATIC", "Startmode:", -12, 108, 80, 13, Label, 0, "PanEditControls"},
    {"ComboStartMode", "COMBOBOX", "", 72, 104, 121, 21, Combo, 0, "PanEditControls"},
    // Wide enough for its text in the fonts Wine substitutes.
    {"CheckAutoStart", "BUTTON", "Autostart:", 5, 162, 70, 25, Check | BS_LEFTTEXT, 0, "PanEditControls"},
    {"ComboAutoStartMode", "COMBOBOX", "", 80, 164, 112, 21, Combo, 0, "PanEditControls"},
    {"BtnBrowseIconPath", "BUTTON", "...", 288, 40, 25, 21, Button, 0, "PanEditControls"},
    {"CheckDefaultIcon", "BUTTON", "Use default Icon", 40, 72, 121, 17, Check, 0, "PanEditControls"},
    {"BtnBrowsePfad", "BUTTON", "...", 288, 8, 25, 21, Button, 0, "PanEditControls"},

    {"BtnOK", "BUTTON", "&OK - Minimize", 8, 439, 145, 26, Button | WS_GROUP, 0, nullptr, ControlFont::SmallBold},
    {"BtnOptions", "BUTTON", "Option&s", 200, 439, 75, 26, Button, 0, nullptr, Small},
    {"BtnAbout", "BUTTON", "A&bout", 279, 439, 75, 26, Button, 0, nullptr, Small},
    {"BtnHelp", "BUTTON", "&Help", 358, 439, 75, 26, Button, 0, nullptr, Small},
    {"BtnQuit", "BUTTON", "&Quit", 437, 439, 75, 26, Button, 0, nullptr, Small},
};

constexpr std::array<EventRow<TfrmKonfig>, 24> Events{{
    {"BtnAddMenu", BN_CLICKED, &TfrmKonfig::BtnAddMenuClick},
    {"BtnModifyMenu", BN_CLICKED, &TfrmKonfig::BtnModifyMenuClick},
    {"BtnRemoveMenu", BN_CLICKED, &TfrmKonfig::BtnRemoveMenuClick},
    {"BtnClearMenu", BN_CLICKED, &TfrmKonfig::BtnClearMenuClick},
    {"BtnMoveUpMenu", BN_CLICKED, &TfrmKonfig::BtnMoveUpMenuClick},
    {"BtnMoveDnMenu", BN_CLICKED, &TfrmKonfig::BtnMoveDnMenuClick},
    {"BtnOK", BN_CLICKED, &TfrmKonfig::BtnOKClick},
    {"BtnOptions", BN_CLICKED, &TfrmKonfig::BtnOptionsClick},
    {"BtnAbout", BN_CLICKED, &TfrmKonfig::BtnAboutClick},
    {"BtnHelp", BN_CLICKED, &TfrmKonfig::BtnHelpClick},
    {"BtnQuit", BN_CLICKED, &TfrmKonfig::BtnQuitClick},
    {"BtnAddItem", BN_CLICKED, &TfrmKonfig::BtnAddItemClick},
    {"BtnModifyItem", BN_CLICKED, &TfrmKonfig::BtnModifyItemClick},
    {"BtnRemoveItem", BN_CLICKED, &TfrmKonfig::BtnRemoveItemClick},
    {"BtnClearItemMask", BN_CLICKED, &TfrmKonfig::BtnClearItemMaskClick},
    {"BtnMoveUpItem", BN_CLICKED, &TfrmKonfig::BtnMoveUpItemClick},
    {"BtnMoveDnItem", BN_CLICKED, &TfrmKonfig::BtnMoveDnItemClick},
    {"BtnAddSep", BN_CLICKED, &TfrmKonfig::BtnAddSepClick},
    {"BtnBrowsePfad", BN_CLICKED, &TfrmKonfig::BtnBrowsePfadClick},
    {"BtnBrowseIconPath", BN_CLICKED, &TfrmKonfig::BtnBrowseIconPathClick},
    {"ImgIcon", STN_CLICKED, &TfrmKonfig::ImgIconClick},
    {"ImgIcon", STN_DBLCLK, &TfrmKonfig::ImgIconClick},
    {"EdIconPfad", EN_CHANGE, &TfrmKonfig::EdIconPfadChange},
    {"CheckDefaultIcon", BN_CLICKED, &TfrmKonfig::CheckDefaultIconClick},
}};

// The button pictures, by their cell in the program's glyph strip.
struct GlyphRow {
    const char* button;
    int cell;
    bool right = false;
};
enum Glyph { Add, Modify, Remove, Clear, Left, Right, Up, Down, Separator, Ok, Options, About, Help, Quit };
constexpr GlyphRow Glyphs[] = {
    {"BtnAddMenu", Add},       {"BtnModifyMenu", Modify},      {"BtnRemoveMenu", Remove},
    {"BtnClearMenu", Clear},   {"BtnMoveUpMenu", Left},        {"BtnMoveDnMenu", Right, true},
    {"BtnAddItem", Add},       {"BtnModifyItem", Modify},      {"BtnRemoveItem", Remove},
    {"BtnClearItemMask", Clear}, {"BtnMoveUpItem", Up},        {"BtnMoveDnItem", Down},
    {"BtnAddSep", Separator},  {"BtnOK", Ok},                  {"BtnOptions", Options},
    {"BtnAbout", About},       {"BtnHelp", Help},              {"BtnQuit", Quit},
};

INT_PTR ShellExecuteOpen(HWND owner, const std::string& file, int show)
{
    return reinterpret_cast<INT_PTR>(ShellExecuteA(owner, "open", file.c_str(), nullptr, nullptr, show));
}

bool OpenFileDialog(HWND owner, std::string& file)
{
    std::array<char, MAX_PATH + 1> buffer{};
    lstrcpynA(buffer.data(), "*.exe", static_cast<int>(buffer.size()));
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = "Executeables\0*.exe\0All files\0*.*\0";
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrDefExt = "exe";
    dialog.Flags = OFN_HIDEREADONLY | OFN_EXPLORER;
    if (!GetOpenFileNameA(&dialog)) return false;
    file = buffer.data();
    return true;
}

}  // namespace

std::unique_ptr<TfrmKonfig> TfrmKonfig::Create(HWND owner, KonfigHost host)
{
    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof(icc);
    icc.dwICC = ICC_LISTVIEW_CLASSES;
    InitCommonControlsEx(&icc);

    auto form = std::make_unique<TfrmKonfig>(Key{});
    form->host_ = std::move(host);
    FormSpec layout{"TfrmKonfig", "Marigoldwick - Settings", 518, 471};
    layout.owner = owner;
    layout.fontPixels = 13;
    if (!form->CreateForm(layout) || !form->CreateControls(Controls)) return nullptr;
    TfrmKonfig* f = form.get();

    form->frmEditMenu_ = TfrmEditMenu::Create(form->Handle());
    form->frmOptions_ = TfrmOptions::Create(form->Handle());
    if (!form->frmEditMenu_ || !form->frmOptions_) return nullptr;
    form->frmEditMenu_->OnHelp = [f] { f->OpenHelp(f->frmEditMenu_->Handle()); };
    form->frmOptions_->OnHelp = [f] { f->OpenHelp(f->frmOptions_->Handle()); };
    form->frmAbout_ = TfrmAbout::Create(form->Handle());
    if (!form->frmAbout_) return nullptr;

    HWND menus = form->Control("LvMenus");
    SendMessageA(menus, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_GRIDLINES | LVS_EX_FLATSB | LVS_EX_FULLROWSELECT);
    // White background, no mask: the icons are drawn onto white as they are copied in.
    form->imgListLvMenus_.reset(ImageList_Create(16, 16, ILC_COLOR24, 4, 4));
    ImageList_SetBkColor(form->imgListLvMenus_.get(), RGB(255, 255, 255));
    SendMessageA(menus, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(form->imgListLvMenus_.get()));

    for (const char* combo : {"ComboStartMode", "ComboAutoStartMode"})
        for (const char* name : StartModeNames)
            SendMessageA(form->Control(combo), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    SendMessageA(form->Control("EdBeschreibung"), EM_LIMITTEXT, DescriptionLimit, 0);
    UniqueImageList strip(ImageList_LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_GLYPHS), 16, 0,
                                               RGB(255, 0, 255), IMAGE_BITMAP, LR_CREATEDIBSECTION));
    for (const GlyphRow& row : Glyphs) form->SetButtonGlyph(row.button, strip.get(), row.cell, row.right);
    // The browse buttons show the shell's folder, or "..." without it.
    form->SetButtonIcon("BtnBrowsePfad", ShellFolderGlyph());
    form->SetButtonIcon("BtnBrowseIconPath", ShellFolderGlyph());

    form->BindEvents<TfrmKonfig>(f, Events);
    form->OnNotify("LvMenus", LVN_ITEMCHANGED, [f](NMHDR& h) { return f->LvMenusItemChanged(h); });
    form->OnNotify("LvItems", LVN_ITEMCHANGED, [f](NMHDR& h) { return f->LvItemsItemChanged(h); });
    form->OnNotify("LvItems", LVN_GETDISPINFOA, [f](NMHDR& h) { return f->LvItemsData(h); });
    form->OnNotify("LvItems", LVN_ODFINDITEMA, [f](NMHDR& h) { return f->LvItemsDataFind(h); });
    // Some list views ask in wide characters whatever the parent prefers.
    form->OnNotify("LvItems", LVN_GETDISPINFOW, [f](NMHDR& h) { return f->LvItemsData(h); });
    form->OnNotify("LvItems", LVN_ODFINDITEMW, [f](NMHDR& h) { return f->LvItemsDataFind(h); });
    form->SetKeyUpPreview([f](WPARAM key) { f->FormKeyUp(key); });
    form->CreateDropTarget();

    form->ShellOpen = ShellExecuteOpen;
    form->ChooseFile = OpenFileDialog;
    form->PickIcon = ShellPickIcon;
    return form;
}

TfrmKonfig::TfrmKonfig(Key) {}

TfrmKonfig::~TfrmKonfig()
{
    DestroyDropTarget();
    // The lists show image lists owned elsewhere: detach them before the window goes.
    if (HWND items = Control("LvItems")) SendMessageA(items, LVM_SETIMAGELIST, LVSIL_NORMAL, 0);
    DestroyHandle();
}

void TfrmKonfig::ShowTaskbarButton(bool shown)
{
    if (!Handle()) return;
    LONG_PTR ex = GetWindowLongPtrA(Handle(), GWL_EXSTYLE);
    ex = shown ? (ex | WS_EX_APPWINDOW) : (ex & ~static_cast<LONG_PTR>(WS_EX_APPWINDOW));
    SetWindowLongPtrA(Handle(), GWL_EXSTYLE, ex);
}

TOneMenu* TfrmKonfig::Current() const { return MenuAt(CurrentMenu); }

int TfrmKonfig::SelectedIndex(std::string_view list) const
{
    HWND hwnd = Control(list);
    if (SendMessageA(hwnd, LVM_GETSELECTEDCOUNT, 0, 0) != 1) return -1;
    return static_cast<int>(SendMessageA(hwnd, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void TfrmKonfig::Select(std::string_view list, int index)
{
    HWND hwnd = Control(list);
    LVITEMA state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    if (index < 0) {
        state.stateMask = LVIS_SELECTED;
        SendMessageA(hwnd, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
        return;
    }
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(hwnd, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&state));
    SendMessageA(hwnd, LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), FALSE);
}

// ---- the window and its menus ----

void TfrmKonfig::FormShow()
{
    // Refilling leaves nothing selected and runs the selection change: no current menu,
    // the Items group disabled, the item list and the mask empty.
    FillMenuList();
}

void TfrmKonfig::FormKeyUp(WPARAM key)
{
    if (key == VK_F1) BtnHelpClick();
}

void TfrmKonfig::FillMenuList()
{
    HWND list = Control("LvMenus");
    fillingMenus_ = true;
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    ImageList_RemoveAll(imgListLvMenus_.get());
    for (size_t i = 0; i < MenuList.size(); ++i) {
        LVITEMA item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = static_cast<int>(i);
        item.pszText = MenuList[i]->MenuName.data();
        item.iImage = static_cast<int>(i);
        SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    HINSTANCE instance = GetModuleHandleA(nullptr);
    for (const auto& menu : MenuList) {
        HICON extracted = ExtractIconA(instance, menu->IconPfad.c_str(), static_cast<UINT>(menu->IconNum));
        // 0: no icon there; 1: the file is no icon source at all.
        if (reinterpret_cast<UINT_PTR>(extracted) > 1) {
            UniqueIcon icon(extracted);
            ImageList_AddIcon(imgListLvMenus_.get(), icon.get());
        } else {
            ImageList_AddIcon(imgListLvMenus_.get(), host_.placeholder ? host_.placeholder() : nullptr);
        }
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
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
        SetEnabled("GroupBoxItemsEdit", true);
        SetDirectChildrenEnabled("GroupBoxItemsEdit", true);
        HWND label = Control("LblCurrentMenu");
        HDC dc = GetDC(Handle());
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(label, WM_GETFONT, 0, 0)));
        std::string text = ShortenText(CurrentMenuText(MenuList[static_cast<size_t>(selected)]->MenuName),
                                       LabelWidth, dc);
        SelectObject(dc, old);
        ReleaseDC(Handle(), dc);
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

LRESULT TfrmKonfig::LvMenusItemChanged(NMHDR& header)
{
    const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
    if (!fillingMenus_ && (change.uChanged & LVIF_STATE) && ((change.uOldState ^ change.uNewState) & LVIS_SELECTED))
        LvMenusChange();
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

void TfrmKonfig::BtnOKClick()
{
    if (MenuList.empty()) {
        ShowMessageBox(Handle(), "You need to create at least one menu.", "Marigoldwick", MB_ICONWARNING);
        return;
    }
    // The deselection runs the selection change, which also deselects the item list.
    Select("LvMenus", -1);
    SetFocus(Handle());
    if (!SaveConfig()) ShowMessageBox(Handle(), "Error saving configuration data.", "Marigoldwick", MB_ICONERROR);
    EndModal(ModalResult::Ok);
}

void TfrmKonfig::BtnQuitClick()
{
    bool shuttingDown = host_.shutdownPending && host_.shutdownPending();
    if (!ConfirmQuit(Handle(), shuttingDown, "Really quit Marigoldwick ?\rConfiguration changes will get lost.")) return;
    TerminateApplication();
}

void TfrmKonfig::BtnOptionsClick() { frmOptions_->Execute(Handle()); }

void TfrmKonfig::BtnAboutClick()
{
    frmAbout_->Execute(Handle());
}

void TfrmKonfig::BtnHelpClick() { OpenHelp(Handle()); }

void TfrmKonfig::OpenHelp(HWND owner)
{
    if (!ShellOpen || ShellOpen(owner, HelpFile, SW_SHOWDEFAULT) < 32)
        ShowMessageDialog(owner, "Unable to open " + HelpFile, MessageKind::Error, MessageButtons::Ok);
}

// ---- the items of the selected menu ----

void TfrmKonfig::RefreshItemList()
{
    HWND list = Control("LvItems");
    SendMessageA(list, LVM_SETIMAGELIST, LVSIL_NORMAL, 0);
    TOneMenu* menu = Current();
    if (!menu) {
        SendMessageA(list, LVM_SETITEMCOUNT, 0, 0);
        return;
    }
    // The list draws straight from the menu's pictures: none may still be a placeholder.
    LoadAllEntryIcons(*menu);
    SendMessageA(list, LVM_SETITEMCOUNT, menu->Items.size(), 0);
    if (ImageListMenuImages* images = ImageListOf(*menu))
        SendMessageA(list, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(images->Handle()));
    InvalidateRect(list, nullptr, TRUE);
    SetFocus(list);
}

LRESULT TfrmKonfig::LvItemsData(NMHDR& header)
{
    auto& info = reinterpret_cast<NMLVDISPINFOA&>(header);
    TOneMenu* menu = Current();
    int n = info.item.iItem;
    if (!menu || n < 0 || n >= static_cast<int>(menu->Items.size())) return 0;
    const TOneItem& item = *menu->Items[static_cast<size_t>(n)];
    if ((info.item.mask & LVIF_TEXT) && info.item.pszText && info.item.cchTextMax > 0) {
        if (header.code == LVN_GETDISPINFOW) {
            auto* wide = reinterpret_cast<wchar_t*>(info.item.pszText);
            int written = MultiByteToWideChar(CP_ACP, 0, item.Description.c_str(), -1, wide, info.item.cchTextMax);
            if (written == 0) wide[info.item.cchTextMax - 1] = L'\0';
        } else {
            lstrcpynA(info.item.pszText, item.Description.c_str(), info.item.cchTextMax);
        }
    }
    if (info.item.mask & LVIF_IMAGE) info.item.iImage = item.ImageIndex;
    return 0;
}

LRESULT TfrmKonfig::LvItemsDataFind(NMHDR& header)
{
    const auto& find = reinterpret_cast<const NMLVFINDITEMA&>(header);
    TOneMenu* menu = Current();
    if (!menu || !(find.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) || !find.lvfi.psz) return -1;
    std::string text = find.lvfi.psz;
    if (header.code == LVN_ODFINDITEMW) {
        const auto* wide = reinterpret_cast<const wchar_t*>(find.lvfi.psz);
        std::array<char, 512> narrow{};
        WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow.data(), static_cast<int>(narrow.size()) - 1, nullptr, nullptr);
        text = narrow.data();
    }
    return FindItemByPrefix(menu->Items, find.iStart, text, (find.lvfi.flags & LVFI_WRAP) != 0);
}

LRESULT TfrmKonfig::LvItemsItemChanged(NMHDR& header)
{
    const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
    if ((change.uChanged & LVIF_STATE) && ((change.uOldState ^ change.uNewState) & LVIS_SELECTED)) LvItemsChange();
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
    SendMessageA(Control("EdPfad"), EM_SETREADONLY, editable ? FALSE : TRUE, 0);
}

void TfrmKonfig::SetComboStartMode(const char* combo, uint16_t value)
{
    int index = StartModeIndex(value);
    if (index >= 0) SendMessageA(Control(combo), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
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
        SendMessageA(Control("ComboStartMode"), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        SendMessageA(Control("ComboAutoStartMode"), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        SetText("EdParams", "");
        SetText("EdBeschreibung", "");
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
    int index = IsChecked("CheckDefaultIcon") ? DefaultIconNum : IconNumPosition();
    HICON placeholder = host_.placeholder ? host_.placeholder() : nullptr;
    UniqueIcon icon = CurrentIsPIDL ? GetEntryIcon(IdListToBytes(CurrentPIDL.get()), true, index, Text("EdIconPfad"),
                                                   placeholder)
                                    : GetEntryIcon(Text("EdPfad"), false, index, Text("EdIconPfad"), placeholder);
    SendMessageA(Control("ImgIcon"), STM_SETICON, reinterpret_cast<WPARAM>(icon.get()), 0);
    InvalidateRect(Control("ImgIcon"), nullptr, TRUE);
    preview_ = std::move(icon);
}

HICON TfrmKonfig::PreviewIcon() const
{
    return reinterpret_cast<HICON>(SendMessageA(Control("ImgIcon"), STM_GETICON, 0, 0));
}

void TfrmKonfig::EdIconPfadChange()
{
    if (loadingMask_) return;
    UpdateIconRange();
    UpdateIconPreview();
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
    if (position < 0 || position >= static_cast<int>(menu->Items.size())) menu->Items.push_back(std::move(item));
    else menu->Items.insert(menu->Items.begin() + position, std::move(item));
    RefreshItemList();
}

void TfrmKonfig::BtnAddItemClick()
{
    TOneMenu* menu = Current();
    if (!menu) return;
    bool useDefault = IsChecked("CheckDefaultIcon");
    if (!useDefault && !IsExistingFile(Text("EdIconPfad"))) {
        ShowMessageDialog(Handle(), "Icon file not found.", MessageKind::Warning, MessageButtons::Ok);
        return;
    }
    if (!CurrentIsPIDL && useDefault && !IsExistingFile(Text("EdPfad"))) {
        ShowMessageDialog(Handle(), "default Icon file not found.", MessageKind::Warning, MessageButtons::Ok);
        return;
    }
    if (menu->Items.size() >= static_cast<size_t>(MaxItemsPerMenu)) {
        ShowMessageDialog(Handle(), "A menu holds at most 1900 items.", MessageKind::Warning, MessageButtons::Ok);
        return;
    }
    auto item = std::make_unique<TOneItem>();
    item->IsPIDL = CurrentIsPIDL;
    item->Pfad = CurrentIsPIDL ? IdListToBytes(CurrentPIDL.get()) : Text("EdPfad");
    item->IconPfad = useDefault ? std::string() : Text("EdIconPfad");
    item->IconNum = useDefault ? DefaultIconNum : IconNumPosition();
    item->Startmode = StartModeFromIndex(static_cast<int>(SendMessageA(Control("ComboStartMode"), CB_GETCURSEL, 0, 0)));
    item->AutoStartmode =
        StartModeFromIndex(static_cast<int>(SendMessageA(Control("ComboAutoStartMode"), CB_GETCURSEL, 0, 0)));
    item->Autostart = IsChecked("CheckAutoStart");
    item->Parameters = Text("EdParams");
    item->Description = Text("EdBeschreibung");
    if (menu->Images) {
        item->ImageIndex = menu->Images->AddEntryImage(*item);
        if (ImageListMenuImages* images = ImageListOf(*menu)) images->EnsureEntryIcon(item->ImageIndex);
    }
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
    bool useDefault = IsChecked("CheckDefaultIcon");
    if (!useDefault && !IsExistingFile(Text("EdIconPfad"))) {
        ShowMessageDialog(Handle(), "Icon file not found.", MessageKind::Warning, MessageButtons::Ok);
        LoadItemMask(n);
        return;
    }
    TOneItem& item = *menu->Items[static_cast<size_t>(n)];
    if (!CurrentIsPIDL) {
        item.Pfad = Text("EdPfad");
        item.IsPIDL = false;
    }
    item.IconPfad = useDefault ? std::string() : Text("EdIconPfad");
    item.IconNum = useDefault ? DefaultIconNum : IconNumPosition();
    item.Autostart = IsChecked("CheckAutoStart");
    item.Parameters = Text("EdParams");
    item.Description = Text("EdBeschreibung");
    item.Startmode = StartModeFromIndex(static_cast<int>(SendMessageA(Control("ComboStartMode"), CB_GETCURSEL, 0, 0)));
    item.AutoStartmode =
        StartModeFromIndex(static_cast<int>(SendMessageA(Control("ComboAutoStartMode"), CB_GETCURSEL, 0, 0)));
    if (ImageListMenuImages* images = ImageListOf(*menu)) (void)images->ReplaceEntryImage(item.ImageIndex, item);
    RefreshItemList();
}

void TfrmKonfig::RemoveItem(int index)
{
    TOneMenu* menu = Current();
    if (!menu || index < 0 || index >= static_cast<int>(menu->Items.size())) return;
    int k = menu->Items[static_cast<size_t>(index)]->ImageIndex;
    menu->Items.erase(menu->Items.begin() + index);
    if (ImageListMenuImages* images = ImageListOf(*menu)) (void)images->RemoveEntryImage(k);
    for (auto& item : menu->Items)
        if (item->ImageIndex > k) --item->ImageIndex;
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
    if (selected >= 0) SendMessageA(Control("LvItems"), LVM_ENSUREVISIBLE, static_cast<WPARAM>(selected), FALSE);
}

void TfrmKonfig::BtnClearItemMaskClick() { LoadItemMask(-1); }

void TfrmKonfig::SwapItems(int from, int to)
{
    TOneMenu* menu = Current();
    // The picture reference travels with its item; the picture list stays as it is.
    std::swap(menu->Items[static_cast<size_t>(from)], menu->Items[static_cast<size_t>(to)]);
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
    if (menu->Items.size() >= static_cast<size_t>(MaxItemsPerMenu)) {
        ShowMessageDialog(Handle(), "A menu holds at most 1900 items.", MessageKind::Warning, MessageButtons::Ok);
        return;
    }
    auto separator = std::make_unique<TOneItem>();
    separator->Pfad = SeparatorMarker;
    separator->IconNum = 0;
    separator->Startmode = 1;
    separator->AutoStartmode = 1;
    separator->Description = "Separator";
    if (menu->Images) separator->ImageIndex = menu->Images->AddEntryImage(*separator);
    int p = SelectedIndex("LvItems");
    InsertItem(std::move(separator), p);
    int at = p < 0 ? static_cast<int>(menu->Items.size()) - 1 : p;
    Select("LvItems", at);
    RefreshItemList();
    LoadItemMask(at);
}

void TfrmKonfig::BtnBrowsePfadClick()
{
    std::string file;
    if (!ChooseFile || !ChooseFile(Handle(), file)) return;
    CurrentIsPIDL = false;
    CurrentPIDL.reset();
    SetPfadEditable(true);
    SetText("EdPfad", file);
    if (IsProgramPath(file)) SetText("EdIconPfad", file);
    SetChecked("CheckDefaultIcon", true);
    UpdateIconRange();
    UpdateIconPreview();
}

void TfrmKonfig::BtnBrowseIconPathClick()
{
    if (IsChecked("CheckDefaultIcon")) {
        ShowMessageBox(Handle(), "Please uncheck 'use default icon' before choosing an icon.", "Marigoldwick", MB_OK);
        return;
    }
    if (!PickIcon) return;
    int index = IconNumPosition();
    std::string path = Text("EdIconPfad").substr(0, PickerPathLimit);
    if (!PickIcon(Handle(), path, index)) return;
    SetText("EdIconPfad", path);
    UpdateIconRange();
    UpdateIconPreview();
    SetIconNumPosition(index);
    UpdateIconPreview();
}

void TfrmKonfig::ImgIconClick() { BtnBrowseIconPathClick(); }

LRESULT TfrmKonfig::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_SHOWWINDOW:
        // Hidden, the item list holds no menu's pictures: the model may be released meanwhile.
        if (wParam) FormShow();
        else SendMessageA(Control("LvItems"), LVM_SETIMAGELIST, LVSIL_NORMAL, 0);
        break;
    case WM_CTLCOLORSTATIC: {
        HWND control = reinterpret_cast<HWND>(lParam);
        if (control == Control("LblCurrentMenu") || control == Control("LblItemIndex") ||
            control == Control("Label5")) {
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, RGB(255, 255, 255));
            SetBkColor(dc, GetSysColor(COLOR_APPWORKSPACE));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_APPWORKSPACE));
        }
        break;
    }
    case WM_VSCROLL: {
        HWND bar = Control("ScrollBarIconNum");
        if (reinterpret_cast<HWND>(lParam) != bar) break;
        if (std::optional<int> next = ScrollBarRequest(bar, wParam)) {
            SetIconNumPosition(*next);
            ScrollBarIconNumChange();
        }
        return 0;
    }
    default:
        break;
    }
    return Form::HandleMessage(msg, wParam, lParam);
}
