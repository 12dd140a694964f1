// The menus' global hotkeys, registered on the main window with the menu index as id,
// and the quick-launch box's.
#pragma once

// Above every menu index a hotkey message can carry.
inline constexpr int QuickLaunchHotkeyId = 0x100;

// Registers every menu's hotkey and the quick-launch box's; a refused one is reported
// naming its menu (or the box).
void RegisterHotkeys();
// The name a refused quick-launch hotkey is reported under.
inline constexpr char QuickLaunchHotkeyName[] = "Quick launch";
// Unregisters what RegisterHotkeys registered.
void UnregisterHotkeys();
