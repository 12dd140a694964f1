#include "main_window_driver.h"

#include "win/command_ids.h"

void PopUpAndClose(HWND main, WPARAM menu)
{
    PostMessageW(main, WM_CANCELMODE, 0, 0);
    SendMessageW(main, WmShowPopup, menu, 0);
}

void SendCommand(HWND main, WORD command) { SendMessageW(main, WM_COMMAND, MAKEWPARAM(command, 0), 0); }

bool TakeQuitMessage()
{
    MSG msg;
    return PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
}
