#include "settings/konfig_win.h"

#include "about/about_win.h"
#include "config/config_win.h"
#include "config/model.h"
#include "menus/menu_images_win.h"
#include "settings/editmenu_win.h"
#include "settings/iconpick_win.h"
#include "settings/options_win.h"
#include "settings/quit_question_win.h"
#include "menus/type_ahead_win.h"
#include "win/application.h"
#include "win/dpi.h"
#include "win/listview.h"
#include "win/message_seam.h"
#include "win/resource_ids.h"
#include "win/text_conversion.h"

#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

namespace {

using FormStyle::Button;
using FormStyle::Check;
using FormStyle::Edit;
using FormStyle::Group;
constexpr DWORD Combo = WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
constexpr DWORD Label = WS_VISIBLE | SS_RIGHT;
constexpr DWORD Banner = WS_VISIBLE | SS_CENTERIMAGE;
constexpr DWORD ListStyle = WS_VISIBLE | WS_TABSTOP | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS;
constexpr ControlFont Small = ControlFont::Small;

constexpr int DescriptionLimit = 254;
constexpr int PreviewSize = 48;          // the preview's picture at 96 DPI
// Resource id 4 (a negative index names an id): the closed folder in Windows' and Wine's shell32.
constexpr int ShellFolderIconIndex = -4;
constexpr std::array<const char*, 4> StartModeNames{"Normal", "Minimized", "Maximized", "Hidden"};

// In tab order: the Menus group, the Items group (list, buttons, the mask), the bottom row.
constexpr ControlRow Controls[] = {
    {"GroupBoxMenus", "BUTTON", "Menus", 7, 8, 505, 113, Group, 0, nullptr, Small},
    {"LvMenus", "SysListView32", "", 8, 16, 489, 57, ListStyle | LVS_LIST | WS_GROUP, WS_EX_CLIENTEDGE, "GroupBoxMenus"},
    {"BtnAddMenu", "BUTTON", "Ad&d", 8, 80, 75, 25, Button, 0, "GroupBoxMenus"},
    {"BtnModifyMenu", "BUTTON", "M&odify", 88, 80, 75, 25, Button, 0, "GroupBoxMenus"},
    {"BtnRemoveMenu", "BUTTON", "R&emove", 168, 80, 75, 25, Button, 0, "GroupBoxMenus"},
    {"BtnMoveUpMenu", "BUTTON", "Move Le&ft", 328, 80, 77, 25, Button, 0, "GroupBoxMenus"},
    {"BtnMoveDnMenu", "BUTTON", "Move Rig&ht", 410, 80, 77, 25, Button, 0, "GroupBoxMenus"},
    {"BtnClearMenu", "BUTTON", "C&lear", 248, 80, 75, 25, Button, 0, "GroupBoxMenus"},

    {"GroupBoxItemsEdit", "BUTTON", "Items", 7, 128, 505, 313, Group, 0, nullptr, Small},
    {"LblCurrentMenu", "STATIC", "-", 8, 16, 153, 16, Banner | SS_CENTER, 0, "GroupBoxItemsEdit"},
    // Drawn by the window: a right-aligned static puts the last glyph's overhang past its edge.
    {"LblItemIndex", "STATIC", "0/0", 456, 16, 41, 16, WS_VISIBLE | SS_OWNERDRAW, 0, "GroupBoxItemsEdit"},
    // Ends where the counter begins: overlapping labels would paint over each other.
    {"Label5", "STATIC", "Edit Item", 184, 16, 272, 16, Banner | SS_CENTER, 0, "GroupBoxItemsEdit"},
    {"LvItems", "SysListView32", "", 8, 33, 152, 208,
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
    // Labels end just before their fields and may reach into the margin for wider fonts,
    // not onto the divider: their background would cut it.
    {"LblPfad", "STATIC", "Item:", -9, 12, 77, 13, Label, 0, "PanEditControls"},
    {"EdPfad", "EDIT", "", 72, 8, 216, 21, Edit | ES_READONLY, WS_EX_CLIENTEDGE, "PanEditControls"},
    {"LblIconPfad", "STATIC", "Icon Path:", -9, 44, 77, 13, Label, 0, "PanEditControls"},
    {"EdIconPfad", "EDIT", "", 72, 40, 216, 21, Edit, WS_EX_CLIENTEDGE, "PanEditControls"},
    {"LblParams", "STATIC", "Parameters:", -9, 135, 77, 13, Label, 0, "PanEditControls"},
    {"EdParams", "EDIT", "", 72, 131, 121, 21, Edit, WS_EX_CLIENTEDGE, "PanEditControls"},
    {"LblBeschreibung", "STATIC", "Description:", -9, 193, 77, 13, Label, 0, "PanEditControls"},
    {"EdBeschreibung", "EDIT", "", 72, 189, 217, 21, Edit, WS_EX_CLIENTEDGE, "PanEditControls"},
    {"LblIcon", "STATIC", "Icon:", 219, 120, 50, 13, WS_VISIBLE | SS_LEFT, 0, "PanEditControls"},
    {"PanIcon", "STATIC", "", 219, 135, 50, 50, 0, 0, "PanEditControls"},
    // The picture's own sunken edge is the lowered panel: 48 x 48 inside.
    {"ImgIcon", "STATIC", "", 0, 0, 50, 50, WS_VISIBLE | WS_TABSTOP | SS_ICON | SS_CENTERIMAGE | SS_NOTIFY | SS_SUNKEN,
     0, "PanIcon"},
    {"ScrollBarIconNum", "SCROLLBAR", "", 270, 136, 16, 49, WS_VISIBLE | WS_TABSTOP | SBS_VERT, 0, "PanEditControls"},
    {"LblStartMode", "STATIC", "Startmode:", -9, 108, 77, 13, Label, 0, "PanEditControls"},
    {"ComboStartMode", "COMBOBOX", "", 72, 104, 121, 21, Combo, 0, "PanEditControls"},
    // Wide enough for its text in the fonts Wine substitutes.
    {"CheckAutoStart", "BUTTON", "Autostart:", 5, 162, 70, 25, Check | BS_LEFTTEXT, 0, "PanEditControls"},
    {"ComboAutoStartMode", "COMBOBOX", "", 80, 164, 112, 21, Combo, 0, "PanEditControls"},
    // The fields end where their browse buttons begin.
    {"BtnBrowseIconPath", "BUTTON", "...", 288, 40, 25, 21, Button, 0, "PanEditControls"},
    {"CheckDefaultIcon", "BUTTON", "Use default Icon", 40, 72, 121, 17, Check, 0, "PanEditControls"},
    {"BtnBrowsePfad", "BUTTON", "...", 288, 8, 25, 21, Button, 0, "PanEditControls"},
    {"CheckRunAsAdmin", "BUTTON", "Run as adminis&trator", 168, 72, 140, 17, Check, 0, "PanEditControls"},
    {"LblWorkingDir", "STATIC", "&Working dir:", -9, 220, 77, 13, Label, 0, "PanEditControls"},
    {"EdWorkingDir", "EDIT", "", 72, 216, 216, 21, Edit, WS_EX_CLIENTEDGE, "PanEditControls"},
    {"BtnBrowseWorkingDir", "BUTTON", "...", 288, 216, 25, 21, Button, 0, "PanEditControls"},

    {"BtnOK", "BUTTON", "&OK - Minimize", 8, 455, 145, 26, Button | WS_GROUP, 0, nullptr, ControlFont::SmallBold},
    {"BtnOptions", "BUTTON", "Option&s", 200, 455, 75, 26, Button, 0, nullptr, Small},
    {"BtnAbout", "BUTTON", "A&bout", 279, 455, 75, 26, Button, 0, nullptr, Small},
    {"BtnHelp", "BUTTON", "&Help", 358, 455, 75, 26, Button, 0, nullptr, Small},
    {"BtnQuit", "BUTTON", "&Quit", 437, 455, 75, 26, Button, 0, nullptr, Small},
};

// How the controls follow a larger window: the two lists take the room, the menu list a
// quarter of the height; the edit panel keeps its shape beside the item list, the bottom
// row stays at the bottom. A control without a row moves as its nearest container does.
constexpr double MenuShare = 0.25;
struct AnchorRow {
    const char* name;
    Anchor anchor;
};
constexpr AnchorRow Anchors[] = {
    {"GroupBoxMenus", {0, 0, 1, MenuShare}},
    {"LvMenus", {0, 0, 1, MenuShare}},
    {"BtnAddMenu", {0, MenuShare, 0, MenuShare}},
    {"BtnModifyMenu", {0, MenuShare, 0, MenuShare}},
    {"BtnRemoveMenu", {0, MenuShare, 0, MenuShare}},
    {"BtnMoveUpMenu", {0, MenuShare, 0, MenuShare}},
    {"BtnMoveDnMenu", {0, MenuShare, 0, MenuShare}},
    {"BtnClearMenu", {0, MenuShare, 0, MenuShare}},
    {"GroupBoxItemsEdit", {0, MenuShare, 1, 1}},
    {"LblCurrentMenu", {0, MenuShare, 1, MenuShare}},
    {"LblItemIndex", {1, MenuShare, 1, MenuShare}},
    {"Label5", {1, MenuShare, 1, MenuShare}},
    {"LvItems", {0, MenuShare, 1, 1}},
    {"BtnAddItem", {1, 1, 1, 1}},
    {"BtnModifyItem", {1, 1, 1, 1}},
    {"BtnRemoveItem", {1, 1, 1, 1}},
    {"BtnClearItemMask", {1, 1, 1, 1}},
    {"BtnMoveUpItem", {0, 1, 0, 1}},
    {"BtnMoveDnItem", {0, 1, 0, 1}},
    {"BtnAddSep", {0, 1, 0, 1}},
    {"Bevel1", {1, MenuShare, 1, 1}},
    {"PanEditControls", {1, MenuShare, 1, MenuShare}},
    {"BtnOK", {0, 1, 0, 1}},
    {"BtnOptions", {1, 1, 1, 1}},
    {"BtnAbout", {1, 1, 1, 1}},
    {"BtnHelp", {1, 1, 1, 1}},
    {"BtnQuit", {1, 1, 1, 1}},
};

std::optional<Anchor> AnchorOf(std::string_view name)
{
    for (const AnchorRow& a : Anchors)
        if (name == a.name) return a.anchor;
    for (const ControlRow& row : Controls)
        if (name == row.name && row.parent) return AnchorOf(row.parent);
    return std::nullopt;
}

constexpr std::array<EventRow<TfrmKonfig>, 26> Events{{
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
    {"BtnBrowseWorkingDir", BN_CLICKED, &TfrmKonfig::BtnBrowseWorkingDirClick},
    {"ImgIcon", STN_CLICKED, &TfrmKonfig::ImgIconClick},
    {"ImgIcon", STN_DBLCLK, &TfrmKonfig::ImgIconClick},
    {"EdIconPfad", EN_CHANGE, &TfrmKonfig::EdIconPfadChange},
    {"EdPfad", EN_CHANGE, &TfrmKonfig::EdPfadChange},
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

// The list view's own search takes no blanks and forgets its text after half a second:
// typed characters go to the window's type-ahead instead.
LRESULT CALLBACK ItemListKeys(HWND list, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR form)
{
    if (msg == WM_CHAR && wParam >= 0x20 && wParam != 0x7F) {
        reinterpret_cast<TfrmKonfig*>(form)->LvItemsTypeAhead(TypedCharacter(list, LOWORD(wParam)));
        return 0;
    }
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(list, ItemListKeys, id);
    return DefSubclassProc(list, msg, wParam, lParam);
}

INT_PTR ShellExecuteOpen(HWND owner, const std::string& file, int show)
{
    return reinterpret_cast<INT_PTR>(ShellExecuteW(owner, L"open", Wide(file).c_str(), nullptr, nullptr, show));
}

bool OpenFileDialog(HWND owner, std::string& file)
{
    std::array<wchar_t, MAX_PATH + 1> buffer{};
    lstrcpynW(buffer.data(), L"*.exe", static_cast<int>(buffer.size()));
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = L"Executables\0*.exe\0All files\0*.*\0";
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrDefExt = L"exe";
    dialog.Flags = OFN_HIDEREADONLY | OFN_EXPLORER;
    if (!GetOpenFileNameW(&dialog)) return false;
    file = Utf8(buffer.data());
    return true;
}

}  // namespace

std::unique_ptr<TfrmKonfig> TfrmKonfig::Create(HWND owner, KonfigHost host)
{
    LoadCommonControls(ICC_LISTVIEW_CLASSES);

    auto form = std::make_unique<TfrmKonfig>(Key{});
    form->host_ = std::move(host);
    FormSpec layout{"TfrmKonfig", "Marigoldwick - Settings", 518, 487};
    layout.owner = owner;
    layout.style |= WS_THICKFRAME | WS_MAXIMIZEBOX;
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
    SendMessageW(menus, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_GRIDLINES | LVS_EX_FLATSB | LVS_EX_FULLROWSELECT);
    // Slots in the entries' picture store, which makes every picture at any size.
    form->menuPictures_ = NewPictureSlots();
    form->previewPicture_ = NewPictureSlots();
    form->glyphPicture_ = NewPictureSlots();

    for (const char* combo : {"ComboStartMode", "ComboAutoStartMode"})
        for (const char* name : StartModeNames)
            SendMessageW(form->Control(combo), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(name).c_str()));
    form->LimitText("EdBeschreibung", DescriptionLimit);
    form->SetGlyphs();
    form->FitLists();
    form->SetBrowseGlyphs();

    for (const ControlRow& row : Controls)
        if (std::optional<Anchor> anchor = AnchorOf(row.name)) form->anchors_.Add(form->Control(row.name), *anchor);
    form->anchors_.Capture(form->Handle());

    form->BindEvents<TfrmKonfig>(f, Events);
    form->OnNotify("LvMenus", LVN_ITEMCHANGED, [f](NMHDR& h) { return f->LvMenusItemChanged(h); });
    form->OnNotify("LvMenus", LVN_GETDISPINFOW, [f](NMHDR& h) { return f->LvMenusData(h); });
    form->OnNotify("LvItems", LVN_ITEMCHANGED, [f](NMHDR& h) { return f->LvItemsItemChanged(h); });
    form->OnNotify("LvItems", LVN_KEYDOWN, [](NMHDR& h) {
        ListViewShowFocusedOnKey(h);
        return LRESULT{0};
    });
    // The form is a wide window: its list views ask in UTF-16.
    form->OnNotify("LvItems", LVN_GETDISPINFOW, [f](NMHDR& h) { return f->LvItemsData(h); });
    form->OnNotify("LvItems", LVN_ODFINDITEMW, [f](NMHDR& h) { return f->LvItemsDataFind(h); });
    SetWindowSubclass(form->Control("LvItems"), ItemListKeys, 1, reinterpret_cast<DWORD_PTR>(f));
    form->SetKeyUpPreview([f](WPARAM key) { f->FormKeyUp(key); });
    form->CreateDropTarget();

    form->ShellOpen = ShellExecuteOpen;
    form->ChooseFile = OpenFileDialog;
    form->ChooseFolder = ShellBrowseForFolder;
    form->PickIcon = PickIconSystemOrOwn;
    return form;
}

TfrmKonfig::TfrmKonfig(Key) {}

void TfrmKonfig::SetGlyphs()
{
    struct Strip {
        int id, size;
    };
    constexpr Strip Strips[] = {{IDB_GLYPHS, 16}, {IDB_GLYPHS_24, 24}, {IDB_GLYPHS_32, 32}};
    const Strip& pick = Strips[PictureScaleStep(Dpi())];
    HMODULE module = PictureModule ? PictureModule : GetModuleHandleW(nullptr);
    UniqueImageList strip(ImageList_LoadImageW(module, MAKEINTRESOURCEW(pick.id), pick.size, 0,
                                               RGB(255, 0, 255), IMAGE_BITMAP, LR_CREATEDIBSECTION));
    for (const GlyphRow& row : Glyphs) SetButtonGlyph(row.button, strip.get(), row.cell, row.right);
}

void TfrmKonfig::FitLists()
{
    // Two columns of entries with their labels below: at the designed size a menu's items
    // show four wholly and two nearly, not two and a half. The menus' columns as wide as
    // their names: twice as many in the one row the list has room for.
    ListViewSetIconColumns(Control("LvItems"), 2, ItemPictureSize());
    ListViewFitListColumns(Control("LvMenus"));
}

int TfrmKonfig::ItemPictureSize() const { return ScaleByDpi(SettingsPictureSize, Dpi()); }

int TfrmKonfig::MenuPictureSize() const { return SystemMetricForDpi(SM_CXSMICON, Dpi()); }

int TfrmKonfig::PreviewPictureSize() const { return ScaleByDpi(PreviewSize, Dpi()); }

void TfrmKonfig::SetBrowseGlyphs()
{
    auto* pictures = glyphPicture_.get();
    if (!pictures) return;
    if (pictures->Count() == 0) {
        std::array<wchar_t, MAX_PATH> system{};
        GetSystemDirectoryW(system.data(), MAX_PATH);
        TOneItem folder;
        folder.IconPfad = Utf8(system.data()) + "\\shell32.dll";
        folder.IconNum = ShellFolderIconIndex;
        pictures->AddEntryImage(folder);
    }
    const int size = MenuPictureSize();
    pictures->RequestPictures(size, PictureUrgency::Shown);
    pictures->MarkShownPending(0, size, Handle(), nullptr);
    glyphPending_ = true;
    TakeFinishedPictures();
}

void TfrmKonfig::TakeFinishedPictures()
{
    auto* glyph = glyphPicture_.get();
    if (glyphPending_ && glyph && glyph->IsFinal(0, MenuPictureSize())) {
        glyphPending_ = false;
        const int size = MenuPictureSize();
        UniqueIcon icon(ImageList_GetIcon(glyph->Handle(size), glyph->PictureIndex(0, size), ILD_NORMAL));
        if (icon) {
            // The browse buttons show the folder, or "..." without it.
            for (const char* button : {"BtnBrowsePfad", "BtnBrowseIconPath", "BtnBrowseWorkingDir"}) {
                HWND control = Control(button);
                SetWindowLongPtrW(control, GWL_STYLE, GetWindowLongPtrW(control, GWL_STYLE) | BS_ICON);
                SendMessageW(control, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon.get()));
            }
            browseGlyph_ = std::move(icon);
        }
    }
    auto* preview = previewPicture_.get();
    if (previewPending_ && preview && preview->IsFinal(0, PreviewPictureSize())) {
        previewPending_ = false;
        const int size = PreviewPictureSize();
        SetPreview(UniqueIcon(ImageList_GetIcon(preview->Handle(size), preview->PictureIndex(0, size), ILD_NORMAL)));
    }
}

void TfrmKonfig::LaidOut()
{
    FitLists();
    SetGlyphs();
    SetBrowseGlyphs();
    if (IsShown()) {
        // The pictures of the lists and the preview, at the new DPI's sizes.
        HWND menus = Control("LvMenus");
        if (auto* pictures = menuPictures_.get()) {
            pictures->RequestPictures(MenuPictureSize(), PictureUrgency::Shown);
            ListViewSetImageList(menus, LVSIL_SMALL, pictures->Handle(MenuPictureSize()));
        }
        ListViewFitListColumns(menus);
        InvalidateRect(menus, nullptr, TRUE);
        RefreshItemList();
        UpdateIconPreview();
    }
    anchors_.Capture(Handle());
}

TfrmKonfig::~TfrmKonfig()
{
    DestroyDropTarget();
    // The lists show image lists owned elsewhere: detach them before the window goes.
    if (HWND items = FindControl("LvItems")) ListViewSetImageList(items, LVSIL_NORMAL, nullptr);
    if (HWND menus = FindControl("LvMenus")) ListViewSetImageList(menus, LVSIL_SMALL, nullptr);
    DestroyHandle();
}

void TfrmKonfig::ShowTaskbarButton(bool shown)
{
    if (!Handle()) return;
    LONG_PTR ex = GetWindowLongPtrW(Handle(), GWL_EXSTYLE);
    ex = shown ? (ex | WS_EX_APPWINDOW) : (ex & ~static_cast<LONG_PTR>(WS_EX_APPWINDOW));
    SetWindowLongPtrW(Handle(), GWL_EXSTYLE, ex);
}

TOneMenu* TfrmKonfig::Current() const { return MenuAt(CurrentMenu); }

int TfrmKonfig::SelectedIndex(std::string_view list) const { return ListViewSelectedIndex(Control(list)); }

void TfrmKonfig::Select(std::string_view list, int index) { ListViewSelect(Control(list), index); }

void TfrmKonfig::FormShow()
{
    // Refilling leaves nothing selected and runs the selection change: no current menu,
    // the Items group disabled, the item list and the mask empty. Then the menu used last
    // is chosen, with its items.
    FillMenuList();
    Select("LvMenus", MenuToOpenWith());
    TakeFinishedPictures();
}

int TfrmKonfig::MenuToOpenWith() const
{
    // Settings opened from a menu's popup edit that menu; otherwise the window goes on
    // where it was left.
    const int popup = host_.lastUsedMenu ? host_.lastUsedMenu() : -1;
    for (int candidate : {popup, lastSelectedMenu_})
        if (MenuAt(candidate)) return candidate;
    return MenuList.empty() ? -1 : 0;
}

void TfrmKonfig::FormKeyUp(WPARAM key)
{
    if (key == VK_F1) BtnHelpClick();
}

void TfrmKonfig::BtnOKClick()
{
    if (MenuList.empty()) {
        ShowMessageBox(Handle(), "You need to create at least one menu.", ProgramTitle, MB_ICONWARNING);
        return;
    }
    // The deselection runs the selection change, which also deselects the item list.
    Select("LvMenus", -1);
    SetFocus(Handle());
    if (!SaveConfig()) ShowMessageBox(Handle(), "Error saving configuration data.", ProgramTitle, MB_ICONERROR);
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

void TfrmKonfig::DrawBannerCounter(const DRAWITEMSTRUCT& item) const
{
    // As the other banner labels are painted, with room for the glyph's overhang.
    constexpr int Inset = 2;
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_APPWORKSPACE));
    const std::wstring text = Wide(Text("LblItemIndex"));
    RECT place = item.rcItem;
    place.right -= Inset;
    ScopedSelectObject font(item.hDC, reinterpret_cast<HGDIOBJ>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0)));
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, (item.itemState & ODS_DISABLED) ? GetSysColor(COLOR_GRAYTEXT) : RGB(255, 255, 255));
    DrawTextW(item.hDC, text.c_str(), static_cast<int>(text.size()), &place,
              DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void TfrmKonfig::OpenHelp(HWND owner)
{
    if (!ShellOpen || ShellOpen(owner, HelpFile, SW_SHOWDEFAULT) < 32)
        ShowMessageDialog(owner, "Unable to open " + HelpFile, MessageKind::Error, MessageButtons::Ok);
}

LRESULT TfrmKonfig::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_PAINT:
        TakeFinishedPictures();
        break;
    case WM_TIMER:
        if (wParam != PreviewTimer) break;
        PathTyped();
        return 0;
    case WM_SHOWWINDOW:
        // Hidden, the item list holds no menu's pictures: the model may be released meanwhile.
        if (wParam) FormShow();
        else ListViewSetImageList(Control("LvItems"), LVSIL_NORMAL, nullptr);
        break;
    case WM_CTLCOLORSTATIC: {
        HWND control = reinterpret_cast<HWND>(lParam);
        if (control == Control("LblCurrentMenu") || control == Control("Label5")) {
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, RGB(255, 255, 255));
            SetBkColor(dc, GetSysColor(COLOR_APPWORKSPACE));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_APPWORKSPACE));
        }
        break;
    }
    case WM_SETTINGCHANGE:
    case WmDpiChanged: {
        // The form lays itself out again from its table at the new DPI or font and resizes itself
        // while doing so: the anchors of the old layout must neither move the controls nor
        // hold the window at the old minimum until they are captured again (LaidOut).
        relayingOut_ = true;
        LRESULT result = Form::HandleMessage(msg, wParam, lParam);
        relayingOut_ = false;
        return result;
    }
    case WM_SIZE:
        if (!relayingOut_) anchors_.Apply();
        break;
    case WM_GETMINMAXINFO: {
        auto& limits = *reinterpret_cast<MINMAXINFO*>(lParam);
        // The window takes its designed size at its DPI, when made and when laid out
        // again, even where that is larger than the screen: a sizing frame would cut it.
        limits.ptMaxTrackSize = {SHRT_MAX, SHRT_MAX};
        if (!relayingOut_) anchors_.LimitTracking(limits);
        return 0;
    }
    case WM_DRAWITEM: {
        auto& item = *reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (item.hwndItem != Control("LblItemIndex")) break;
        DrawBannerCounter(item);
        return TRUE;
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
