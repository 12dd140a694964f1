#include "settings/konfig_win.h"

#include "about/about_win.h"
#include "config/config_win.h"
#include "config/model.h"
#include "config/theme_win.h"
#include "settings/editmenu_win.h"
#include "settings/konfig_system_win.h"
#include "settings/konfig_table_win.h"
#include "settings/options_win.h"
#include "settings/quit_question_win.h"
#include "win/application.h"
#include "win/dpi.h"
#include "win/listview.h"
#include "win/message_seam.h"
#include "win/resource_ids.h"

#include <utility>

namespace {

using C = KonfigControl;

constexpr EventRow<TfrmKonfig, C> Events[] = {
    {C::BtnOK, BN_CLICKED, &TfrmKonfig::BtnOKClick},
    {C::BtnOptions, BN_CLICKED, &TfrmKonfig::BtnOptionsClick},
    {C::BtnAbout, BN_CLICKED, &TfrmKonfig::BtnAboutClick},
    {C::BtnHelp, BN_CLICKED, &TfrmKonfig::BtnHelpClick},
    {C::BtnQuit, BN_CLICKED, &TfrmKonfig::BtnQuitClick},
};

constexpr EventRow<KonfigMenus, C> MenuEvents[] = {
    {C::BtnAddMenu, BN_CLICKED, &KonfigMenus::BtnAddMenuClick},
    {C::BtnModifyMenu, BN_CLICKED, &KonfigMenus::BtnModifyMenuClick},
    {C::BtnRemoveMenu, BN_CLICKED, &KonfigMenus::BtnRemoveMenuClick},
    {C::BtnClearMenu, BN_CLICKED, &KonfigMenus::BtnClearMenuClick},
    {C::BtnMoveUpMenu, BN_CLICKED, &KonfigMenus::BtnMoveUpMenuClick},
    {C::BtnMoveDnMenu, BN_CLICKED, &KonfigMenus::BtnMoveDnMenuClick},
};

constexpr EventRow<KonfigItems, C> ItemEvents[] = {
    {C::BtnAddItem, BN_CLICKED, &KonfigItems::BtnAddItemClick},
    {C::BtnModifyItem, BN_CLICKED, &KonfigItems::BtnModifyItemClick},
    {C::BtnRemoveItem, BN_CLICKED, &KonfigItems::BtnRemoveItemClick},
    {C::BtnClearItemMask, BN_CLICKED, &KonfigItems::BtnClearItemMaskClick},
    {C::BtnMoveUpItem, BN_CLICKED, &KonfigItems::BtnMoveUpItemClick},
    {C::BtnMoveDnItem, BN_CLICKED, &KonfigItems::BtnMoveDnItemClick},
    {C::BtnAddSep, BN_CLICKED, &KonfigItems::BtnAddSepClick},
};

constexpr EventRow<KonfigMask, C> MaskEvents[] = {
    {C::BtnBrowsePfad, BN_CLICKED, &KonfigMask::BtnBrowsePfadClick},
    {C::BtnBrowseIconPath, BN_CLICKED, &KonfigMask::BtnBrowseIconPathClick},
    {C::BtnBrowseWorkingDir, BN_CLICKED, &KonfigMask::BtnBrowseWorkingDirClick},
    {C::ImgIcon, STN_CLICKED, &KonfigMask::ImgIconClick},
    {C::ImgIcon, STN_DBLCLK, &KonfigMask::ImgIconClick},
    {C::EdIconPfad, EN_CHANGE, &KonfigMask::EdIconPfadChange},
    {C::EdPfad, EN_CHANGE, &KonfigMask::EdPfadChange},
    {C::CheckDefaultIcon, BN_CLICKED, &KonfigMask::CheckDefaultIconClick},
};

}  // namespace

std::unique_ptr<TfrmKonfig> TfrmKonfig::Create(HWND owner, KonfigHost host)
{
    FormShape window{"TfrmKonfig", "Marigoldwick - Settings", 518, 487, ICC_LISTVIEW_CLASSES};
    window.style |= WS_THICKFRAME | WS_MAXIMIZEBOX;
    window.fontPixels = 13;
    // Enter saves as OK does; Esc is the close box, which keeps the edits unsaved.
    auto form = Build(owner, FormDesign<TfrmKonfig, C>{.window = window, .controls = KonfigControls(), .events = Events,
                                                     .defaultButton = C::BtnOK, .names = KonfigNames()});
    if (!form) return nullptr;
    form->host_ = std::move(host);
    form->system_ = SystemCalls();
    if (!form->MakeParts()) return nullptr;
    form->BindParts();
    form->SetGlyphs();
    for (size_t i = 0; i < KonfigControls().size(); ++i) {
        const auto control = static_cast<C>(i);
        if (std::optional<Anchor> anchor = KonfigAnchor(control)) form->anchors_.Add(form->Control(control), *anchor);
    }
    form->anchors_.Capture(form->Handle());
    return form;
}

TfrmKonfig::TfrmKonfig(Key) {}

bool TfrmKonfig::MakeParts()
{
    frmEditMenu_ = TfrmEditMenu::Create(Handle());
    frmOptions_ = TfrmOptions::Create(Handle());
    frmAbout_ = TfrmAbout::Create(Handle());
    if (!frmEditMenu_ || !frmOptions_ || !frmAbout_) return false;
    frmEditMenu_->OnHelp = [this] { OpenHelp(frmEditMenu_->Handle()); };
    frmOptions_->OnHelp = [this] { OpenHelp(frmOptions_->Handle()); };
    menus_ = std::make_unique<KonfigMenus>(*this, *frmEditMenu_,
                                           KonfigMenus::Listener{[this](int index) { MenuChosen(index); },
                                                                 [this] {
                                                                     currentMenu_ = -1;
                                                                     items_->RefreshItemList();
                                                                 },
                                                                 [this] {
                                                                     items_->RefreshItemList();
                                                                     items_->LoadItemMask(-1);
                                                                 }});
    items_ = std::make_unique<KonfigItems>(*this, host_, system_, [this] { return MenuAt(currentMenu_); });
    return true;
}

