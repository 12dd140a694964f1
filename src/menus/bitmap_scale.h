// Scaling entry pictures on plain pixel arrays (rows top down, the layout of a 32-bit
// top-down DIB), 0xAARRGGBB with straight (not premultiplied) alpha. Platform-neutral.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct PixelImage {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // width * height, row after row

    uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + x]; }
    uint32_t& At(int x, int y) { return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + x]; }
};

// `image` (0xAARRGGBB, straight alpha) at width x height. Shrinking averages the source
// area each target pixel covers, weighted by coverage and by alpha, so transparent
// pixels lend no colour to their neighbours; enlarging (any side growing) interpolates
// between the nearest four pixels the same way. An image of the same size comes back
// unchanged; an empty or malformed one, or a target side below 1, gives an empty image.
[[nodiscard]] PixelImage ScalePicture(const PixelImage& image, int width, int height);
