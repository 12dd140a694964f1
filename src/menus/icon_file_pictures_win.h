// Pictures read from icon files, programs and libraries: the file's own picture of the
// size asked for where it has one, else the nearest larger, else its largest.
#pragma once

#include "menus/bitmap_scale.h"
#include "win/handles.h"

#include <cstdint>
#include <optional>
#include <string>

// Icon `index` of the file as ExtractIcon numbers them (negative: a resource id); nothing
// when the file is neither an icon file nor a program or library holding that icon.
[[nodiscard]] std::optional<PixelImage> FilePicture(const std::string& path, int32_t index, int size);

// The same picture as an icon of exactly size x size, read from the path with its
// environment variables expanded (a menu's icon); null when there is none.
[[nodiscard]] UniqueIcon FileIcon(const std::string& path, int32_t index, int size);
