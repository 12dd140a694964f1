// Loading and saving the configuration file next to the program, and the Run value.
#pragma once

#include "config/globalvar_win.h"  // InitVersionFlags

#include <string>

enum class ReadResult { Ok, Missing, Failed };
// The whole file (up to 256 MB), shared with writers.
ReadResult ReadWholeFile(const std::string& path, std::string& bytes);
// Writes a temporary file beside the target and moves it over the target, so a
// failure at any point leaves the previous file whole.
[[nodiscard]] bool ReplaceFileContents(const std::string& path, const std::string& bytes);

// Reads IniFile into Konfig and MenuList (expected empty). False when anything could
// not be read; what was read stays in the model.
[[nodiscard]] bool LoadConfig();
// Writes the model to IniFile in one go (a temporary file replaces the old one), then
// updates the Run value. False when either failed; a failed file write leaves the old
// file as it was and the Run value untouched.
[[nodiscard]] bool SaveConfig();
// Reads the file at `path` into Konfig and MenuList (expected empty), as LoadConfig does.
[[nodiscard]] bool LoadConfigFrom(const std::string& path);
// Writes the model as SaveConfig does, but to `path` (a temporary file replaces it) and
// without touching IniFile or the Run value.
[[nodiscard]] bool SaveConfigCopy(const std::string& path);
// True while SaveConfig is writing: the session should not end under it.
[[nodiscard]] bool ConfigSaveUnderWay();
// Whether saving now would change the file: the model against IniFile as it is (a
// missing file is an empty one, an unreadable one counts as changed). Writes nothing.
[[nodiscard]] bool ConfigChangedSinceSave();
// Writes the "Marigoldwick" Run value (the program's path in quotes) or removes it, from
// Konfig.SelfAutostart; an earlier version's bare path counts as this program's value.
[[nodiscard]] bool UpdateRunKey();
