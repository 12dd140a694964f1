// Geometry of the owner-drawn popup entries and the rule that splits a long popup menu
// into columns. Platform-neutral.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// u = iconSize / 16; entries are iconSize + 2u high (both scaled from 96 DPI to `dpi`).
int EntryHeight(int iconSize, int dpi = 96);
// MaxTextWidth + iconSize + 4u, widened so a huge text width cannot overflow.
int64_t ColumnWidth(int maxTextWidth, int iconSize, int dpi = 96);

struct ColumnLayoutInput {
    int iconSize = 16;
    int dpi = 96;        // of the screen the popups show on
    int maxTextWidth = 0;
    bool breakIfPossible = false;
    int workWidth = 0;   // work area, pixels
    int workHeight = 0;
    // Below the entries, in the last column: the separator and the fixed commands, pixels.
    int fixedHeight = 0;
    // The popup's own border and margins, above and below together, pixels.
    int frameHeight = 0;
};

// For every entry of a menu (true = separator), whether that entry starts a new column
// (MFT_MENUBARBREAK), and one more flag at the end: whether the fixed part below the
// entries starts a column of its own. Separators never start one and take no height; the
// first command entry never starts one. No column, the last with the fixed part included,
// is as high as the work area.
std::vector<bool> ColumnStarts(const std::vector<bool>& isSeparator, const ColumnLayoutInput& in);

// The description as measured: leading and trailing blanks and control characters removed.
std::string_view MeasuredDescription(std::string_view description);
