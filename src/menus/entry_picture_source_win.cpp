// TEMPORARY picture source for production, until EntryPictureKey and MakeEntryPicture
// (entry_icon_win.h) replace it: ProgramPictureSource is the one place that names the
// source. Its key is the request's text, so only identical requests share a picture,
// and its picture is GetEntryIcon's icon drawn at the asked size.
#include "menus/entry_icon_win.h"
#include "menus/menu_images_win.h"

namespace {

std::string RequestText(const EntryIconRequest& request)
{
    if (EntryIconSourceFor(request.Pfad, request.IsPIDL, request.IconNum) == EntryIconSource::None) return {};
    return request.Pfad + '|' + (request.IsPIDL ? "1" : "0") + '|' + std::to_string(request.IconNum) + '|' +
           request.IconPfad;
}

// The icon drawn on black and on white: where the two differ the icon is translucent,
// which gives its straight alpha.
std::optional<PixelImage> IconPixels(HICON icon, int size)
{
    const BITMAPINFO info = TopDownDib32(size, size);
    std::vector<uint32_t> onBlack, onWhite;
    for (int brush : {BLACK_BRUSH, WHITE_BRUSH}) {
        void* bits = nullptr;
        UniqueGdiObject dib(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        UniqueMemoryDC dc(CreateCompatibleDC(nullptr));
        if (!dib || !dc || !bits) return std::nullopt;
        ScopedSelectObject select(dc.get(), dib.get());
        RECT all{0, 0, size, size};
        FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(brush)));
        if (!DrawIconEx(dc.get(), 0, 0, icon, size, size, 0, nullptr, DI_NORMAL)) return std::nullopt;
        GdiFlush();
        const auto* p = static_cast<const uint32_t*>(bits);
        (brush == BLACK_BRUSH ? onBlack : onWhite).assign(p, p + size * size);
    }
    PixelImage image;
    image.width = image.height = size;
    image.pixels.resize(onBlack.size());
    for (size_t i = 0; i < onBlack.size(); ++i) {
        uint32_t colour = 0;
        const uint32_t b = onBlack[i], w = onWhite[i];
        const uint32_t alpha = 255 - std::min(255u, ((w >> 8) & 0xFF) - std::min((w >> 8) & 0xFF, (b >> 8) & 0xFF));
        if (alpha > 0)
            for (int shift : {0, 8, 16}) {
                const uint32_t c = std::min(255u, ((b >> shift) & 0xFF) * 255 / alpha);
                colour |= c << shift;
            }
        image.pixels[i] = (alpha << 24) | colour;
    }
    return image;
}

}  // namespace

PictureSource ProgramPictureSource()
{
    return {RequestText, [](const EntryIconRequest& request, int size) -> std::optional<PixelImage> {
                UniqueIcon icon = GetEntryIcon(request.Pfad, request.IsPIDL, request.IconNum, request.IconPfad, nullptr);
                if (!icon) return std::nullopt;
                return IconPixels(icon.get(), size);
            }};
}
