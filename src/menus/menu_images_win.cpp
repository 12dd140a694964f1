#include "menus/menu_images_win.h"

#include <algorithm>
#include <tuple>
#include <utility>

namespace {

// Pictures side by side in one 32-bit bitmap with its mask, added to the list in one
// call: the list copies the pixels and keeps their straight alpha (a mask bit for what
// is mostly transparent), as it does for an icon, without an icon made and destroyed
// per picture. The index of the first, or -1.
int AddStrip(HIMAGELIST list, int size, const std::vector<const PixelImage*>& pictures)
{
    const int count = static_cast<int>(pictures.size());
    if (count == 0) return -1;
    const int width = size * count;
    BITMAPINFO info = TopDownDib32(width, size);
    void* bits = nullptr;
    UniqueGdiObject colour(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!colour || !bits) return -1;
    auto* out = static_cast<uint32_t*>(bits);
    const size_t stride = static_cast<size_t>((width + 15) / 16 * 2);  // word-aligned rows
    std::vector<BYTE> maskBits(stride * static_cast<size_t>(size), 0);
    for (int i = 0; i < count; ++i) {
        const PixelImage& image = *pictures[static_cast<size_t>(i)];
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const uint32_t pixel = image.At(x, y);
                const int column = i * size + x;
                out[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(column)] = pixel;
                if ((pixel >> 24) < 0x80)
                    maskBits[static_cast<size_t>(y) * stride + static_cast<size_t>(column / 8)] |=
                        static_cast<BYTE>(0x80 >> (column % 8));
            }
    }
    UniqueGdiObject mask(CreateBitmap(width, size, 1, 1, maskBits.data()));
    if (!mask) return -1;
    return ImageList_Add(list, static_cast<HBITMAP>(colour.get()), static_cast<HBITMAP>(mask.get()));
}

// At most this many bytes of pixels go to the list in one strip.
constexpr size_t StripBytes = 256 * 1024;

}  // namespace

BITMAPINFO TopDownDib32(int width, int height)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// ---- PictureStore --------------------------------------------------------------------

PictureStore::PictureStore(int size, const EntryPictures& pictures)
    : size_(size), list_(ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 16, 256))
{
    if (!list_) return;
    // No background of its own: every picture keeps its transparency on whatever it is
    // drawn on (the menu colour, a highlight, a list's selection).
    ImageList_SetBkColor(list_.get(), CLR_NONE);
    // The list draws the two pictures at its own size.
    ImageList_AddIcon(list_.get(), pictures.ImgIconLeer.get());
    ImageList_AddIcon(list_.get(), pictures.ImgIconSeparator.get());
}

std::optional<int> PictureStore::IndexOf(PictureKeyId key) const
{
    if (key == 0) return PlaceholderIndex;
    if (key >= indices_.size() || indices_[key] < 0) return std::nullopt;
    return indices_[key];
}

void PictureStore::Place(const std::vector<const PictureResult*>& results)
{
    std::vector<PictureKeyId> keys;
    std::vector<const PixelImage*> pictures;
    const auto flush = [&] {
        const int first = list_ ? AddStrip(list_.get(), size_, pictures) : -1;
        for (size_t i = 0; i < keys.size(); ++i)
            indices_[keys[i]] = first >= 0 ? first + static_cast<int>(i) : PlaceholderIndex;
        keys.clear();
        pictures.clear();
    };
    const size_t perStrip = std::max<size_t>(1, StripBytes / (static_cast<size_t>(size_) * static_cast<size_t>(size_) * 4));
    for (const PictureResult* result : results) {
        if (result->key == 0 || IndexOf(result->key)) continue;
        const PixelImage* picture = result->picture ? &*result->picture : nullptr;
        const bool fits = picture && picture->width == size_ && picture->height == size_ &&
                          picture->pixels.size() == static_cast<size_t>(size_) * static_cast<size_t>(size_);
        // Taken at once, so that the same key later in this batch is not added twice.
        if (indices_.size() <= result->key) indices_.resize(result->key + 1u, -1);
        indices_[result->key] = PlaceholderIndex;
        if (!fits) continue;
        keys.push_back(result->key);
        pictures.push_back(picture);
        if (pictures.size() >= perStrip) flush();
    }
    flush();
}

// ---- EntryPictureService -------------------------------------------------------------

EntryPictureService::EntryPictureService(std::shared_ptr<const EntryPictures> pictures, PictureSource source,
                                         std::function<bool()> wake, std::function<void(bool)> watch)
    : pictures_(std::move(pictures)), watch_(std::move(watch)), worker_(std::move(source), std::move(wake))
{
}

EntryPictureService::~EntryPictureService() { Stop(); }

void EntryPictureService::Stop()
{
    worker_.Stop();
    Watch(false);
}

void EntryPictureService::Watch(bool on)
{
    if (on == watching_) return;
    watching_ = on;
    if (watch_) watch_(on);
}

