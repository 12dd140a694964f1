#include "win/button_pictures.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

void ButtonPictures::SetIcon(HWND button, UniqueIcon icon)
{
    if (!icon) return;
    SetWindowLongPtrW(button, GWL_STYLE, GetWindowLongPtrW(button, GWL_STYLE) | BS_ICON);
    SendMessageW(button, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon.get()));
    icons_.push_back(std::move(icon));
}

void ButtonPictures::SetGlyph(HWND button, HIMAGELIST strip, int index, bool right)
{
    // Set again after a DPI change: the picture of the old size goes once the button lets go of it.
    auto previous = std::find_if(glyphs_.begin(), glyphs_.end(),
                                 [button](const Glyph& g) { return g.button == button; });
    UniqueImageList old;
    if (previous != glyphs_.end()) {
        old = std::move(previous->pictures);
        glyphs_.erase(previous);
    }
    BUTTON_IMAGELIST layout{};
    layout.margin = {2, 0, 0, 0};
    layout.uAlign = right ? BUTTON_IMAGELIST_ALIGN_RIGHT : BUTTON_IMAGELIST_ALIGN_LEFT;
    int cx = 0, cy = 0;
    if (strip && ImageList_GetIconSize(strip, &cx, &cy)) {
        // A caption that would be cut keeps the button to itself.
        std::wstring caption(static_cast<size_t>(GetWindowTextLengthW(button)) + 1, L'\0');
        caption.resize(static_cast<size_t>(GetWindowTextW(button, caption.data(), static_cast<int>(caption.size()))));
        std::erase(caption, L'&');
        RECT place{};
        GetClientRect(button, &place);
        SIZE extent{};
        {
            ScopedGetDC dc(button);
            ScopedSelectObject selectFont(dc.get(),
                                          reinterpret_cast<HGDIOBJ>(SendMessageW(button, WM_GETFONT, 0, 0)));
            GetTextExtentPoint32W(dc.get(), caption.c_str(), static_cast<int>(caption.size()), &extent);
        }
        UniqueIcon picture;
        UniqueImageList glyph;
        if (extent.cx + cx + 2 + 8 <= place.right - place.left) {
            picture.reset(ImageList_GetIcon(strip, index, ILD_NORMAL));
            glyph.reset(ImageList_Create(cx, cy, ILC_COLOR24 | ILC_MASK, 1, 0));
        }
        if (picture && glyph && ImageList_AddIcon(glyph.get(), picture.get()) >= 0) {
            layout.himl = glyph.get();
            if (SendMessageW(button, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&layout)))
                glyphs_.push_back({button, std::move(glyph)});
            return;
        }
    }
    // No list at all: the caption alone.
    if (old) SendMessageW(button, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&layout));
}
