// The shell's icon picker (shell32 ordinal 62).
#pragma once

#include "win/handles.h"

#include <optional>
#include <string>

// Paths longer than this (in UTF-16 units) are cut to it before the picker sees them.
inline constexpr int PickerPathLimit = 260;

// Gets the path and the start index; true when the user chose, with the choice in both.
bool ShellPickIcon(HWND owner, std::string& path, int& index);

// As ShellPickIcon, but none when the system has no picker or cannot run it (a stub).
std::optional<bool> TryShellPickIcon(HWND owner, std::string& path, int& index);

// Whether the system's picker is worth asking at all. Its "no" means both "cancelled" and
// "could not show itself", so a caller cannot tell a failure by the answer: Wine's picker
// shows nothing and returns at once, so under Wine (and without a working picker) the
// program's own picker is used; on Windows the system's stays.
bool SystemIconPickerUsable();
