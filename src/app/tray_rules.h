// The platform-neutral parts of the notification icons and hotkeys: what RegisterHotKey
// gets for a stored hotkey value and the tip text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// RegisterHotKey's modifier flags (MOD_ALT, MOD_CONTROL, MOD_SHIFT).
inline constexpr unsigned HotkeyModAlt = 1;
inline constexpr unsigned HotkeyModControl = 2;
inline constexpr unsigned HotkeyModShift = 4;

struct HotkeyRegistration {
    unsigned modifiers = 0;
    unsigned keyCode = 0;
    bool operator==(const HotkeyRegistration&) const = default;
};
// A stored value: key code in the low bits, 8192 Shift, 16384 Ctrl, 32768 Alt.
HotkeyRegistration HotkeyRegistrationFor(uint16_t hotkeyValue);

// The tip field of the first NOTIFYICONDATA holds 63 characters and a zero.
inline constexpr size_t TipCapacity = 63;
// The name itself when it fits, otherwise its beginning and "..." within TipCapacity.
std::string TipText(std::string_view name);

