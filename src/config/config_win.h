// Loading and saving the configuration file next to the program, and the Run value.
#pragma once

#include "config/globalvar_win.h"  // InitVersionFlags

// Reads IniFile into Konfig and MenuList (expected empty). False when anything could
// not be read; what was read stays in the model.
[[nodiscard]] bool LoadConfig();
// Writes the model to IniFile in one go (a temporary file replaces the old one), then
// updates the Run value. False when either failed; a failed file write leaves the old
// file as it was and the Run value untouched.
[[nodiscard]] bool SaveConfig();
// Whether saving now would change the file: the model against IniFile as it is (a
// missing file is an empty one, an unreadable one counts as changed). Writes nothing.
[[nodiscard]] bool ConfigChangedSinceSave();
// Writes the "Marigoldwick" Run value (the program's path in quotes) or removes it, from
// Konfig.SelfAutostart; an earlier version's bare path counts as this program's value.
[[nodiscard]] bool UpdateRunKey();
