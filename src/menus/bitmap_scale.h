// Scaling entry pictures on plain pixel arrays (rows top down, the layout of a 32-bit
// top-down DIB): the stored 32x32 pictures as 0x00RRGGBB, and pictures of any size as
// 0xAARRGGBB with straight (not premultiplied) alpha. Platform-neutral.
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

// Average of two colours, channel by channel, halves rounded to the even neighbour; the
// key colour (the background the picture was rendered on) counts as black unless both
// are key.
uint32_t CombineColours(uint32_t a, uint32_t b, uint32_t key);

// 32x32 to 16x16 in place, keyed on the bottom-left pixel. False (and unchanged) for any
// other size.
[[nodiscard]] bool HalveBitmap(PixelImage& image);
// 32x32 to 64x64 in place, every pixel a 2x2 block. False (and unchanged) for any other size.
[[nodiscard]] bool DoubleBitmap(PixelImage& image);

// `image` (0xAARRGGBB, straight alpha) at width x height. Shrinking averages the source
// area each target pixel covers, weighted by coverage and by alpha, so transparent
// pixels lend no colour to their neighbours; enlarging (any side growing) interpolates
// between the nearest four pixels the same way. An image of the same size comes back
// unchanged; an empty or malformed one, or a target side below 1, gives an empty image.
[[nodiscard]] PixelImage ScalePicture(const PixelImage& image, int width, int height);
