// The theme the program draws in now: the user's choice against the system's light or
// dark setting and high contrast, read again whenever the system announces a change.
#pragma once

#include "config/theme_rules.h"

#include <windows.h>

#include <optional>

// Reads the system's theme values and high contrast again and decides with the Theme
// option. True when the decision changed.
bool RefreshTheme();
ThemeDecision CurrentTheme();
// The system's light/dark values and high contrast as they are now.
SystemTheme ReadSystemTheme();

// The colours one kind of surface draws with. Light and high contrast take the system's
// colours (high contrast nothing else); dark takes the program's palette.
struct SurfaceColours {
    COLORREF back, text, selectedBack, selectedText, grayText, line;
    COLORREF listBack, listText;  // an owner-drawn list (the quick-launch box)
    COLORREF quietText;           // its secondary text, on listBack
    bool dark;
};
SurfaceColours ColoursFor(PaletteKind kind);
inline SurfaceColours SurfaceColoursNow() { return ColoursFor(CurrentTheme().surfaces); }
// A solid brush of that colour, kept for the program's life: menus hold theirs as long
// as they exist.
HBRUSH SolidBrush(COLORREF colour);

// For a window of the settings kind, before its own handling: follows the theme of the
// apps when shown and on the system's announcements, and colours its controls while dark.
// An answer means the message was handled.
std::optional<LRESULT> WindowThemeMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

// A window of the settings kind in the theme of the apps: its title bar (where the
// desktop window manager offers a dark one), its list views, edits and buttons. The
// window manager's answer to the title bar, none where it has no such call or the
// window was never dark.
std::optional<HRESULT> ApplyWindowTheme(HWND window, bool dark);
// WM_CTLCOLOR* of such a window while dark: the brush and colours, or nothing (light).
std::optional<LRESULT> DarkControlColour(UINT msg, WPARAM wParam, bool dark);
