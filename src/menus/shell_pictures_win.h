// Pictures from the shell's system image lists, by their index there.
#pragma once

#include "menus/bitmap_scale.h"

#include <optional>

// The list's picture at the nearest size at or above `size` (its largest otherwise).
[[nodiscard]] std::optional<PixelImage> ShellPicture(int index, int size);

// Lets go of the shell's image lists the calling thread asked for (before it leaves COM).
void ReleaseThreadPictureLists();
