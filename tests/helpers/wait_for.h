// Polls until the condition holds or the time is up; for the screenshot drivers.
#pragma once

#include <windows.h>

template <class Pred>
bool WaitFor(Pred pred, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (!pred()) {
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(50);
    }
    return true;
}
