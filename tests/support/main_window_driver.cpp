#include "main_window_driver.h"

#include "win/command_ids.h"

void PopUpAndClose(HWND main, WPARAM menu)
{
    PostMessageA(main, WM_CANCELMODE, 0, 0);
    SendMessageA(main, WmShowPopup, menu, 0);
}

void SendCommand(HWND main, WORD command) { SendMessageA(main, WM_COMMAND, MAKEWPARAM(command, 0), 0); }

bool TakeQuitMessage()
{
    MSG msg;
    return PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
}
