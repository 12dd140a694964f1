#include "menus/icon_directory.h"

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
