// The system's message font: the font of message boxes and dialogs, in which every window
// of the program shows its text. Drawn through the system's text calls, it gets the
// system's font linking and fallback for characters it lacks.
#pragma once

#include "win/handles.h"

#include <windows.h>

// The size the forms' tables give the message font, in pixels at 96 DPI: a table's font of
// another size is the message font scaled by size / DesignedMessagePixels.
inline constexpr int DesignedMessagePixels = 11;

// The message font for a window at `dpi`: the system's own for that DPI where it can say,
// else the one for the screen's DPI, scaled.
LOGFONTW MessageFont(UINT dpi);
// `base` at `pixels` designed pixels (see DesignedMessagePixels), with that weight.
UniqueGdiObject DerivedFont(const LOGFONTW& base, int pixels, int weight, bool underline = false);
bool SameFont(const LOGFONTW& a, const LOGFONTW& b);
