// The shell's icon picker (shell32 ordinal 62).
#pragma once

#include "win/handles.h"

#include <string>

// Paths longer than this are cut to it before the picker sees them.
inline constexpr int PickerPathLimit = 260;

// Gets the path and the start index; true when the user chose, with the choice in both.
// The picker takes a wide path on the NT family and an 8-bit one otherwise.
bool ShellPickIcon(HWND owner, std::string& path, int& index);
