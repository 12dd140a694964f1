// What quitting asks, from the popup menu, the tools menu or the settings window.
#pragma once

#include <windows.h>

// True when the program may end now. A configuration that differs from its file is
// offered for saving first (Yes saves, and a failed save keeps the program running so
// nothing is lost; No quits as it is; Cancel stays); otherwise `plainQuestion` is asked
// when AskBeforeQuit is set. While Windows ends the session nothing is asked or saved.
[[nodiscard]] bool ConfirmQuit(HWND owner, bool shutdownPending, const char* plainQuestion);
