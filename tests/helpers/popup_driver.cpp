// Opens a popup menu of a running mgoldwk.exe as a right click on its notification icon
// does and highlights an entry with the arrow keys, for screenshots:
//   popup_driver <icon tip> <menu index> <x> <y> <down presses or keys> <rect file>
// The popup opens at (x, y); once the highlight is drawn the rectangle around the popup
// and its open submenus goes to the file as "left top right bottom". Keys are letters:
// d down, u up, r right (opens a submenu), l left. Exit code 0 when that worked.
// It must run on the same Wine desktop as the program: windows and input are per desktop.
#include "wait_for.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void Press(WORD key)
{
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = key;
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
}

HWND VisiblePopup()
{
    HWND popup = FindWindowA("#32768", nullptr);
    return popup && IsWindowVisible(popup) ? popup : nullptr;
}

RECT AllPopups()
{
    RECT all{};
    for (HWND popup = nullptr; (popup = FindWindowExA(nullptr, popup, "#32768", nullptr));) {
        RECT place{};
        if (IsWindowVisible(popup) && GetWindowRect(popup, &place)) UnionRect(&all, &all, &place);
    }
    return all;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 7) return 2;
    // Screen pixels, not ones scaled to 96 DPI: the cursor and the rectangle are on the screen.
    SetProcessDPIAware();
    const int menu = std::atoi(argv[2]);
    const int x = std::atoi(argv[3]), y = std::atoi(argv[4]);
    std::string keys = argv[5];
    if (!keys.empty() && keys[0] >= '0' && keys[0] <= '9') keys = std::string(std::atoi(argv[5]), 'd');

    HWND icon = nullptr;
    if (!WaitFor([&] { return (icon = FindWindowA("MarigoldwickTrayIcon", argv[1])) != nullptr; }, 30000)) return 3;
    // Entry icons are extracted in idle turns after start-up: let them arrive first.
    Sleep(2000);
    SetCursorPos(x, y);
    PostMessageA(icon, 1027 + menu, 0, WM_RBUTTONUP);
    HWND popup = nullptr;
    if (!WaitFor([&] { return (popup = VisiblePopup()) != nullptr; }, 10000)) return 4;
    Sleep(300);
    for (char key : keys) {
        Press(key == 'r' ? VK_RIGHT : key == 'l' ? VK_LEFT : key == 'u' ? VK_UP : VK_DOWN);
        Sleep(key == 'r' ? 400 : 100);
    }
    Sleep(500);
    const RECT rect = AllPopups();
    FILE* out = std::fopen(argv[6], "w");
    if (!out) return 5;
    std::fprintf(out, "%ld %ld %ld %ld\n", rect.left, rect.top, rect.right, rect.bottom);
    return std::fclose(out) == 0 ? 0 : 5;
}
