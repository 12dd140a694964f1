// Which colours the program's surfaces draw in: the user's theme choice against the
// system's light or dark setting and high contrast. No system calls.
#pragma once

#include <cstdint>

enum class ThemeChoice : uint8_t { System = 0, Light = 1, Dark = 2 };
// A value read from the file; anything unknown follows the system.
ThemeChoice ThemeChoiceFrom(int value);

// What the system says. A missing registry value reads as light.
struct SystemTheme {
    bool systemLight = true;  // SystemUsesLightTheme: the taskbar and its menus
    bool appsLight = true;    // AppsUseLightTheme: application windows
    bool highContrast = false;
};

enum class PaletteKind {
    Light,         // the system's own colours, as the program always drew
    Dark,          // DarkPalette()
    HighContrast,  // only the system's colours, nothing of the program's own
};

struct ThemeDecision {
    PaletteKind surfaces;  // popup menus and the quick-launch box
    PaletteKind windows;   // the settings window and its dialogs
};
ThemeDecision DecideTheme(ThemeChoice choice, const SystemTheme& system);

// Colours as 0x00BBGGRR, as the system keeps them.
struct Palette {
    uint32_t window;        // behind the controls of a window
    uint32_t field;         // popups, lists, edits
    uint32_t text;
    uint32_t selectedBack;  // quiet: a lighter grey, not the accent colour
    uint32_t selectedText;
    uint32_t grayText;      // disabled entries, and the quick-launch box's menu names
    uint32_t line;          // separators and frames
};
const Palette& DarkPalette();

// The WCAG contrast ratio of two colours, from 1 to 21.
double ContrastRatio(uint32_t a, uint32_t b);
// Text that is secondary but not disabled (the quick-launch box's menu names): `text` moved
// toward `back` as far as it still reads at 7:1; `text` itself where it reads no better.
uint32_t QuietText(uint32_t text, uint32_t back);
