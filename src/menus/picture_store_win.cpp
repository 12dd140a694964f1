#include "menus/picture_store_win.h"

#include <algorithm>
#include <cstdint>

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

