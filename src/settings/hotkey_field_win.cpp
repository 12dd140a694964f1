#include "settings/hotkey_field_win.h"

#include "settings/hotkey_value.h"

#include <commctrl.h>

#include <optional>

namespace {

uint8_t HeldModifiers()
{
    uint8_t mods = 0;
    if (GetKeyState(VK_SHIFT) < 0) mods |= ControlShift;
    if (GetKeyState(VK_CONTROL) < 0) mods |= ControlCtrl;
    if (GetKeyState(VK_MENU) < 0) mods |= ControlAlt;
    return mods;
}

std::optional<uint16_t> RefusedCombination(WPARAM key)
{
    if (key > 0xFF) return std::nullopt;
    return ControlValueForRefusedKey(static_cast<uint8_t>(key), HeldModifiers());
}

// TranslateMessage has already queued the key's character: with Ctrl or Alt held it means
// nothing to the field, and an Alt one would press the dialog button of that mnemonic.
void DropQueuedCharacters(HWND field)
{
    MSG queued;
    while (PeekMessageW(&queued, field, WM_CHAR, WM_DEADCHAR, PM_REMOVE) ||
           PeekMessageW(&queued, field, WM_SYSCHAR, WM_SYSDEADCHAR, PM_REMOVE)) {
    }
}

LRESULT CALLBACK FieldKeys(HWND field, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    switch (msg) {
    case WM_GETDLGCODE: {
        // Else IsDialogMessage takes Ctrl+Tab, Ctrl+Enter and Ctrl+Esc for the dialog.
        const auto* key = reinterpret_cast<const MSG*>(lParam);
        LRESULT code = DefSubclassProc(field, msg, wParam, lParam);
        if (key && key->message == WM_KEYDOWN && RefusedCombination(key->wParam)) code |= DLGC_WANTMESSAGE;
        return code;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        const bool combination = HeldModifiers() & (ControlCtrl | ControlAlt);
        if (std::optional<uint16_t> value = RefusedCombination(wParam)) {
            SendMessageW(field, HKM_SETHOTKEY, *value, 0);
            SendMessageW(GetParent(field), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(field), EN_CHANGE),
                         reinterpret_cast<LPARAM>(field));
            DropQueuedCharacters(field);
            return 0;
        }
        const LRESULT result = DefSubclassProc(field, msg, wParam, lParam);
        if (combination) DropQueuedCharacters(field);
        return result;
    }
    case WM_NCDESTROY:
        RemoveWindowSubclass(field, &FieldKeys, 1);
        break;
    default:
        break;
    }
    return DefSubclassProc(field, msg, wParam, lParam);
}

}  // namespace

void MakeHotkeyField(HWND control)
{
    SendMessageW(control, HKM_SETRULES, HKCOMB_S, MAKELPARAM(0, 0));
    SetWindowSubclass(control, &FieldKeys, 1, 0);
}
