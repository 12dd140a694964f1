#include "menus/menu_images_win.h"

#include "menus/entry_icon_win.h"

#include <utility>

namespace {

// The icon drawn into a 32x32 colour bitmap and its 32x32 mask.
bool RenderIcon(HICON icon, UniqueGdiObject& colour, UniqueGdiObject& mask)
{
    if (!icon) return false;
    {
        ScopedGetDC screen(nullptr);
        if (!screen) return false;
        colour.reset(CreateCompatibleBitmap(screen.get(), 32, 32));
    }
    mask.reset(CreateBitmap(32, 32, 1, 1, nullptr));
    UniqueMemoryDC dc(CreateCompatibleDC(nullptr));
    if (!colour || !mask || !dc) return false;
    {
        ScopedSelectObject select(dc.get(), colour.get());
        RECT all{0, 0, 32, 32};
        FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        if (!DrawIconEx(dc.get(), 0, 0, icon, 32, 32, 0, nullptr, DI_IMAGE)) return false;
    }
    ScopedSelectObject select(dc.get(), mask.get());
    return DrawIconEx(dc.get(), 0, 0, icon, 32, 32, 0, nullptr, DI_MASK) != FALSE;
}

}  // namespace

std::shared_ptr<const PictureBitmaps> MakePictureBitmaps(const EntryPictures& pictures)
{
    auto bitmaps = std::make_shared<PictureBitmaps>();
    if (!RenderIcon(pictures.ImgIconLeer.get(), bitmaps->LeerColour, bitmaps->LeerMask) ||
        !RenderIcon(pictures.ImgIconSeparator.get(), bitmaps->SeparatorColour, bitmaps->SeparatorMask))
        return nullptr;
    return bitmaps;
}

ImageListMenuImages::ImageListMenuImages(std::shared_ptr<const EntryPictures> pictures,
                                         std::shared_ptr<const PictureBitmaps> bitmaps)
    : pictures_(std::move(pictures)),
      bitmaps_(std::move(bitmaps)),
      list_(ImageList_Create(32, 32, ILC_COLOR32 | ILC_MASK, 16, 64))
{
    if (list_) ImageList_SetBkColor(list_.get(), GetSysColor(COLOR_MENU));
    if (!bitmaps_ && pictures_) bitmaps_ = MakePictureBitmaps(*pictures_);
}

int ImageListMenuImages::Count() const { return list_ ? static_cast<int>(slots_.size()) : 0; }

int ImageListMenuImages::AddEntryImage(const TOneItem& item)
{
    if (!list_ || !pictures_) return -1;
    Slot slot;
    slot.separator = item.IsSeparator();
    if (!slot.separator) {
        slot.pending = EntryIconRequest{item.Pfad, item.IsPIDL, item.IconNum, item.IconPfad};
        ++pendingCount_;
    }
    slots_.push_back(std::move(slot));
    return static_cast<int>(slots_.size()) - 1;
}

bool ImageListMenuImages::Materialize()
{
    if (!list_) return false;
    const int have = ImageList_GetImageCount(list_.get());
    const int want = static_cast<int>(slots_.size());
    if (have >= want) return true;
    // One picture of each kind is written, the others are copies of it: copying inside
    // the list is far cheaper than adding icons or bitmaps one by one.
    if (!ImageList_SetImageCount(list_.get(), static_cast<UINT>(want))) return false;
    int leer = -1, separator = -1;
    for (int i = have; i < want; ++i) {
        const bool isSeparator = slots_[static_cast<size_t>(i)].separator;
        int& model = isSeparator ? separator : leer;
        if (model >= 0 && ImageList_Copy(list_.get(), i, list_.get(), model, ILCF_MOVE)) continue;
        bool written = false;
        if (bitmaps_) {
            const UniqueGdiObject& colour = isSeparator ? bitmaps_->SeparatorColour : bitmaps_->LeerColour;
            const UniqueGdiObject& mask = isSeparator ? bitmaps_->SeparatorMask : bitmaps_->LeerMask;
            written = ImageList_Replace(list_.get(), i, static_cast<HBITMAP>(colour.get()),
                                        static_cast<HBITMAP>(mask.get())) != FALSE;
        }
        if (!written) {
            HICON icon = isSeparator ? pictures_->ImgIconSeparator.get() : pictures_->ImgIconLeer.get();
            written = ImageList_ReplaceIcon(list_.get(), i, icon) >= 0;
        }
        if (written) model = i;
    }
    return true;
}

