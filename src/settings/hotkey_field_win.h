// The system's hotkey control as a field for global hotkeys.
#pragma once

#include <windows.h>

// Shift alone is no modifier (the plain key stands for it), and combinations with the keys
// the control refuses on its own (Ctrl+Alt+Space) are taken too.
void MakeHotkeyField(HWND control);
