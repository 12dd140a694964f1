// Folder menus in the popups: a folder entry's submenu, a menu that follows a folder and
// every subfolder's submenu are filled with the folder's contents when they open, from
// listings made on a worker, so a popup never waits for a disk or a share.
#pragma once

#include "menus/file_pictures_win.h"
#include "menus/folder_lister_win.h"
#include "menus/menu_items_win.h"

#include <windows.h>

#include <deque>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class EntryPictureService;

class FolderPopups {
public:
    struct Host {
        HWND owner = nullptr;  // gets WmFolderListed and the popups' messages
        std::shared_ptr<EntryPictureService> pictures;
        // A menu's own popup that follows a folder changed while it shows: it is shown again.
        std::function<void(int menuIndex)> showAgain;
        FolderReader read;  // the file system's when empty
    };
    explicit FolderPopups(Host host);
    ~FolderPopups();
    FolderPopups(const FolderPopups&) = delete;
    FolderPopups& operator=(const FolderPopups&) = delete;

    // Starts reading the folders of every folder menu (of popup `menu`'s entries only), so
    // that they open at once.
    void ReadAhead(HMENU menu = nullptr);
    // A popup is about to be tracked.
    void BeginTracking();
    // WM_INITMENUPOPUP: a folder menu is filled with what is known (waiting a moment for
    // a folder being read). False when `popup` is no folder menu.
    bool Opened(HMENU popup);
    // WM_UNINITMENUPOPUP.
    void Closed(HMENU popup);
    // WmFolderListed: open folder menus still waiting for their listing are filled with it.
    void Listed();

    bool Measure(MEASUREITEMSTRUCT& measure) const;
    bool Draw(const DRAWITEMSTRUCT& draw);
    // A chosen folder menu item: a file starts in its folder, "Open folder" opens the
    // folder. False when `id` is no folder menu item.
    bool Command(UINT id);
    // A character typed in a folder menu: the only item whose name starts with it is
    // chosen (a subfolder opens); several are selected in turn by typing on. Nothing when
    // `popup` is no folder menu.
    std::optional<LRESULT> MenuChar(WORD typed, HMENU popup);

    // The listing waited for when a folder menu opens before "Loading…" shows instead:
    // less than the eye notices, more than a local folder of a few thousand files takes.
    static constexpr unsigned WaitMillis = 80;
    // Items of a large folder shown in one menu, the rest on further pages.
    static constexpr size_t PageSize = 500;

private:
    // More: the submenu of the next page of a large folder.
    enum class Kind : uint8_t { OpenFolder, File, Subfolder, Note, More };
    struct Popup;
    struct Item {
        EntryData entry;  // first: screen readers read the MSAAMENUINFO the item data points at
        Kind kind;
        int index;              // in the listing, for a file or folder; the next page's first
        const Popup* owner = nullptr;
        Item(std::wstring accessible, Kind k, int i) : entry(-1, std::move(accessible)), kind(k), index(i) {}
    };
    struct Popup {
        HMENU parent = nullptr;
        int menuIndex = -1;
        std::string folder;  // expanded, UTF-8
        int tail = 0;        // items at the end that stay (the fixed commands)
        size_t from = 0;     // the listing's first item shown: a later page of a large folder
        int itemWidth = 0;   // pixels: every item is as wide as the widest
        bool open = false;
        unsigned session = 0;  // the numbering it was filled in
        size_t firstCommand = 0;  // its items' numbers follow one another from here
        FolderState state = FolderState::Loading;
        std::shared_ptr<const FolderListing> listing;
        std::deque<Item> items;
        std::vector<HMENU> children;
    };

    // The popup menus were made again: those known are gone.
    void ForgetEarlierBuild();
    Popup* Find(HMENU popup);
    void Fill(HMENU menu, Popup& popup, const FolderAnswer& answer);
    void Forget(HMENU menu);
    void Number(HMENU menu, Popup& popup);
    // Its items' numbers are given to nothing any more.
    void Unnumber(const Popup& popup);
    // Closes and opens the open submenu again so that it takes its new size.
    void ShowAgain(HMENU menu, const Popup& popup);
    std::string PathOf(const Popup& popup, const Item& item) const;
    std::wstring ShownText(const Popup& popup, const Item& item) const;
    const Item* ItemOf(ULONG_PTR data, UINT id) const;

    Host host_;
    FolderLister lister_;
    FilePictures pictures_;
    std::map<HMENU, Popup> popups_;
    // Command FirstFolderCommand + k is item commands_[k].second of menu commands_[k].first
    // (none once that menu was filled again or forgotten).
    std::vector<std::pair<HMENU, int>> commands_;
    unsigned session_ = 1;
    unsigned build_ = 0;
};
