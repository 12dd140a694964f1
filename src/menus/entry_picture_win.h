// An entry's picture at any size, read the same way on any thread: where it comes from
// and the file, program or shell list it is read from.
#pragma once

#include "menus/bitmap_scale.h"
#include "menus/entry_icon_rules.h"

#include <optional>
#include <string>

// Which picture the entry shows, as text: entries with equal keys share one picture.
// Empty: the entry shows the placeholder. Safe on a worker thread.
[[nodiscard]] std::string EntryPictureKey(const EntryIconRequest& request);
// The entry's picture at exactly size x size pixels, 0xAARRGGBB straight (not
// premultiplied) alpha, rows top down: the source's own picture of that size, else its
// nearest larger one scaled down, else its largest scaled up. Nothing when none can be
// had (the caller shows the placeholder). Safe on a worker thread.
[[nodiscard]] std::optional<PixelImage> MakeEntryPicture(const EntryIconRequest& request, int size);
