#include "menus/bitmap_scale.h"

namespace {

uint32_t HalfToEven(uint32_t sum)
{
    uint32_t half = sum >> 1;
    // An odd sum lies half-way: round up only when that makes the result even.
    if ((sum & 1u) && (half & 1u)) ++half;
    return half;
}

}  // namespace

uint32_t CombineColours(uint32_t a, uint32_t b, uint32_t key)
{
    if (a == key && b == key) return key;
    if (a == key) a = 0;
    if (b == key) b = 0;
    uint32_t result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        uint32_t sum = ((a >> shift) & 0xFFu) + ((b >> shift) & 0xFFu);
        result |= HalfToEven(sum) << shift;
    }
    return result;
}

bool HalveBitmap(PixelImage& image)
{
    if (image.width != 32 || image.height != 32 || image.pixels.size() != 32u * 32u) return false;
    const uint32_t key = image.At(0, 31);
    for (int x = 0; x < 16; ++x)
        for (int y = 0; y < 32; ++y) image.At(x, y) = CombineColours(image.At(2 * x, y), image.At(2 * x + 1, y), key);
    for (int x = 0; x < 16; ++x)
        for (int y = 0; y < 16; ++y) image.At(x, y) = CombineColours(image.At(x, 2 * y), image.At(x, 2 * y + 1), key);

    PixelImage small;
    small.width = small.height = 16;
    small.pixels.resize(16u * 16u);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) small.At(x, y) = image.At(x, y);
    image = std::move(small);
    return true;
}

bool DoubleBitmap(PixelImage& image)
{
    if (image.width != 32 || image.height != 32 || image.pixels.size() != 32u * 32u) return false;
    PixelImage big;
    big.width = big.height = 64;
    big.pixels.resize(64u * 64u);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) big.At(x, y) = image.At(x / 2, y / 2);
    image = std::move(big);
    return true;
}
