// The settings window's Menus group: the list of menus, its buttons and the menu
// properties dialog they open. The window learns of the chosen menu through a listener.
#pragma once

#include "settings/konfig_shared_win.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class TfrmEditMenu;
class ImageListMenuImages;
struct TOneMenu;

class KonfigMenus {
public:
    struct Listener {
        // Menu `index` became the selected one, or none (-1).
        std::function<void(int index)> chosen;
        // The current menu is about to be freed: what shows its items lets go of them.
        std::function<void()> releasing;
        // The items of the current menu were removed.
        std::function<void()> cleared;
    };
    KonfigMenus(KonfigForm& form, TfrmEditMenu& dialog, Listener listener);
    ~KonfigMenus();
    KonfigMenus(const KonfigMenus&) = delete;
    KonfigMenus& operator=(const KonfigMenus&) = delete;

    void FillMenuList();
    // Selects menu `index` alone (none for -1) and scrolls it into view.
    void Select(int index);
    // The menu selected last since the window was made, or -1.
    int LastSelected() const { return lastSelected_; }
    void AddMenu(const std::string& name, uint8_t lcb, uint16_t hotkey, int iconNum, const std::string& iconPfad,
                 const std::string& folder = {});
    void RemoveMenu(int index);
    void ClearMenuItems(int index);
    // The list's columns, and its pictures when the window is shown, at the window's DPI.
    void LaidOut(bool shown);

    LRESULT LvMenusItemChanged(NMHDR& header);
    LRESULT LvMenusData(NMHDR& header);
    void LvMenusChange();
    void BtnAddMenuClick();
    void BtnModifyMenuClick();
    void BtnRemoveMenuClick();
    void BtnClearMenuClick();
    void BtnMoveUpMenuClick();
    void BtnMoveDnMenuClick();

private:
    int SelectedIndex() const;
    int PictureSize() const;
    // The one selected menu and its index; otherwise says "No menu selected." and gives null.
    TOneMenu* SelectedMenuOrNotice(int& index);
    void SwapMenus(int from, int to);

    KonfigForm& form_;
    TfrmEditMenu& dialog_;
    Listener listener_;
    // Slot i of the entries' picture store shows menu i's icon.
    std::unique_ptr<ImageListMenuImages> pictures_;
    bool filling_ = false;
    int lastSelected_ = -1;
};
