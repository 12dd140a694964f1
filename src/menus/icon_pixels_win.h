// The pixels of an icon handle, for pictures the system hands over only as icons.
#pragma once

#include "menus/bitmap_scale.h"
#include "win/handles.h"

#include <windows.h>

#include <optional>

// The header of a 32-bit DIB with rows top down, the layout of PixelImage.
BITMAPINFO TopDownDib32(int width, int height);

// An icon's pixels at its own size, straight alpha; icons without alpha take it from
// their mask. Nothing for a null or unreadable icon.
[[nodiscard]] std::optional<PixelImage> IconPicture(HICON icon);

// An icon of the picture's size showing it (its alpha, and a mask for what is mostly
// transparent); null when it cannot be made.
[[nodiscard]] UniqueIcon PictureIcon(const PixelImage& picture);
