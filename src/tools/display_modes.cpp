#include "tools/display_modes.h"

#include <cstdio>

DisplayModeRecord MakeDisplayModeRecord(int32_t bitsPerPel, int32_t width, int32_t height)
{
    DisplayModeRecord record;
    if (bitsPerPel > 0) {
        record.bitsPerPel = static_cast<uint32_t>(bitsPerPel);
        record.fields |= ModeBitsPerPel;
    }
    // Half a resolution is no resolution: both sides or neither.
    if (width > 0 && height > 0) {
        record.pelsWidth = static_cast<uint32_t>(width);
        record.pelsHeight = static_cast<uint32_t>(height);
        record.fields |= ModePelsWidth | ModePelsHeight;
    }
    return record;
}

std::string DisplayChangeResultText(int32_t result)
{
    switch (result) {
    case 0: return {};
    case 1: return "The computer must be restarted in order for the graphics mode to work.";
    case -1: return "The display driver failed the specified graphics mode.";
    case -2: return "The graphics mode is not supported.";
    case -3: return "Unable to write settings to the registry.";
    case -4: return "An invalid set of flags was passed in.";
    default: return "Unknown error.";
    }
}

std::string ConfigureCaption(int width, int height, int bitsPerPel)
{
    char text[64];
    std::snprintf(text, sizeof(text), "&Configure (%dx%d %d bit)", width, height, bitsPerPel);
    return text;
}
