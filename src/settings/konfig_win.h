// The settings window: lists the menus, edits the items of the selected one and opens
// the menu properties, options and About dialogs. Every button changes the live model at
// once; OK saves it, the close box keeps it in memory, Quit ends the program.
#pragma once

#include "menus/type_ahead.h"
#include "dragdrop/drop_pidl_target_win.h"
#include "shell/idlist_win.h"
#include "win/anchor_layout.h"
#include "win/form.h"

#include <functional>
#include <memory>
#include <string>

class TfrmEditMenu;
class TfrmOptions;
class TfrmAbout;
class ImageListMenuImages;
struct TOneMenu;
struct TOneItem;
struct ItemMask;

// What the window takes from the main window.
struct KonfigHost {
    // Windows is ending the logon: quitting asks nothing.
    std::function<bool()> shutdownPending;
    // The placeholder picture of menus and entries without an icon.
    std::function<HICON()> placeholder;
    // The desktop folder shell items are named from.
    std::function<IShellFolder*()> desktopFolder;
    // The menu whose popup was shown last since the window last closed, or -1.
    std::function<int()> lastUsedMenu;
};

class TfrmKonfig final : public Form {
public:
    // Created hidden, owned by the main window, with its dialogs.
    [[nodiscard]] static std::unique_ptr<TfrmKonfig> Create(HWND owner, KonfigHost host);
    ~TfrmKonfig() override;

    // While the settings are open the window carries the application's taskbar button.
    void ShowTaskbarButton(bool shown);

    // The dialogs it runs, for presetting and answering them.
    TfrmEditMenu& EditMenuDialog() { return *frmEditMenu_; }
    TfrmOptions& OptionsDialog() { return *frmOptions_; }
    TfrmAbout* AboutDialog() { return frmAbout_.get(); }

    // Replaceable system calls: the shell's "open" (the result of ShellExecuteW), the
    // file dialog (true with the chosen file) and the icon picker.
    std::function<INT_PTR(HWND owner, const std::string& file, int show)> ShellOpen;
    std::function<bool(HWND owner, std::string& file)> ChooseFile;
    // The folder dialog: starts at `folder` (when it names one), true with the chosen folder.
    std::function<bool(HWND owner, std::string& folder)> ChooseFolder;
    std::function<bool(HWND owner, std::string& path, int& index)> PickIcon;
    // Holds the button pictures: the program itself unless a test names another module.
    HMODULE PictureModule = nullptr;

    int CurrentMenu = -1;
    bool CurrentIsPIDL = false;
    ShellIdList CurrentPIDL;

    // The window (konfig_win.cpp).
    void FormShow();
    void FormKeyUp(WPARAM key);
    void BtnOKClick();
    void BtnQuitClick();
    void BtnOptionsClick();
    void BtnAboutClick();
    void BtnHelpClick();

    // Menus (konfig_menus_win.cpp).
    void FillMenuList();
    void AddMenu(const std::string& name, uint8_t lcb, uint16_t hotkey, int iconNum, const std::string& iconPfad);
    void RemoveMenu(int index);
    void ClearMenuItems(int index);
    void LvMenusChange();
    void BtnAddMenuClick();
    void BtnModifyMenuClick();
    void BtnRemoveMenuClick();
    void BtnClearMenuClick();
    void BtnMoveUpMenuClick();
    void BtnMoveDnMenuClick();

    // Items (konfig_items_win.cpp).
    void RefreshItemList();
    void LoadItemMask(int index);
    void UpdateIconRange();
    void UpdateIconPreview();
    // Adds the item with its picture at `position`, or at the end when negative.
    void InsertItem(std::unique_ptr<TOneItem> item, int position);
    void RemoveItem(int index);
    void LvItemsChange();
    // A character typed in the item list; false when no item begins with the text so far.
    bool LvItemsTypeAhead(char32_t typed);
    void BtnAddItemClick();
    void BtnModifyItemClick();
    void BtnRemoveItemClick();
    void BtnClearItemMaskClick();
    void BtnMoveUpItemClick();
    void BtnMoveDnItemClick();
    void BtnAddSepClick();
    void BtnBrowsePfadClick();
    void BtnBrowseIconPathClick();
    void BtnBrowseWorkingDirClick();
    void ImgIconClick();
    void EdIconPfadChange();
    void EdPfadChange();
    void CheckDefaultIconClick();
    void ScrollBarIconNumChange();