HIMAGELIST ImageListMenuImages::Handle()
{
    Materialize();
    return list_.get();
}

bool ImageListMenuImages::ReplaceEntryImage(int index, const TOneItem& item)
{
    if (!pictures_ || index < 0 || index >= Count() || !Materialize()) return false;
    UniqueIcon icon;
    if (item.IsSeparator()) {
        icon.reset(CopyIcon(pictures_->ImgIconSeparator.get()));
    } else {
        icon = GetEntryIcon(item.Pfad, item.IsPIDL, item.IconNum, item.IconPfad, pictures_->ImgIconLeer.get());
    }
    if (!icon || ImageList_ReplaceIcon(list_.get(), index, icon.get()) < 0) return false;
    Slot& slot = slots_[static_cast<size_t>(index)];
    slot.separator = item.IsSeparator();
    if (slot.pending) {
        slot.pending.reset();
        --pendingCount_;
    }
    return true;
}

bool ImageListMenuImages::RemoveEntryImage(int index)
{
    if (index < 0 || index >= Count() || !Materialize()) return false;
    if (!ImageList_Remove(list_.get(), index)) return false;
    if (slots_[static_cast<size_t>(index)].pending) --pendingCount_;
    slots_.erase(slots_.begin() + index);
    if (nextPending_ > static_cast<size_t>(index)) --nextPending_;
    std::erase(urgent_, index);
    for (int& u : urgent_)
        if (u > index) --u;
    return true;
}

void ImageListMenuImages::RemoveAllImages()
{
    if (list_) ImageList_Remove(list_.get(), -1);
    slots_.clear();
    pendingCount_ = 0;
    nextPending_ = 0;
    urgent_.clear();
}

bool ImageListMenuImages::IsPending(int index) const
{
    return index >= 0 && static_cast<size_t>(index) < slots_.size() &&
           slots_[static_cast<size_t>(index)].pending.has_value();
}

void ImageListMenuImages::LoadNow(int index)
{
    Slot& slot = slots_[static_cast<size_t>(index)];
    EntryIconRequest request = std::move(*slot.pending);
    slot.pending.reset();
    --pendingCount_;
    UniqueIcon icon = GetEntryIcon(request.Pfad, request.IsPIDL, request.IconNum, request.IconPfad,
                                   pictures_ ? pictures_->ImgIconLeer.get() : nullptr);
    // The placeholder is already in place: a failed replacement leaves it there.
    if (icon) ImageList_ReplaceIcon(list_.get(), index, icon.get());
    for (const Shown& shown : std::exchange(slot.shownPending, {}))
        if (IsWindow(shown.window)) InvalidateRect(shown.window, &shown.rect, FALSE);
}

void ImageListMenuImages::MarkShownPending(int index, HWND window, const RECT& rect)
{
    if (!IsPending(index)) return;
    Slot& slot = slots_[static_cast<size_t>(index)];
    if (slot.shownPending.empty()) urgent_.push_back(index);
    if (window) slot.shownPending.push_back({window, rect});
}

int ImageListMenuImages::LoadUrgentIcons(int maxIcons)
{
    int done = 0;
    if (urgent_.empty() || !Materialize()) return 0;
    while (done < maxIcons && !urgent_.empty()) {
        const int index = urgent_.front();
        urgent_.erase(urgent_.begin());
        if (!IsPending(index)) continue;
        LoadNow(index);
        ++done;
    }
    return done;
}

