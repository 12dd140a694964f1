// The settings window's Items group: the item list of the current menu, its buttons, the
// mask that edits one item and the drops of shell items onto the list. The window owns the
// current menu; the group asks for it.
#pragma once

#include "menus/type_ahead.h"
#include "settings/konfig_drop_win.h"
#include "settings/konfig_mask_win.h"
#include "settings/konfig_shared_win.h"

#include <functional>
#include <memory>
#include <optional>

struct TOneMenu;
struct TOneItem;

class KonfigItems {
public:
    KonfigItems(KonfigForm& form, const KonfigHost& host, const KonfigSystem& system,
                std::function<TOneMenu*()> currentMenu);
    ~KonfigItems();
    KonfigItems(const KonfigItems&) = delete;
    KonfigItems& operator=(const KonfigItems&) = delete;

    // The current menu's items, or none: the group is usable with a menu, its banner names it.
    void ShowMenu();
    void RefreshItemList();
    // Loads item `index` into the mask, or empties it for a new item (-1).
    void LoadItemMask(int index);
    // Adds the item with its picture at `position`, or at the end when negative.
    void InsertItem(std::unique_ptr<TOneItem> item, int position);
    void RemoveItem(int index);
    KonfigMask& Mask() { return mask_; }
    KonfigDrops& Drops() { return drops_; }
    // The list's columns at the window's DPI, and the pictures when the window is shown.
    void LaidOut(bool shown);
    // The window's messages for the group: its banners, the mask's timer and scroll bar,
    // the pictures that arrived, and a hidden window letting go of the menu's pictures.
    std::optional<LRESULT> HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

    LRESULT LvItemsItemChanged(NMHDR& header);
    LRESULT LvItemsData(NMHDR& header);
    LRESULT LvItemsDataFind(NMHDR& header);
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

private:
    int SelectedIndex() const;
    void Select(int index);
    // The current menu when its entries may be changed: not while it follows a folder.
    TOneMenu* EditableMenu() const;
    // A menu that follows a folder shows its entries read-only, the note in the mask's place.
    void ShowFolderNote(const TOneMenu* menu);
    int PictureSize() const;
    void SwapItems(int from, int to);
    // Says so when the menu takes no more items.
    bool RefuseFullMenu(const TOneMenu& menu);
    void DrawBannerCounter(const DRAWITEMSTRUCT& item) const;

    KonfigForm& form_;
    std::function<TOneMenu*()> current_;
    KonfigMask mask_;
    KonfigDrops drops_;
    TypeAheadBuffer typeAhead_;  // the item list's typed text
};
