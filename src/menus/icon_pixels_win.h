// The pixels of an icon handle, for pictures the system hands over only as icons.
#pragma once

#include "menus/bitmap_scale.h"

#include <windows.h>

#include <optional>

// An icon's pixels at its own size, straight alpha; icons without alpha take it from
// their mask. Nothing for a null or unreadable icon.
[[nodiscard]] std::optional<PixelImage> IconPicture(HICON icon);
