// The system's side of type-ahead: its case rule and the character a key message carries.
#pragma once

#include <windows.h>

// The capital form by the system's rule (CharUpperBuffW), for letters outside A-Z too.
char32_t FoldBySystem(char32_t c);

// The character of WM_CHAR or WM_MENUCHAR sent to `window`: UTF-16 for a wide window, a
// byte of the system code page for an 8-bit one.
char32_t TypedCharacter(HWND window, WORD code);
