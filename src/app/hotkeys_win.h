// The menus' global hotkeys, registered on the main window with the menu index as id.
#pragma once

void RegisterHotkeys();
void UnregisterHotkeys();
