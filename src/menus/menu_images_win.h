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
#include "menus/picture_worker_win.h"
#include "win/handles.h"

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

// The main window's two pictures: the placeholder of entries without an icon and the
// separator picture.
struct EntryPictures {
    UniqueIcon ImgIconLeer;
    UniqueIcon ImgIconSeparator;
};

// The header of a 32-bit DIB with rows top down, the layout of PixelImage.
BITMAPINFO TopDownDib32(int width, int height);

// The settings window's item list shows 32-pixel pictures whatever the menus use.
inline constexpr int SettingsPictureSize = 32;

// The pictures of one size: the placeholder, the separator, then one per key.
class PictureStore {
public:
    static constexpr int PlaceholderIndex = 0;
    static constexpr int SeparatorIndex = 1;
    PictureStore(int size, const EntryPictures& pictures);
    int Size() const { return size_; }
    HIMAGELIST Handle() const { return list_.get(); }
    // The key's picture; the placeholder for key 0. Nothing while it is not placed.
    std::optional<int> IndexOf(PictureKeyId key) const;
    // Each result's key shows its picture from now on, or the placeholder without one.
    void Place(const std::vector<const PictureResult*>& results);

private:
    int size_;
    UniqueImageList list_;
    std::vector<int> indices_;  // by key number; -1 while not placed
};

class ImageListMenuImages;

// The stores, the worker and the tickets of the pictures asked for and not placed yet.
class EntryPictureService {
public:
    // `wake` is called on the worker thread when finished pictures wait; it must only
    // post (or signal), so that PlaceFinished runs on the user-interface thread, and say
    // whether that worked. `watch`, on the user-interface thread, is told when pictures
    // are first asked for (true) and when none is awaited any more (false): while it is
    // on, the caller places finished pictures now and then in case a wake-up got lost.
    EntryPictureService(std::shared_ptr<const EntryPictures> pictures, PictureSource source,
                        std::function<bool()> wake, std::function<void(bool)> watch = {});
    ~EntryPictureService();
    // Ends the worker (within a second, whatever it is doing); no more pictures arrive.
    void Stop();

    PictureStore& Store(int size);
    // Places every finished picture, repaints what showed their placeholders; returns
    // how many requests it answered.
    int PlaceFinished();

    uint64_t Request(ImageListMenuImages& owner, std::shared_ptr<const EntryIconRequest> request, int size,
                     PictureUrgency urgency);
    void Raise(uint64_t ticket, PictureUrgency urgency);
    // `owner` no longer waits for `ticket`; the job goes when no one waits for it.
    void Cancel(uint64_t ticket, const ImageListMenuImages& owner);

    // One copy of equal requests, shared: many entries start the same program.
    std::shared_ptr<const EntryIconRequest> Shared(EntryIconRequest request);
    // An entry lets go of `request`; it is forgotten once no entry holds it.
    void Release(std::shared_ptr<const EntryIconRequest>& request);

private:
    struct SameRequest {
        bool operator()(const std::shared_ptr<const EntryIconRequest>& a,
                        const std::shared_ptr<const EntryIconRequest>& b) const;
    };
    void Watch(bool on);
    // Each request with the number of entries holding it: counted here rather than read
    // from use_count(), which the worker's copies change from another thread.
    std::map<std::shared_ptr<const EntryIconRequest>, int, SameRequest> requests_;
    std::shared_ptr<const EntryPictures> pictures_;
    std::function<void(bool)> watch_;
    bool watching_ = false;
    std::map<int, std::unique_ptr<PictureStore>> stores_;
    using Asked = std::pair<const EntryIconRequest*, int>;  // a request at a size
    struct Waiting {
        Asked asked;
        std::vector<ImageListMenuImages*> owners;  // once per entry waiting
    };
    std::map<uint64_t, Waiting> waiting_;
    std::map<Asked, uint64_t> queued_;
    uint64_t nextTicket_ = 1;
    PictureWorker worker_;
};

class ImageListMenuImages final : public MenuImages {
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
    void Finished(uint64_t ticket, PictureKeyId key);

private:
    struct Shown {
        HWND window;
        RECT rect;
        bool whole;
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
