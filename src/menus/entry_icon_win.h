// The icon of a popup entry, from its path or identifier list and its icon settings.
#pragma once

#include "menus/entry_icon_rules.h"
#include "win/handles.h"

#include <cstdint>
#include <string>
#include <string_view>

// The entry's icon, owned by the caller; a copy of `placeholder` when none can be had
// (null only when that copy fails too). Icon number -99 asks for the item's default
// icon: a program's first icon, the shell's icon of a document, the shell's icon of an
// identifier list.
[[nodiscard]] UniqueIcon GetEntryIcon(std::string_view path, bool isPidl, int32_t iconNum,
                                      const std::string& iconPath, HICON placeholder);
