// The icon of a popup entry, from its path or identifier list and its icon settings.
#pragma once

#include "menus/bitmap_scale.h"
#include "menus/entry_icon_rules.h"
#include "win/handles.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The entry's icon, owned by the caller; a copy of `placeholder` when none can be had
// (null only when that copy fails too). Icon number -99 asks for the item's default
// icon: a program's first icon, the shell's icon of a document, the shell's icon of an
// identifier list.
[[nodiscard]] UniqueIcon GetEntryIcon(std::string_view path, bool isPidl, int32_t iconNum,
                                      const std::string& iconPath, HICON placeholder);

// Which picture the entry shows, as text: entries with equal keys share one picture.
// Empty: the entry shows the placeholder. Safe on a worker thread.
[[nodiscard]] std::string EntryPictureKey(const EntryIconRequest& request);
// The entry's picture at exactly size x size pixels, 0xAARRGGBB straight (not
// premultiplied) alpha, rows top down: the source's own picture of that size, else its
// nearest larger one scaled down, else its largest scaled up. Nothing when none can be
// had (the caller shows the placeholder). Safe on a worker thread.
[[nodiscard]] std::optional<PixelImage> MakeEntryPicture(const EntryIconRequest& request, int size);
