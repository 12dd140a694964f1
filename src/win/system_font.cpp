#include "win/system_font.h"

#include "win/dpi.h"
#include "win/system_function.h"

#include <cwchar>

namespace {

// The structure as Windows Vista and later know it; older systems take it without the
// last member, and so does Wine.
struct NonClientMetrics {
    NONCLIENTMETRICSW metrics;
    int paddedBorderWidth;
};

bool ReadMetrics(NonClientMetrics& read, UINT dpi, bool forDpi)
{
    static SystemFunction spiForDpi = SystemFunction::ByName("user32.dll", "SystemParametersInfoForDpi");
    for (UINT size : {static_cast<UINT>(sizeof(NonClientMetrics)), static_cast<UINT>(sizeof(NONCLIENTMETRICSW))}) {
        read = {};
        read.metrics.cbSize = size;
        if (forDpi) {
            auto done = spiForDpi.Call<BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT)>(
                static_cast<UINT>(SPI_GETNONCLIENTMETRICS), size, static_cast<void*>(&read), 0U, dpi);
            if (!done) return false;  // not on this system: no other size will help
            if (*done) return true;
        } else if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, size, &read, 0)) {
            return true;
        }
    }
    return false;
}

}  // namespace

LOGFONTW MessageFont(UINT dpi)
{
    NonClientMetrics read{};
    if (ReadMetrics(read, dpi, true)) return read.metrics.lfMessageFont;
    LOGFONTW font{};
    if (ReadMetrics(read, dpi, false))
        font = read.metrics.lfMessageFont;
    else
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
    // SPI_GETNONCLIENTMETRICS answers for the system's DPI, the screen's.
    font.lfHeight = MulDiv(font.lfHeight, static_cast<int>(dpi), static_cast<int>(ScreenDpi()));
    return font;
}

UniqueGdiObject DerivedFont(const LOGFONTW& base, int pixels, int weight, bool underline)
{
    LOGFONTW font = base;
    font.lfHeight = MulDiv(base.lfHeight, pixels, DesignedMessagePixels);
    font.lfWidth = MulDiv(base.lfWidth, pixels, DesignedMessagePixels);
    font.lfWeight = weight;
    font.lfUnderline = underline ? TRUE : FALSE;
    return UniqueGdiObject(CreateFontIndirectW(&font));
}

bool SameFont(const LOGFONTW& a, const LOGFONTW& b)
{
    return a.lfHeight == b.lfHeight && a.lfWidth == b.lfWidth && a.lfWeight == b.lfWeight &&
           a.lfItalic == b.lfItalic && a.lfUnderline == b.lfUnderline && a.lfCharSet == b.lfCharSet &&
           a.lfQuality == b.lfQuality && std::wcsncmp(a.lfFaceName, b.lfFaceName, LF_FACESIZE) == 0;
}
