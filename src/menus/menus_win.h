// Popup menus and notification icons built from the model.
#pragma once

// Builds every menu's popup menu and notification icon, and the tools icon.
void BuildMenus();
// Removes all notification icons, the tools icon included, and all popup menus.
void DestroyMenus();
// Tracks the popup menu of that menu (255: the tools menu) at the saved cursor position.
void ShowPopupMenu(int menuIndex);
