// The Win32 picture list of a menu: 32x32 images on an image list.
//
// Extracting an icon costs a millisecond or two, so entries do not wait for theirs:
// adding an entry stores the placeholder picture at once (its ImageIndex is final) and
// marks the picture pending. Pending pictures are replaced in place later, a few at a
// time while the user-interface thread is idle (LoadPendingEntryIcons), or at once when
// an entry is about to be drawn (EnsureEntryIcon).
#pragma once

#include "config/model.h"
#include "menus/entry_icon_rules.h"
#include "win/handles.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

// The main window's two pictures: the placeholder of entries without an icon and the
// separator picture.
struct EntryPictures {
    UniqueIcon ImgIconLeer;
    UniqueIcon ImgIconSeparator;
};

// The two pictures as bitmaps, written once into each list and copied from there:
// under Wine ImageList_AddIcon costs over a millisecond a call, a copy inside the
// list a few microseconds.
struct PictureBitmaps {
    UniqueGdiObject LeerColour, LeerMask;
    UniqueGdiObject SeparatorColour, SeparatorMask;
};
[[nodiscard]] std::shared_ptr<const PictureBitmaps> MakePictureBitmaps(const EntryPictures& pictures);

class ImageListMenuImages final : public MenuImages {
public:
    explicit ImageListMenuImages(std::shared_ptr<const EntryPictures> pictures,
                                 std::shared_ptr<const PictureBitmaps> bitmaps = nullptr);
    int Count() const override;
    // The separator picture, or the placeholder with the entry's icon pending. The
    // pictures reach the image list itself in bulk, when it is first needed.
    int AddEntryImage(const TOneItem& item) override;
    // The image list with a picture for every entry (placeholders where still pending).
    HIMAGELIST Handle();

    // An edited entry: its icon is taken at once and replaces picture `index`.
    [[nodiscard]] bool ReplaceEntryImage(int index, const TOneItem& item);
    // Removes picture `index`; later pictures move down by one, as ImageList_Remove does.
    [[nodiscard]] bool RemoveEntryImage(int index) override;
    void RemoveAllImages();

    bool IsPending(int index) const;
    int PendingCount() const { return pendingCount_; }
    // Loads picture `index` now if it is still pending; true when it is loaded.
    bool EnsureEntryIcon(int index);
    // Loads up to `maxIcons` pending pictures, lowest index first; returns how many.
    int LoadPendingIcons(int maxIcons);

    // Picture `index` was shown as the placeholder in `rect` of `window`: it is loaded
    // before all other pending pictures, and that area is repainted once it is.
    void MarkShownPending(int index, HWND window, const RECT& rect);
    int UrgentCount() const { return static_cast<int>(urgent_.size()); }
    // Loads up to `maxIcons` of the pictures marked so; returns how many.
    int LoadUrgentIcons(int maxIcons);

private:
    struct Shown {
        HWND window;
        RECT rect;
    };
    struct Slot {
        bool separator = false;
        std::optional<EntryIconRequest> pending;
        std::vector<Shown> shownPending;
    };
    // Gives the image list a picture for every slot; false when it could not.
    bool Materialize();
    void LoadNow(int index);

    std::shared_ptr<const EntryPictures> pictures_;
    std::shared_ptr<const PictureBitmaps> bitmaps_;
    UniqueImageList list_;
    std::vector<Slot> slots_;  // one per picture, in image list order
    int pendingCount_ = 0;
    size_t nextPending_ = 0;  // no pending slot below this
    std::vector<int> urgent_;  // slots shown as the placeholder, first shown first
};

// For NewMenuImages: every new menu gets its own image list sharing the pictures.
MenuImagesFactory MakeMenuImagesFactory(std::shared_ptr<const EntryPictures> pictures);

// The image list of a menu built by that factory, or null.
ImageListMenuImages* ImageListOf(const TOneMenu& menu);

// One idle turn: loads pending pictures of the menus, those already shown as the
// placeholder first, then first menu first, until
// `maxIcons` are done or `maxMillis` have passed (0: no time limit); at least one is
// done when any is pending. True while pictures remain pending.
bool LoadPendingEntryIcons(const TMenuList& menus, int maxIcons, unsigned maxMillis = 0);
bool EntryIconsPending(const TMenuList& menus);

// The idle loading on a window's timer. A 0 ms timer fires only when the window's queue
// holds nothing else (also inside popup menus and modal loops), so input always wins.
inline constexpr UINT_PTR EntryIconTimerId = 0x4D47;
inline constexpr int EntryIconsPerTurn = 64;
inline constexpr unsigned EntryIconMillisPerTurn = 15;
// Starts the timer on `owner` when any picture is pending.
void ScheduleEntryIconLoading(HWND owner, const TMenuList& menus);
// For WM_TIMER: one turn when `timerId` is the icon timer, which stops once nothing is
// pending. False for any other timer.
bool EntryIconTimerTick(HWND owner, WPARAM timerId, const TMenuList& menus);
// Whether that timer is running: only then may drawing leave a picture to it.
bool EntryIconTimerRunning();
// Every pending picture of one menu (before something draws straight from its list).
void LoadAllEntryIcons(const TOneMenu& menu);
