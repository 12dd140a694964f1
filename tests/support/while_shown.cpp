#include "while_shown.h"

#include <windows.h>

namespace {
std::function<void()> g_action;

void CALLBACK RunAction(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    std::function<void()> run = std::move(g_action);
    if (run) run();
}
}  // namespace

void WhileShown(std::function<void()> action)
{
    g_action = std::move(action);
    SetTimer(nullptr, 0, 10, RunAction);
}
