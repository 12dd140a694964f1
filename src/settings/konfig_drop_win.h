// Shell items dropped on the settings window's item list.
#pragma once

#include "dragdrop/drop_pidl_target_win.h"

#include <functional>
#include <memory>

struct TOneItem;
struct TOneMenu;

// The entry a dropped item becomes; `list` is its absolute identifier list: a plain
// file by its path, a shortcut by what it points at, anything else by the list.
std::unique_ptr<TOneItem> DroppedItem(ITEMIDLIST* list, IShellFolder* desktop);

class KonfigDrops {
public:
    // Where dropped items go: the current menu (null without one: the drop goes nowhere),
    // the desktop folder that names them, a refusal once the menu is full, and the list
    // that takes each new entry and shows the last.
    struct Receiver {
        std::function<TOneMenu*()> menu;
        std::function<IShellFolder*()> desktop;
        std::function<bool(const TOneMenu&)> refuseFull;
        std::function<void(std::unique_ptr<TOneItem>)> add;
        std::function<void()> added;
    };
    // Registers the drop target on the list; says so in a message box when it cannot.
    KonfigDrops(HWND owner, HWND list, Receiver receiver);
    ~KonfigDrops();
    KonfigDrops(const KonfigDrops&) = delete;
    KonfigDrops& operator=(const KonfigDrops&) = delete;

    TDropPIDLTarget* Target() const { return MyDropTarget.get(); }

    void MyDropTargetGetDropEffect(TDropTarget& sender, TShiftState shift, POINT point, DWORD& effect);
    void MyDropTargetDrop(TDropTarget& sender, TShiftState shift, POINT point, DWORD& effect);

private:
    HWND owner_;
    Receiver receiver_;
    ComponentPtr<TDropPIDLTarget> MyDropTarget;
};
