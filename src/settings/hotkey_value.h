// HotkeyValue (key code in bits 0-7, 8192 Shift, 16384 Ctrl, 32768 Alt) against the value
// of the system's hotkey control (key code in the low byte, HOTKEYF_* flags in the high byte).
#pragma once

#include <cstdint>

constexpr uint16_t HotkeyShift = 8192, HotkeyCtrl = 16384, HotkeyAlt = 32768;
// The control's modifier flags (HOTKEYF_SHIFT, _CONTROL, _ALT, _EXT).
constexpr uint8_t ControlShift = 1, ControlCtrl = 2, ControlAlt = 4, ControlExt = 8;

// The control's value (HKM_GETHOTKEY) as a HotkeyValue; the extended-key flag is dropped.
uint16_t HotkeyValueFromControl(uint16_t controlValue);
// The value to give the control (HKM_SETHOTKEY) for a stored HotkeyValue.
uint16_t HotkeyValueToControl(uint16_t hotkey);
// A combination whose only modifier is Shift is invalid: the plain key stands for it.
uint16_t ApplyShiftOnlyRule(uint16_t controlValue);
