// JPEG pictures as GDI bitmaps, decoded with libjpeg.
#pragma once

#include "win/handles.h"

#include <cstdint>
#include <span>

// A 24-bit top-down DIB section of the picture, or null for anything libjpeg rejects.
[[nodiscard]] UniqueGdiObject DecodeJpegBitmap(std::span<const uint8_t> bytes);
