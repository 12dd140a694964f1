// Reading and setting the state of common controls, texts in UTF-8.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

// The position a WM_VSCROLL/WM_HSCROLL of a scroll bar control asks for, kept within its
// range; none when it asks for no move.
std::optional<int> ScrollBarRequest(HWND bar, WPARAM wParam);

// A control's text, read and written through the wide calls; a button's check mark.
std::string ControlText(HWND control);
void SetControlText(HWND control, std::string_view text);
bool IsButtonChecked(HWND button);
void SetButtonChecked(HWND button, bool checked);
