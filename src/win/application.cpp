#include "win/application.h"

#include "win/text_conversion.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {
HWND g_mainWindow = nullptr;
}

HWND MainWindow() { return g_mainWindow; }

void SetMainWindow(HWND window) { g_mainWindow = window; }

void ProcessPendingMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

int RunMessageLoop()
{
    MSG msg;
    for (;;) {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(msg.wParam);
        if (got == -1) return 1;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void TerminateApplication(int exitCode) { PostQuitMessage(exitCode); }

void FailFast(std::string_view message)
{
    std::string line = std::string(ProgramTitle) + ": " + std::string(message) + "\n";
    OutputDebugStringW(Wide(line).c_str());
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
    if (IsDebuggerPresent()) DebugBreak();
    // Not abort(): the C runtime's abort puts up a box in a GUI program first, and
    // nothing may wait for a user here.
    std::_Exit(3);
}
