#include "win/application.h"

namespace {
HWND g_mainWindow = nullptr;
}

HWND MainWindow() { return g_mainWindow; }

void SetMainWindow(HWND window) { g_mainWindow = window; }

void ProcessPendingMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

int RunMessageLoop()
{
    MSG msg;
    for (;;) {
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(msg.wParam);
        if (got == -1) return 1;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void TerminateApplication(int exitCode) { PostQuitMessage(exitCode); }
