#include "main_window_driver.h"

#include "app/haupt_win.h"

void PopUpAndClose(HWND main, WPARAM menu)
{
    PostMessageA(main, WM_CANCELMODE, 0, 0);
    SendMessageA(main, THaupt::WmShowPopup, menu, 0);
}

void SendCommand(HWND main, WORD command) { SendMessageA(main, WM_COMMAND, MAKEWPARAM(command, 0), 0); }

bool TakeQuitMessage()
{
    MSG msg;
    return PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
}
