// Pictures and entries shared by the tests of popup entries, entry icons and menu
// picture lists: a surface to draw on and read back, icons of known pixels, entries,
// and notification icons as the shell holds them.
#pragma once

#include "config/model.h"
#include "driver.h"
#include "menus/menu_images_win.h"
#include "win/handles.h"
#include "win/tray_icon.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace menu_pictures {

constexpr COLORREF Magenta = RGB(255, 0, 255);

// A 32-bit top-down DIB selected into a memory DC, read back as COLORREFs.
class Surface {
public:
    Surface(int width, int height, COLORREF fill) : width_(width), height_(height)
    {
        const BITMAPINFO info = TopDownDib32(width, height);
        dib_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits_, nullptr, 0));
        dc_.reset(CreateCompatibleDC(nullptr));
        old_ = SelectObject(dc_.get(), dib_.get());
        UniqueGdiObject brush(CreateSolidBrush(fill));
        RECT all{0, 0, width, height};
        FillRect(dc_.get(), &all, static_cast<HBRUSH>(brush.get()));
    }
    ~Surface()
    {
        if (dc_) SelectObject(dc_.get(), old_);
    }
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    HDC Dc() const { return dc_.get(); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    COLORREF At(int x, int y) const
    {
        GdiFlush();
        uint32_t p = static_cast<const uint32_t*>(bits_)[y * width_ + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    std::vector<COLORREF> Pixels() const
    {
        std::vector<COLORREF> all;
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) all.push_back(At(x, y));
        return all;
    }
    // Count of pixels of `colour` inside [left, right) x [top, bottom).
    int Count(COLORREF colour, int left, int top, int right, int bottom) const
    {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) n += At(x, y) == colour;
        return n;
    }

private:
    int width_, height_;
    void* bits_ = nullptr;
    UniqueGdiObject dib_;
    UniqueMemoryDC dc_;
    HGDIOBJ old_ = nullptr;
};

// What the screen shows of the window now (it must be shown and on top): the form is
// repainted first.
std::unique_ptr<Surface> ScreenShot(HWND window);
// Columns of the shot holding any pixel other than `background`, as [first, last]; none: {-1, -1}.
std::pair<int, int> InkColumns(const Surface& shot, COLORREF background);

// A 32x32 icon of one colour whose rows from `transparentFrom` on are masked out.
UniqueIcon MakeIcon(COLORREF colour, int transparentFrom);
// The icon as drawn on magenta.
std::vector<COLORREF> IconPixels(HICON icon);
std::vector<COLORREF> ImagePixels(HIMAGELIST list, int index);
// The width of an icon's picture, or 0.
int IconSide(HICON icon);
// Present in the notification area: the shell accepts a change of exactly this icon.
bool IconPresent(TrayIconRecord record);
bool DeleteIcon(TrayIconRecord record);
// The pictures every menu shares: that placeholder and a grey separator.
std::shared_ptr<EntryPictures> Pictures(UniqueIcon leer);

// A source for tests: the key is the entry's path ("" the placeholder), the picture a
// colour read from the path as hex RRGGBB, opaque in its top 25/32 rows, transparent
// below. Every picture made waits `delayMillis` and is counted in `made`.
struct CountingSource {
    PictureSource source;
    std::shared_ptr<std::atomic<int>> made;
};
CountingSource ColourSource(int delayMillis = 0);
std::string ColourPath(COLORREF colour);
// A service waking nobody: the test places finished pictures itself.
std::shared_ptr<EntryPictureService> QuietService(std::shared_ptr<EntryPictures> pictures, PictureSource source);
// Places finished pictures until none of the menus' entries wait; false after `millis`.
bool Settle(EntryPictureService& service, const TMenuList& menus, int millis = 5000);
std::unique_ptr<TOneItem> Entry(std::string pfad, std::string description, int32_t iconNum = DefaultIconNum,
                                std::string iconPfad = {});
std::unique_ptr<TOneItem> Separator();
// mgoldwk.exe (14 icons) copied into a temporary folder under the given name.
std::optional<std::string> CopyProgram(const TempFolder& folder, const std::string& name);

}  // namespace menu_pictures
