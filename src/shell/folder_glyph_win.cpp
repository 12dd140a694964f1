#include "shell/folder_glyph_win.h"

#include <shellapi.h>

UniqueIcon ShellFolderGlyph()
{
    HICON glyph = nullptr;
    if (ExtractIconExW(L"shell32.dll", 4, nullptr, &glyph, 1) != 1) return nullptr;
    return UniqueIcon(glyph);
}
