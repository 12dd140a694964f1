// Stand-in until the hotkeys are registered: the controller already calls these at the
// right moments.
#include "app/hotkeys_win.h"

void RegisterHotkeys() {}

void UnregisterHotkeys() {}
