// The entries' pictures, shared by the whole process: one picture per source and size.
//
// A PictureStore per pixel size holds one image list with one picture per key (the
// key names the source: the same file and icon, the same document type, ...). Each
// menu's ImageListMenuImages has one slot per entry (TOneItem::ImageIndex, as the model
// keeps it) that maps to a store picture once the worker thread has named the entry's
// key. Until then the slot shows the placeholder; the worker makes missing pictures,
// nearest-needed first, and the user-interface thread only places what it finished
// (EntryPictureService::PlaceFinished, on the main window's message).
#pragma once

#include "config/model.h"
#include "menus/entry_icon_rules.h"
#include "menus/entry_picture_service_win.h"
#include "win/handles.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

class ImageListMenuImages final : public MenuImages, public PictureWaiter {
public:
    explicit ImageListMenuImages(std::shared_ptr<EntryPictureService> service);
    ~ImageListMenuImages() override;
    ImageListMenuImages(const ImageListMenuImages&) = delete;
    ImageListMenuImages& operator=(const ImageListMenuImages&) = delete;

    int Count() const override { return static_cast<int>(slots_.size()); }
    // A new slot showing the placeholder (a separator its own picture); its picture is
    // asked for by RequestPictures or when it is drawn.
    int AddEntryImage(const TOneItem& item) override;
    // Removes slot `index`; later slots move down by one.
    [[nodiscard]] bool RemoveEntryImage(int index) override;
    // An edited entry: a changed icon source asks for its picture again.
    [[nodiscard]] bool ReplaceEntryImage(int index, const TOneItem& item);
    void RemoveAllImages();

    // The list slot `index` shows pictures of at `size`, and its picture there (the
    // placeholder until final).
    HIMAGELIST Handle(int size);
    int PictureIndex(int index, int size);
    bool IsFinal(int index, int size);
    // Entries with a picture still asked for.
    int PendingCount() const;
    // Asks for every slot's picture at `size` not final yet; raises those already asked.
    void RequestPictures(int size, PictureUrgency urgency);
    // Slot `index` showed its placeholder in `rect` of `window` (the whole window when
    // null): it goes first, and that area is repainted once its picture is placed.
    void MarkShownPending(int index, int size, HWND window, const RECT* rect);

    // From the service: request `ticket` found the key (its picture is placed), for every
    // entry that waited for it.
    void Finished(uint64_t ticket, PictureKeyId key) override;

private:
    struct Shown {
        HWND window;
        RECT rect;
        bool whole;
        int size;  // repainted when the picture of this size is placed, not another's
    };
    struct Asked {
        int size;
        uint64_t ticket;
    };
    struct Slot {
        bool separator = false;
        // Shared with the worker's queue rather than copied into it.
        std::shared_ptr<const EntryIconRequest> request;
        std::optional<PictureKeyId> key;
        std::vector<Asked> asked;
        std::vector<Shown> shown;
    };
    void Forget(Slot& slot);
    std::shared_ptr<const EntryIconRequest> Shared(EntryIconRequest request);
    const Asked* AskedAt(const Slot& slot, int size) const;

    std::shared_ptr<EntryPictureService> service_;
    // Grown a block at a time: a vector's doublings would leave freed copies behind.
    std::deque<Slot> slots_;
};

// For NewMenuImages: every new menu maps its entries to the service's pictures.
MenuImagesFactory MakeMenuImagesFactory(std::shared_ptr<EntryPictureService> service);

// The picture slots of a menu built by that factory, or null.
ImageListMenuImages* ImageListOf(const TOneMenu& menu);

// Asks for every entry's picture at `size`: menu `recent` (the one last shown) first.
void RequestEntryPictures(const TMenuList& menus, int size, int recent = -1);
// Entries of all menus whose pictures are not final yet.
int PendingEntryPictures(const TMenuList& menus);

// The source production uses; see entry_picture_source_win.cpp.
PictureSource ProgramPictureSource();
