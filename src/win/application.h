// Process-wide pieces of the running application: its main window and its message loop.
#pragma once

#include <windows.h>

#include <string_view>

// The program's name as the user sees it: the main window's title and the caption of
// its plain messages.
inline constexpr char ProgramTitle[] = "Marigoldwick";

// The window that owns the program's boxes and shell calls; null before it exists.
HWND MainWindow();
void SetMainWindow(HWND window);

// Dispatches what is already queued, once, without waiting. A WM_QUIT found on the
// way is put back so the loop that owns it still ends.
void ProcessPendingMessages();

// Runs until WM_QUIT and returns its exit code.
int RunMessageLoop();

// Ends the application: every message loop, nested ones first, sees WM_QUIT.
void TerminateApplication(int exitCode = 0);

// Ends the program at once for a fault in the program itself (never for a user's or
// the system's error): the message goes to the debugger and to stderr, the exit code
// is abort's 3.
[[noreturn]] void FailFast(std::string_view message);
