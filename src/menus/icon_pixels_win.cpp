#include "menus/icon_pixels_win.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

std::optional<std::vector<uint32_t>> DibPixels(HDC dc, HBITMAP bitmap, int width, int height)
{
    // 32 bits a pixel, rows top down.
    BITMAPINFO info = TopDownDib32(width, height);
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    if (GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS) != height)
        return std::nullopt;
    return pixels;
}

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

std::optional<PixelImage> IconPicture(HICON icon)
{
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info)) return std::nullopt;
    UniqueGdiObject colour(info.hbmColor), mask(info.hbmMask);
    BITMAP shape{};
    if (!mask || !GetObjectW(mask.get(), sizeof(shape), &shape)) return std::nullopt;
    // Without a colour bitmap the mask is twice as high: AND picture above, XOR below.
    const int width = shape.bmWidth, height = colour ? shape.bmHeight : shape.bmHeight / 2;
    if (width <= 0 || height <= 0) return std::nullopt;
    UniqueMemoryDC dc(CreateCompatibleDC(nullptr));
    if (!dc) return std::nullopt;
    std::optional<std::vector<uint32_t>> andBits = DibPixels(dc.get(), static_cast<HBITMAP>(mask.get()), width,
                                                             colour ? height : 2 * height);
    std::optional<std::vector<uint32_t>> colourBits =
        colour ? DibPixels(dc.get(), static_cast<HBITMAP>(colour.get()), width, height) : std::nullopt;
    if (!andBits || (colour && !colourBits)) return std::nullopt;

    PixelImage picture{width, height, std::vector<uint32_t>(static_cast<size_t>(width) * static_cast<size_t>(height))};
    bool hasAlpha = false;
    if (colourBits)
        for (uint32_t p : *colourBits) hasAlpha = hasAlpha || (p >> 24) != 0;
    for (size_t i = 0; i < picture.pixels.size(); ++i) {
        const uint32_t shown = colourBits ? (*colourBits)[i] : (*andBits)[i + picture.pixels.size()];
        if (hasAlpha) {
            picture.pixels[i] = (shown >> 24) ? shown : 0u;
            continue;
        }
        // A set mask bit shows the background; the few pixels that invert it are dropped.
        const bool transparent = ((*andBits)[i] & 0xFFFFFFu) != 0;
        picture.pixels[i] = transparent ? 0u : 0xFF000000u | (shown & 0xFFFFFFu);
    }
    return picture;
}

UniqueIcon PictureIcon(const PixelImage& picture)
{
    const int width = picture.width, height = picture.height;
    if (width <= 0 || height <= 0 || picture.pixels.size() != static_cast<size_t>(width) * static_cast<size_t>(height))
        return {};
    BITMAPINFO info = TopDownDib32(width, height);
    void* bits = nullptr;
    UniqueGdiObject colour(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!colour || !bits) return {};
    std::copy(picture.pixels.begin(), picture.pixels.end(), static_cast<uint32_t*>(bits));
    const size_t stride = static_cast<size_t>((width + 15) / 16 * 2);  // word-aligned rows
    std::vector<BYTE> maskBits(stride * static_cast<size_t>(height), 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if ((picture.pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] >> 24) < 0x80)
                maskBits[static_cast<size_t>(y) * stride + static_cast<size_t>(x / 8)] |= static_cast<BYTE>(0x80 >> (x % 8));
    UniqueGdiObject mask(CreateBitmap(width, height, 1, 1, maskBits.data()));
    if (!mask) return {};
    ICONINFO icon{TRUE, 0, 0, static_cast<HBITMAP>(mask.get()), static_cast<HBITMAP>(colour.get())};
    return UniqueIcon(CreateIconIndirect(&icon));
}
