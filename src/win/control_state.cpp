#include "win/control_state.h"

#include "win/text_conversion.h"

#include <algorithm>
#include <string>

std::optional<int> ScrollBarRequest(HWND bar, WPARAM wParam)
{
    int minimum = 0, maximum = 0;
    GetScrollRange(bar, SB_CTL, &minimum, &maximum);
    int pos = GetScrollPos(bar, SB_CTL);
    int next = pos;
    switch (LOWORD(wParam)) {
    case SB_LINEUP:
    case SB_PAGEUP: next = pos - 1; break;
    case SB_LINEDOWN:
    case SB_PAGEDOWN: next = pos + 1; break;
    case SB_TOP: next = minimum; break;
    case SB_BOTTOM: next = maximum; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: next = static_cast<short>(HIWORD(wParam)); break;
    default: return std::nullopt;
    }
    next = std::clamp(next, minimum, maximum);
    if (next == pos) return std::nullopt;
    return next;
}

std::string ControlText(HWND control)
{
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return Utf8(text);
}

void SetControlText(HWND control, std::string_view text) { SetWindowTextW(control, Wide(text).c_str()); }

bool IsButtonChecked(HWND button) { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void SetButtonChecked(HWND button, bool checked)
{
    SendMessageW(button, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}
