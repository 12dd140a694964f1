// The platform-neutral parts of the notification icons and hotkeys: what a click on an
// icon does and what RegisterHotKey gets for a stored hotkey value.
#pragma once

#include <cstdint>

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

// The mouse events an icon reports in the low word of its callback message's lParam
// (WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONUP).
inline constexpr unsigned MouseLeftDown = 0x0201;
inline constexpr unsigned MouseLeftUp = 0x0202;
inline constexpr unsigned MouseLeftDoubleClick = 0x0203;
inline constexpr unsigned MouseRightUp = 0x0205;

// And what every icon reports once it asked for NOTIFYICON_VERSION_4: NIN_SELECT,
// NIN_KEYSELECT (Enter or Space on the icon) and WM_CONTEXTMENU (Shift+F10, the Apps key).
// Shells send NIN_SELECT after each left-button release (some after the press) and
// WM_CONTEXTMENU after each right-button release too: those echo the mouse.
inline constexpr unsigned IconSelect = 0x0400;
inline constexpr unsigned IconKeySelect = 0x0401;
inline constexpr unsigned IconContextMenu = 0x007B;
// Whether the event came from the keyboard, given the one the same icon reported before it
// (the popup then opens at the icon, not at the cursor).
bool IsKeyboardEvent(unsigned iconEvent, unsigned previousEvent);

enum class TrayClickAction { None, Popup, StartFirstEntry, ToolsPopup };
// What a mouse event on an icon does. The right button always pops up the menu; the left
// one acts on its release with SingleLeftClick, else on its double click, and then does
// what the menu's left-click behaviour says (lcb 2: pop up, 3: start the first entry,
// anything else: nothing). The tools icon has no behaviour of its own: its left click
// pops up too, but never on a double click.
TrayClickAction ClickActionFor(unsigned mouseMessage, bool singleLeftClick, int lcb, bool toolsIcon);

struct TrayIconState {
    bool singleLeftClick = false;
    int lcb = 0;
    bool toolsIcon = false;   // the event is the tools icon's
    bool toolsShown = false;  // the tools icon is in the notification area
};
// Any event on an icon, after `previousEvent` on the same one: the mouse's as
// ClickActionFor says, its echoes nothing; Enter or Space pops up the icon's own menu; the
// context-menu key pops up the tools menu while its icon is there, else does what the
// right button does.
TrayClickAction IconEventActionFor(unsigned iconEvent, unsigned previousEvent, const TrayIconState& icon);

enum class OwnIconAction { None, Reveal, Popup };
// What an event on the program's own icon does: a left click or a selection from the
// keyboard shows the program (its settings window, or what it is busy with); the right
// button or the context-menu key pops up its menu. A double click's first release has
// already shown it.
OwnIconAction OwnIconActionFor(unsigned iconEvent, unsigned previousEvent);