PictureStore& EntryPictureService::Store(int size)
{
    std::unique_ptr<PictureStore>& store = stores_[size];
    if (!store) {
        static const EntryPictures none;
        store = std::make_unique<PictureStore>(size, pictures_ ? *pictures_ : none);
    }
    return *store;
}

int EntryPictureService::PlaceFinished()
{
    std::vector<PictureResult> results = worker_.TakeResults();
    // Placed even when their entries are gone: the worker will not make these keys again.
    std::map<int, std::vector<const PictureResult*>> made;
    for (const PictureResult& result : results)
        if (result.made) made[result.size].push_back(&result);
    for (const auto& [size, sized] : made) Store(size).Place(sized);
    for (const PictureResult& result : results) {
        auto waiting = waiting_.find(result.ticket);
        if (waiting == waiting_.end()) continue;
        Waiting done = std::move(waiting->second);
        waiting_.erase(waiting);
        queued_.erase(done.asked);
        std::sort(done.owners.begin(), done.owners.end());
        done.owners.erase(std::unique(done.owners.begin(), done.owners.end()), done.owners.end());
        for (ImageListMenuImages* images : done.owners) images->Finished(result.ticket, result.key);
    }
    if (waiting_.empty()) Watch(false);
    return static_cast<int>(results.size());
}

uint64_t EntryPictureService::Request(ImageListMenuImages& owner, std::shared_ptr<const EntryIconRequest> request,
                                      int size, PictureUrgency urgency)
{
    // Entries sharing a request share its ticket: one job, whatever their number.
    const auto asked = std::make_pair(request.get(), size);
    if (auto same = queued_.find(asked); same != queued_.end()) {
        waiting_[same->second].owners.push_back(&owner);
        worker_.Raise(same->second, urgency);
        return same->second;
    }
    const uint64_t ticket = nextTicket_++;
    waiting_[ticket] = Waiting{asked, {&owner}};
    queued_.emplace(asked, ticket);
    worker_.Add(ticket, std::move(request), size, urgency);
    Watch(true);
    return ticket;
}

void EntryPictureService::Raise(uint64_t ticket, PictureUrgency urgency) { worker_.Raise(ticket, urgency); }

void EntryPictureService::Cancel(uint64_t ticket, const ImageListMenuImages& owner)
{
    auto waiting = waiting_.find(ticket);
    if (waiting == waiting_.end()) return;
    std::vector<ImageListMenuImages*>& owners = waiting->second.owners;
    auto mine = std::find(owners.begin(), owners.end(), &owner);
    if (mine != owners.end()) owners.erase(mine);
    if (!owners.empty()) return;
    queued_.erase(waiting->second.asked);
    waiting_.erase(waiting);
    worker_.Cancel(ticket);
    if (waiting_.empty()) Watch(false);
}

bool EntryPictureService::SameRequest::operator()(const std::shared_ptr<const EntryIconRequest>& a,
                                                   const std::shared_ptr<const EntryIconRequest>& b) const
{
    return std::tie(a->Pfad, a->IsPIDL, a->IconNum, a->IconPfad) < std::tie(b->Pfad, b->IsPIDL, b->IconNum, b->IconPfad);
}

std::shared_ptr<const EntryIconRequest> EntryPictureService::Shared(EntryIconRequest request)
{
    auto made = std::make_shared<const EntryIconRequest>(std::move(request));
    auto held = requests_.try_emplace(std::move(made), 0).first;
    ++held->second;
    return held->first;
}

void EntryPictureService::Release(std::shared_ptr<const EntryIconRequest>& request)
{
    // A queued job keeps its own copy: forgetting the request here does not end that job.
    if (auto held = request ? requests_.find(request) : requests_.end();
        held != requests_.end() && held->first == request && --held->second <= 0)
        requests_.erase(held);
    request.reset();
}

// ---- ImageListMenuImages -------------------------------------------------------------

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
    Shown shown{window, rect ? *rect : RECT{}, rect == nullptr};
    auto same = [&](const Shown& s) { return s.window == window && s.whole == shown.whole && EqualRect(&s.rect, &shown.rect); };
    if (std::none_of(slot.shown.begin(), slot.shown.end(), same)) slot.shown.push_back(shown);
}

void ImageListMenuImages::Finished(uint64_t ticket, PictureKeyId key)
{
    for (Slot& slot : slots_) {
        auto asked = std::find_if(slot.asked.begin(), slot.asked.end(), [&](const Asked& a) { return a.ticket == ticket; });
        if (asked == slot.asked.end()) continue;
        slot.asked.erase(asked);
        slot.key = key;
        for (const Shown& shown : std::exchange(slot.shown, {}))
            if (IsWindow(shown.window)) InvalidateRect(shown.window, shown.whole ? nullptr : &shown.rect, FALSE);
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