void TfrmKonfig::BindParts()
{
    KonfigMenus* menus = menus_.get();
    KonfigItems* items = items_.get();
    BindEvents<KonfigMenus>(menus, MenuEvents);
    BindEvents<KonfigItems>(items, ItemEvents);
    BindEvents<KonfigMask>(&items->Mask(), MaskEvents);
    OnNotify(C::LvMenus, LVN_ITEMCHANGED, [menus](NMHDR& h) { return menus->LvMenusItemChanged(h); });
    OnNotify(C::LvMenus, LVN_GETDISPINFOW, [menus](NMHDR& h) { return menus->LvMenusData(h); });
    OnNotify(C::LvItems, LVN_ITEMCHANGED, [items](NMHDR& h) { return items->LvItemsItemChanged(h); });
    OnNotify(C::LvItems, LVN_KEYDOWN, [](NMHDR& h) {
        ListViewShowFocusedOnKey(h);
        return LRESULT{0};
    });
    // The form is a wide window: its list views ask in UTF-16.
    OnNotify(C::LvItems, LVN_GETDISPINFOW, [items](NMHDR& h) { return items->LvItemsData(h); });
    OnNotify(C::LvItems, LVN_ODFINDITEMW, [items](NMHDR& h) { return items->LvItemsDataFind(h); });
}

void TfrmKonfig::MenuChosen(int index)
{
    // The mask empties for the menu it showed; then the Items group shows the new one.
    items_->LoadItemMask(-1);
    currentMenu_ = index;
    items_->ShowMenu();
}

void TfrmKonfig::SetGlyphs()
{
    struct Strip {
        int id, size;
    };
    constexpr Strip Strips[] = {{IDB_GLYPHS, 16}, {IDB_GLYPHS_24, 24}, {IDB_GLYPHS_32, 32}};
    const Strip& pick = Strips[PictureScaleStep(Dpi())];
    HMODULE module = system_.PictureModule ? system_.PictureModule : GetModuleHandleW(nullptr);
    UniqueImageList strip(ImageList_LoadImageW(module, MAKEINTRESOURCEW(pick.id), pick.size, 0,
                                               RGB(255, 0, 255), IMAGE_BITMAP, LR_CREATEDIBSECTION));
    for (const GlyphRow& row : KonfigGlyphs()) SetButtonGlyph(row.button, strip.get(), row.cell, row.right);
}

void TfrmKonfig::LaidOut()
{
    const bool shown = IsShown();
    SetGlyphs();
    if (menus_) menus_->LaidOut(shown);
    if (items_) items_->LaidOut(shown);
    anchors_.Capture(Handle());
}

TfrmKonfig::~TfrmKonfig()
{
    // The parts let go of the lists' pictures and the drop target while the lists exist.
    items_.reset();
    menus_.reset();
    DestroyHandle();
}

void TfrmKonfig::ShowTaskbarButton(bool shown)
{
    if (!Handle()) return;
    LONG_PTR ex = GetWindowLongPtrW(Handle(), GWL_EXSTYLE);
    ex = shown ? (ex | WS_EX_APPWINDOW) : (ex & ~static_cast<LONG_PTR>(WS_EX_APPWINDOW));
    SetWindowLongPtrW(Handle(), GWL_EXSTYLE, ex);
}

void TfrmKonfig::FormShow()
{
    // Refilling leaves nothing selected and runs the selection change: no current menu,
    // the Items group disabled, the item list and the mask empty. Then the menu used last
    // is chosen, with its items.
    menus_->FillMenuList();
    menus_->Select(MenuToOpenWith());
    items_->Mask().TakeFinishedPictures();
}

int TfrmKonfig::MenuToOpenWith() const
{
    // Settings opened from a menu's popup edit that menu; otherwise the window goes on
    // where it was left.
    const int popup = host_.lastUsedMenu ? host_.lastUsedMenu() : -1;
    for (int candidate : {popup, menus_->LastSelected()})
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
    menus_->Select(-1);
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

void TfrmKonfig::OpenHelp(HWND owner)
{
    if (!system_.ShellOpen || system_.ShellOpen(owner, HelpFile, SW_SHOWDEFAULT) < 32)
        ShowMessageDialog(owner, "Unable to open " + HelpFile, MessageKind::Error, MessageButtons::Ok);
}

LRESULT TfrmKonfig::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (items_)
        if (std::optional<LRESULT> handled = items_->HandleMessage(msg, wParam, lParam)) return *handled;
    if (std::optional<LRESULT> themed = WindowThemeMessage(Handle(), msg, wParam, lParam)) return *themed;
    switch (msg) {
    case WM_SHOWWINDOW:
        if (wParam && menus_) FormShow();
        break;
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
        // The window takes its table's size at its DPI, when made and when laid out
        // again, even where that is larger than the screen: a sizing frame would cut it.
        limits.ptMaxTrackSize = {SHRT_MAX, SHRT_MAX};
        if (!relayingOut_) anchors_.LimitTracking(limits);
        return 0;
    }
    default:
        break;
    }
    return Form::HandleMessage(msg, wParam, lParam);
}