    // The selected entry of a list view control, -1 unless exactly one is selected.
    int SelectedIndex(std::string_view list) const;
    // Selects entry `index` alone (none for -1) and scrolls it into view.
    void Select(std::string_view list, int index);
    int IconNumPosition() const;
    void SetIconNumPosition(int position);
    HICON PreviewIcon() const;
    // Picture sizes at the window's DPI: the item list's, the menu list's and the preview's.
    int ItemPictureSize() const;
    int MenuPictureSize() const;
    int PreviewPictureSize() const;

    // Drops from the shell onto the item list (konfig_drop_win.cpp).
    ComponentPtr<TDropPIDLTarget> MyDropTarget;
    void MyDropTargetGetDropEffect(TDropTarget& sender, TShiftState shift, POINT point, DWORD& effect);
    void MyDropTargetDrop(TDropTarget& sender, TShiftState shift, POINT point, DWORD& effect);

    struct Key {
        explicit Key() = default;
    };
    explicit TfrmKonfig(Key);

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // Laid out again for another DPI at the designed size: the anchors start from there.
    void LaidOut() override;

private:
    LRESULT LvMenusItemChanged(NMHDR& header);
    LRESULT LvMenusData(NMHDR& header);
    LRESULT LvItemsItemChanged(NMHDR& header);
    LRESULT LvItemsData(NMHDR& header);
    LRESULT LvItemsDataFind(NMHDR& header);
    TOneMenu* Current() const;
    // The one selected menu and its index; otherwise says "No menu selected." and gives null.
    TOneMenu* SelectedMenuOrNotice(int& index);
    void OpenHelp(HWND owner);
    void DrawBannerCounter(const DRAWITEMSTRUCT& item) const;
    // The button pictures drawn for the form's DPI.
    void SetGlyphs();
    // The browse buttons' folder picture at the window's DPI, once the store has it.
    void SetBrowseGlyphs();
    // Pictures the store finished since they were asked for: the preview and the glyphs.
    void TakeFinishedPictures();
    // The menu the window opens with: the one used last, else the first.
    int MenuToOpenWith() const;
    // A pause after typing in the paths: the range and preview follow.
    void PathTyped();
    void SetPreview(UniqueIcon icon);
    static constexpr UINT_PTR PreviewTimer = 1;
    static constexpr UINT PreviewPause = 300;  // ms after the last key
    void FitLists();
    void SwapMenus(int from, int to);
    void SwapItems(int from, int to);
    void SetPfadEditable(bool editable);
    void SetComboStartMode(const char* combo, uint16_t value);
    int ComboChoice(const char* combo) const;
    ItemMask ReadItemMask() const;
    // Says so when the menu takes no more items.
    bool RefuseFullMenu(const TOneMenu& menu);
    void CreateDropTarget();
    void DestroyDropTarget();

    KonfigHost host_;
    std::unique_ptr<TfrmEditMenu> frmEditMenu_;
    std::unique_ptr<TfrmOptions> frmOptions_;
    std::unique_ptr<TfrmAbout> frmAbout_;
    // Slots in the entries' picture store: one per menu, the preview's, the browse glyph's.
    std::unique_ptr<ImageListMenuImages> menuPictures_;
    std::unique_ptr<ImageListMenuImages> previewPicture_;
    std::unique_ptr<ImageListMenuImages> glyphPicture_;
    bool previewPending_ = false;
    bool pfadTyped_ = false;
    bool glyphPending_ = false;
    int lastSelectedMenu_ = -1;
    UniqueIcon preview_;
    UniqueIcon browseGlyph_;
    bool fillingMenus_ = false;
    bool loadingMask_ = false;
    TypeAheadBuffer itemTypeAhead_;  // the item list's typed text
    AnchorLayout anchors_;
    bool relayingOut_ = false;  // inside a DPI change
};

// The shell's folder dialog, starting at `folder`; true with the chosen folder in it.
bool ShellBrowseForFolder(HWND owner, std::string& folder);
