#include "menus/menu_images_win.h"

#include <algorithm>
#include <utility>

ImageListMenuImages::ImageListMenuImages(std::shared_ptr<EntryPictureService> service) : service_(std::move(service)) {}

ImageListMenuImages::~ImageListMenuImages() { RemoveAllImages(); }

int ImageListMenuImages::AddEntryImage(const TOneItem& item)
{
    Slot slot;
    slot.separator = item.IsSeparator();
    slot.request = Shared(EntryIconRequest{item.Pfad, item.IsPIDL, item.IconNum, item.IconPfad});
    slots_.push_back(std::move(slot));
    return static_cast<int>(slots_.size()) - 1;
}

void ImageListMenuImages::Forget(Slot& slot)
{
    if (service_)
        for (const Asked& asked : slot.asked) service_->Cancel(asked.ticket, *this);
    slot.asked.clear();
    slot.shown.clear();
    if (service_) service_->Release(slot.request);
}

std::shared_ptr<const EntryIconRequest> ImageListMenuImages::Shared(EntryIconRequest request)
{
    if (service_) return service_->Shared(std::move(request));
    return std::make_shared<const EntryIconRequest>(std::move(request));
}

bool ImageListMenuImages::RemoveEntryImage(int index)
{
    if (index < 0 || index >= Count()) return false;
    Forget(slots_[static_cast<size_t>(index)]);
    slots_.erase(slots_.begin() + index);
    return true;
}

bool ImageListMenuImages::ReplaceEntryImage(int index, const TOneItem& item)
{
    if (index < 0 || index >= Count()) return false;
    Slot& slot = slots_[static_cast<size_t>(index)];
    EntryIconRequest request{item.Pfad, item.IsPIDL, item.IconNum, item.IconPfad};
    const bool separator = item.IsSeparator();
    const EntryIconRequest& was = *slot.request;
    const bool same = separator == slot.separator && request.Pfad == was.Pfad && request.IsPIDL == was.IsPIDL &&
                      request.IconNum == was.IconNum && request.IconPfad == was.IconPfad;
    if (same) return true;
    Forget(slot);
    slot.separator = separator;
    slot.request = Shared(std::move(request));
    slot.key.reset();
    return true;
}

void ImageListMenuImages::RemoveAllImages()
{
    for (Slot& slot : slots_) Forget(slot);
    slots_.clear();
}

HIMAGELIST ImageListMenuImages::Handle(int size) { return service_ ? service_->Store(size).Handle() : nullptr; }

int ImageListMenuImages::PictureIndex(int index, int size)
{
    if (index < 0 || index >= Count() || !service_) return PictureStore::PlaceholderIndex;
    const Slot& slot = slots_[static_cast<size_t>(index)];
    if (slot.separator) return PictureStore::SeparatorIndex;
    if (!slot.key) return PictureStore::PlaceholderIndex;
    return service_->Store(size).IndexOf(*slot.key).value_or(PictureStore::PlaceholderIndex);
}

bool ImageListMenuImages::IsFinal(int index, int size)
{
    if (index < 0 || index >= Count() || !service_) return true;
    const Slot& slot = slots_[static_cast<size_t>(index)];
    return slot.separator || (slot.key && service_->Store(size).IndexOf(*slot.key));
}

int ImageListMenuImages::PendingCount() const
{
    return static_cast<int>(std::count_if(slots_.begin(), slots_.end(), [](const Slot& s) { return !s.asked.empty(); }));
}

const ImageListMenuImages::Asked* ImageListMenuImages::AskedAt(const Slot& slot, int size) const
{
    for (const Asked& asked : slot.asked)
        if (asked.size == size) return &asked;
    return nullptr;
}

void ImageListMenuImages::RequestPictures(int size, PictureUrgency urgency)
{
    if (!service_) return;
    for (int i = 0; i < Count(); ++i) {
        if (IsFinal(i, size)) continue;
        Slot& slot = slots_[static_cast<size_t>(i)];
        if (const Asked* asked = AskedAt(slot, size)) service_->Raise(asked->ticket, urgency);
        else slot.asked.push_back({size, service_->Request(*this, slot.request, size, urgency)});
    }
}

void ImageListMenuImages::MarkShownPending(int index, int size, HWND window, const RECT* rect)
{
    if (!service_ || IsFinal(index, size)) return;
    Slot& slot = slots_[static_cast<size_t>(index)];
    if (const Asked* asked = AskedAt(slot, size)) service_->Raise(asked->ticket, PictureUrgency::Shown);
    else slot.asked.push_back({size, service_->Request(*this, slot.request, size, PictureUrgency::Shown)});
    if (!window) return;
    Shown shown{window, rect ? *rect : RECT{}, rect == nullptr, size};
    auto same = [&](const Shown& s) {
        return s.window == window && s.whole == shown.whole && s.size == size && EqualRect(&s.rect, &shown.rect);
    };
    if (std::none_of(slot.shown.begin(), slot.shown.end(), same)) slot.shown.push_back(shown);
}

void ImageListMenuImages::Finished(uint64_t ticket, PictureKeyId key)
{
    for (Slot& slot : slots_) {
        auto asked = std::find_if(slot.asked.begin(), slot.asked.end(), [&](const Asked& a) { return a.ticket == ticket; });
        if (asked == slot.asked.end()) continue;
        const int size = asked->size;
        slot.asked.erase(asked);
        slot.key = key;
        auto placed = std::stable_partition(slot.shown.begin(), slot.shown.end(), [size](const Shown& s) { return s.size != size; });
        for (auto shown = placed; shown != slot.shown.end(); ++shown)
            if (IsWindow(shown->window)) InvalidateRect(shown->window, shown->whole ? nullptr : &shown->rect, FALSE);
        slot.shown.erase(placed, slot.shown.end());
    }
}

MenuImagesFactory MakeMenuImagesFactory(std::shared_ptr<EntryPictureService> service)
{
    return [service]() -> std::unique_ptr<MenuImages> { return std::make_unique<ImageListMenuImages>(service); };
}

ImageListMenuImages* ImageListOf(const TOneMenu& menu) { return dynamic_cast<ImageListMenuImages*>(menu.Images.get()); }

void RequestEntryPictures(const TMenuList& menus, int size, int recent)
{
    if (ImageListMenuImages* images = recent >= 0 && recent < static_cast<int>(menus.size()) && menus[recent]
                                          ? ImageListOf(*menus[static_cast<size_t>(recent)])
                                          : nullptr)
        images->RequestPictures(size, PictureUrgency::Recent);
    for (const auto& menu : menus)
        if (ImageListMenuImages* images = menu ? ImageListOf(*menu) : nullptr)
            images->RequestPictures(size, PictureUrgency::Rest);
}

int PendingEntryPictures(const TMenuList& menus)
{
    int pending = 0;
    for (const auto& menu : menus)
        if (ImageListMenuImages* images = menu ? ImageListOf(*menu) : nullptr) pending += images->PendingCount();
    return pending;
}
