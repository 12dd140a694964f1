// HotkeyValue (key code in bits 0-7, 8192 Shift, 16384 Ctrl, 32768 Alt) against the value
// of the system's hotkey control (key code in the low byte, HOTKEYF_* flags in the high byte).
#pragma once

#include <cstdint>
#include <optional>

constexpr uint16_t HotkeyShift = 8192, HotkeyCtrl = 16384, HotkeyAlt = 32768;
// The control's modifier flags (HOTKEYF_SHIFT, _CONTROL, _ALT, _EXT).
constexpr uint8_t ControlShift = 1, ControlCtrl = 2, ControlAlt = 4, ControlExt = 8;

// The control's value (HKM_GETHOTKEY) as a HotkeyValue; the extended-key flag is dropped.
uint16_t HotkeyValueFromControl(uint16_t controlValue);
// The value to give the control (HKM_SETHOTKEY) for a stored HotkeyValue.
uint16_t HotkeyValueToControl(uint16_t hotkey);
// A combination whose only modifier is Shift is invalid: the plain key stands for it.
uint16_t ApplyShiftOnlyRule(uint16_t controlValue);
// The control empties itself on Backspace, Tab, Enter, Esc, Space and Delete, or leaves
// them to the dialog, yet held with Ctrl or Alt they make combinations RegisterHotKey
// takes (Ctrl+Alt+Space). The control's value for such a press; none when the key keeps
// its meaning (Backspace or Delete empty the field, Tab moves on, Enter and Esc end it).
std::optional<uint16_t> ControlValueForRefusedKey(uint8_t key, uint8_t controlModifiers);
