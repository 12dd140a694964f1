// Stand-in until the popup menus and notification icons exist: the controller already
// calls these at the right moments.
#include "menus/menus_win.h"

void BuildMenus() {}

void DestroyMenus() {}

void ShowPopupMenu(int) {}