bool ImageListMenuImages::EnsureEntryIcon(int index)
{
    if (index < 0 || index >= Count() || !Materialize()) return false;
    if (IsPending(index)) LoadNow(index);
    return true;
}

int ImageListMenuImages::LoadPendingIcons(int maxIcons)
{
    int done = 0;
    if (pendingCount_ == 0 || !Materialize()) return 0;
    while (done < maxIcons && pendingCount_ > 0) {
        while (nextPending_ < slots_.size() && !slots_[nextPending_].pending) ++nextPending_;
        if (nextPending_ >= slots_.size()) break;
        LoadNow(static_cast<int>(nextPending_));
        ++done;
    }
    return done;
}

MenuImagesFactory MakeMenuImagesFactory(std::shared_ptr<const EntryPictures> pictures)
{
    std::shared_ptr<const PictureBitmaps> bitmaps = pictures ? MakePictureBitmaps(*pictures) : nullptr;
    return [pictures, bitmaps]() -> std::unique_ptr<MenuImages> {
        return std::make_unique<ImageListMenuImages>(pictures, bitmaps);
    };
}

ImageListMenuImages* ImageListOf(const TOneMenu& menu) { return dynamic_cast<ImageListMenuImages*>(menu.Images.get()); }

namespace {

double MillisSince(const LARGE_INTEGER& start)
{
    LARGE_INTEGER now{}, frequency{};
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    if (frequency.QuadPart == 0) return 0;
    return static_cast<double>(now.QuadPart - start.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

}  // namespace

bool LoadPendingEntryIcons(const TMenuList& menus, int maxIcons, unsigned maxMillis)
{
    LARGE_INTEGER start{};
    QueryPerformanceCounter(&start);
    int done = 0;
    auto spent = [&] { return done > 0 && (done >= maxIcons || (maxMillis > 0 && MillisSince(start) >= maxMillis)); };
    for (const auto& menu : menus) {
        ImageListMenuImages* images = menu ? ImageListOf(*menu) : nullptr;
        if (!images) continue;
        while (images->UrgentCount() > 0) {
            if (spent()) return true;
            if (images->LoadUrgentIcons(1) == 0) break;
            ++done;
        }
    }
    for (const auto& menu : menus) {
        ImageListMenuImages* images = menu ? ImageListOf(*menu) : nullptr;
        if (!images) continue;
        while (images->PendingCount() > 0) {
            if (spent()) return true;
            if (images->LoadPendingIcons(1) == 0) break;
            ++done;
        }
    }
    return EntryIconsPending(menus);
}

bool EntryIconsPending(const TMenuList& menus)
{
    for (const auto& menu : menus) {
        ImageListMenuImages* images = menu ? ImageListOf(*menu) : nullptr;
        if (images && images->PendingCount() > 0) return true;
    }
    return false;
}

void LoadAllEntryIcons(const TOneMenu& menu)
{
    if (ImageListMenuImages* images = ImageListOf(menu)) images->LoadPendingIcons(images->PendingCount());
}

namespace {
HWND TimerOwner = nullptr;  // the window whose icon timer runs, or null
}

void ScheduleEntryIconLoading(HWND owner, const TMenuList& menus)
{
    if (owner && EntryIconsPending(menus) && SetTimer(owner, EntryIconTimerId, 0, nullptr)) TimerOwner = owner;
}

bool EntryIconTimerTick(HWND owner, WPARAM timerId, const TMenuList& menus)
{
    if (timerId != EntryIconTimerId) return false;
    if (!LoadPendingEntryIcons(menus, EntryIconsPerTurn, EntryIconMillisPerTurn)) {
        KillTimer(owner, EntryIconTimerId);
        if (TimerOwner == owner) TimerOwner = nullptr;
    }
    return true;
}

bool EntryIconTimerRunning() { return TimerOwner != nullptr && IsWindow(TimerOwner); }
