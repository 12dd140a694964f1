#include "menus/type_ahead_win.h"

char32_t FoldBySystem(char32_t c)
{
    // Beyond the basic plane there is nothing the system would change one unit at a time.
    if (c > 0xFFFF || (c >= 0xD800 && c <= 0xDFFF)) return c;
    wchar_t unit = static_cast<wchar_t>(c);
    CharUpperBuffW(&unit, 1);
    return unit;
}

char32_t TypedCharacter(HWND window, WORD code)
{
    if (window && IsWindowUnicode(window)) return code;
    const char byte = static_cast<char>(LOBYTE(code));
    wchar_t unit = 0;
    return MultiByteToWideChar(CP_ACP, 0, &byte, 1, &unit, 1) == 1 ? unit : static_cast<unsigned char>(byte);
}
