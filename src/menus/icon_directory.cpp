#include "menus/icon_directory.h"

#include "menus/bitmap_scale.h"

namespace {

uint32_t Word(std::string_view bytes, std::size_t at)
{
    return static_cast<uint32_t>(static_cast<unsigned char>(bytes[at])) |
           static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8;
}

uint32_t Dword(std::string_view bytes, std::size_t at) { return Word(bytes, at) | Word(bytes, at + 2) << 16; }

int Side(std::string_view bytes, std::size_t at)
{
    const int stored = static_cast<unsigned char>(bytes[at]);
    return stored == 0 ? 256 : stored;
}

// Old files leave the bit count 0 and give the palette size instead.
int BitCount(uint32_t stored, uint32_t colours)
{
    if (stored != 0) return static_cast<int>(stored);
    if (colours == 2) return 1;
    if (colours == 16) return 4;
    return 8;
}

}  // namespace

std::vector<IconDirEntry> ParseIconDirectory(std::string_view bytes, bool group)
{
    constexpr std::size_t header = 6;
    const std::size_t entrySize = group ? 14 : 16;
    if (bytes.size() < header || Word(bytes, 0) != 0 || Word(bytes, 2) != 1) return {};
    const std::size_t count = Word(bytes, 4);
    if (bytes.size() < header + count * entrySize) return {};
    std::vector<IconDirEntry> entries;
    entries.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = header + i * entrySize;
        IconDirEntry e;
        e.width = Side(bytes, at);
        e.height = Side(bytes, at + 1);
        e.bitCount = BitCount(Word(bytes, at + 6), static_cast<unsigned char>(bytes[at + 2]));
        e.bytes = Dword(bytes, at + 8);
        e.where = group ? Word(bytes, at + 12) : Dword(bytes, at + 12);
        entries.push_back(e);
    }
    return entries;
}

std::optional<std::size_t> ChooseIconEntry(const std::vector<IconDirEntry>& entries, int size)
{
    std::optional<std::size_t> best;
    const auto better = [size](const IconDirEntry& a, const IconDirEntry& b) {
        const bool aFits = a.width >= size, bFits = b.width >= size;
        if (aFits != bFits) return aFits;
        if (a.width != b.width) return aFits ? a.width < b.width : a.width > b.width;
        return a.bitCount > b.bitCount;
    };
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (!best || better(entries[i], entries[*best])) best = i;
    return best;
}

std::optional<std::string_view> IconFileImage(std::string_view file, const IconDirEntry& entry)
{
    if (entry.bytes == 0 || entry.where > file.size() || entry.bytes > file.size() - entry.where) return std::nullopt;
    return file.substr(entry.where, entry.bytes);
}

std::optional<PixelImage> DecodeIconImage(std::string_view bits)
{
    constexpr std::size_t header = 40;
    if (bits.size() < header || Dword(bits, 0) != header) return std::nullopt;
    const auto width = static_cast<int32_t>(Dword(bits, 4)), doubled = static_cast<int32_t>(Dword(bits, 8));
    const uint32_t bitCount = Word(bits, 14), compression = Dword(bits, 16), used = Dword(bits, 32);
    // The height counts the colour rows and the mask rows; a picture beyond 1024 is no icon.
    if (width <= 0 || width > 1024 || doubled <= 0 || doubled > 2048 || doubled % 2 || compression != 0)
        return std::nullopt;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32) return std::nullopt;
    const int height = doubled / 2;
    const std::size_t colours = bitCount <= 8 ? (used && used <= (1u << bitCount) ? used : 1u << bitCount) : 0;
    const std::size_t palette = header, pixels = palette + 4 * colours;
    const std::size_t stride = (static_cast<std::size_t>(width) * bitCount + 31) / 32 * 4;
    const std::size_t maskStride = (static_cast<std::size_t>(width) + 31) / 32 * 4;
    const std::size_t mask = pixels + stride * static_cast<std::size_t>(height);
    const bool hasMask = bits.size() >= mask + maskStride * static_cast<std::size_t>(height);
    if (bits.size() < mask || (!hasMask && bitCount != 32)) return std::nullopt;

    const auto byte = [&bits](std::size_t at) { return static_cast<uint32_t>(static_cast<unsigned char>(bits[at])); };
    bool alpha = false;
    if (bitCount == 32)
        for (std::size_t at = pixels + 3; at < mask; at += 4) alpha = alpha || byte(at) != 0;
    if (bitCount == 32 && !alpha && !hasMask) return std::nullopt;

    PixelImage image{width, height, std::vector<uint32_t>(static_cast<std::size_t>(width) * height)};
    for (int y = 0; y < height; ++y) {
        const std::size_t row = pixels + stride * static_cast<std::size_t>(height - 1 - y);
        const std::size_t maskRow = mask + maskStride * static_cast<std::size_t>(height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const auto ux = static_cast<std::size_t>(x);
            uint32_t rgb = 0, a = 255;
            if (bitCount >= 24) {
                const std::size_t at = row + ux * (bitCount / 8);
                rgb = byte(at + 2) << 16 | byte(at + 1) << 8 | byte(at);
                if (alpha) a = byte(at + 3);
            } else {
                const std::size_t bit = ux * bitCount;
                const uint32_t index = (byte(row + bit / 8) >> (8 - bitCount - bit % 8)) & ((1u << bitCount) - 1);
                if (index >= colours) return std::nullopt;
                const std::size_t at = palette + 4 * index;
                rgb = byte(at + 2) << 16 | byte(at + 1) << 8 | byte(at);
            }
            if (!alpha && (byte(maskRow + ux / 8) >> (7 - ux % 8)) & 1) a = 0;
            image.At(x, y) = a == 0 ? 0 : a << 24 | rgb;
        }
    }
    return image;
}
