// The menus' global hotkeys, registered on the main window with the menu index as id.
#pragma once

// Registers every menu's hotkey; a refused one is reported naming its menu.
void RegisterHotkeys();
// Unregisters what RegisterHotkeys registered.
void UnregisterHotkeys();
