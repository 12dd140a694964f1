// The directory of an icon: the pictures an icon file (.ico) or an icon group resource of
// a program or library offers, and which of them to draw at a given size.
// Platform-neutral.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

struct IconDirEntry {
    int width = 0;   // a stored 0 means 256
    int height = 0;
    int bitCount = 0;
    uint32_t bytes = 0;
    uint32_t where = 0;  // offset in an icon file; the icon's resource id in a group
};

// The entries of an icon file's directory (`group` false: 16-byte entries holding
// offsets) or of an icon group resource (true: 14-byte entries holding resource ids);
// empty when the bytes are neither, or list no picture.
std::vector<IconDirEntry> ParseIconDirectory(std::string_view bytes, bool group);

// The entry to draw at size x size: the smallest at least that large (the most colours
// among equals), else the largest smaller one. Nothing for no entries.
std::optional<std::size_t> ChooseIconEntry(const std::vector<IconDirEntry>& entries, int size);

// The picture bytes of an icon file entry; nothing when they lie outside the file.
std::optional<std::string_view> IconFileImage(std::string_view file, const IconDirEntry& entry);

struct PixelImage;
// One picture of an icon in its stored device-independent bitmap form (colour rows
// bottom up, then the transparency mask), as 0xAARRGGBB straight alpha: 32-bit pictures
// keep their alpha unless it is all zero, others take it from the mask. Nothing for a
// compressed, PNG or cut-short picture: the system must read those.
std::optional<PixelImage> DecodeIconImage(std::string_view bits);
