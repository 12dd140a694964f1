// The settings window's table: its controls, how they follow a larger window, and the
// pictures on its buttons.
#pragma once

#include "settings/konfig_shared_win.h"
#include "win/anchor_layout.h"

#include <commctrl.h>

#include <optional>
#include <span>

std::span<const ControlRow<KonfigControl>> KonfigControls();
std::span<const NameRow<KonfigControl>> KonfigNames();
// How the control follows a larger window; a control without an anchor of its own moves
// as its nearest container does.
std::optional<Anchor> KonfigAnchor(KonfigControl control);

// A button's picture, by its cell in the program's glyph strip.
struct GlyphRow {
    KonfigControl button;
    int cell;
    bool right = false;
};
std::span<const GlyphRow> KonfigGlyphs();
