// Opens the windows of a running mgoldwk.exe for screenshots, one step per call:
//   window_driver settings <rect file>         opens the settings, selects the first menu
//                                              and its second item
//   window_driver open <button> <class> <rect file> [<owner class>]
//                                              clicks that button of the settings (or of
//                                              the shown owner) and waits for the dialog
//                                              of that class
//   window_driver close <class>                closes that window
//   window_driver tab <class> <rect file>      clicks the second tab of that window's tab control
//   window_driver quick <letters> <rect file>  opens the quick-launch box and types the letters
//   window_driver start <folder> <program>     starts the program with LOCALAPPDATA there (the
//                                              prefix's registry would win over a Unix variable)
//   window_driver box <text> <rect file> <id>  waits for the program's message box whose text
//                                              begins so, writes its rectangle, then presses
//                                              button <id> once the rectangle is taken
// The window's screen rectangle goes to the file as "left top right bottom". Exit code 0
// when that worked. It must run on the same Wine desktop as the program.
#include "wait_for.h"

#include <windows.h>
#include <shellapi.h>
#include <commctrl.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

HWND Shown(const wchar_t* className)
{
    HWND hwnd = FindWindowW(className, nullptr);
    return hwnd && IsWindowVisible(hwnd) ? hwnd : nullptr;
}

HWND Child(HWND parent, const wchar_t* className, const wchar_t* text)
{
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        wchar_t cls[64] = {}, caption[256] = {};
        GetClassNameW(c, cls, 64);
        GetWindowTextW(c, caption, 256);
        if (lstrcmpiW(cls, className) == 0 && (!text || std::wcscmp(caption, text) == 0)) return c;
    }
    return nullptr;
}

// A click at a point given at 100 % scaling, at the screen's scale.
void ClickAt(HWND window, int x, int y)
{
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    x = MulDiv(x, dpi, 96);
    y = MulDiv(y, dpi, 96);
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

bool WriteRect(HWND window, const wchar_t* file)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    FILE* out = _wfopen(file, L"w");
    if (!out) return false;
    std::fprintf(out, "%ld %ld %ld %ld\n", rect.left, rect.top, rect.right, rect.bottom);
    return std::fclose(out) == 0;
}

// A click on the picture of the item at `index` of a list in icon view, wherever the
// scale puts it: the items fill rows of the list's icon spacing.
void ClickIconItem(HWND list, int index)
{
    const DWORD spacing = static_cast<DWORD>(SendMessageW(list, LVM_GETITEMSPACING, FALSE, 0));
    const int cx = LOWORD(spacing), cy = HIWORD(spacing);
    RECT client{};
    GetClientRect(list, &client);
    const int columns = cx > 0 && client.right >= cx ? client.right / cx : 1;
    const int x = (index % columns) * cx + cx / 2, y = (index / columns) * cy + cy / 4;
    PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

// What choosing a fixed command in the first popup menu sends; false without the program.
bool ChooseCommand(WPARAM command)
{
    HWND main = nullptr;
    if (!WaitFor([&] { return (main = FindWindowW(L"THaupt", L"Marigoldwick")) != nullptr; }, 30000)) return false;
    Sleep(1000);
    PostMessageW(main, WM_USER + 2, 0, 0);
    PostMessageW(main, WM_CANCELMODE, 0, 0);
    PostMessageW(main, WM_COMMAND, command, 0);
    return true;
}

// The letters reach the box's edit as the characters a keyboard of any script sends.
int OpenQuickBox(const wchar_t* letters, const wchar_t* rectFile)
{
    HWND box = nullptr;
    if (!ChooseCommand(1902) || !WaitFor([&] { return (box = Shown(L"TQuickBox")) != nullptr; }, 10000)) return 4;
    HWND edit = FindWindowExW(box, nullptr, L"Edit", nullptr);
    for (const wchar_t* c = letters; *c; ++c) PostMessageW(edit, WM_CHAR, *c, 1);
    Sleep(1000);
    // The box closes when it loses the foreground: then there is nothing to show.
    return Shown(L"TQuickBox") && WriteRect(box, rectFile) ? 0 : 5;
}

int OpenSettings(const wchar_t* rectFile)
{
    // "&Settings...".
    if (!ChooseCommand(1900)) return 3;
    HWND settings = nullptr;
    if (!WaitFor([&] { return (settings = Shown(L"TfrmKonfig")) != nullptr; }, 10000)) return 4;
    Sleep(500);
    // The lists are the only list views: the menus first, then the items.
    HWND menus = Child(settings, L"SysListView32", nullptr);
    HWND items = nullptr;
    for (HWND c = menus ? GetWindow(menus, GW_HWNDNEXT) : nullptr; c; c = GetWindow(c, GW_HWNDNEXT)) {
        wchar_t cls[64] = {};
        GetClassNameW(c, cls, 64);
        if (lstrcmpiW(cls, L"SysListView32") == 0) {
            items = c;
            break;
        }
    }
    if (!menus || !items) return 5;
    ClickAt(menus, 12, 8);
    Sleep(500);
    ClickIconItem(items, 1);
    Sleep(1000);
    if (SendMessageW(items, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED) != 1) return 7;
    return WriteRect(settings, rectFile) ? 0 : 6;
}

// The shown settings window with its last menu selected, as End in the menu list does.
int SelectLastMenu(const wchar_t* rectFile)
{
    HWND settings = Shown(L"TfrmKonfig");
    HWND menus = settings ? Child(settings, L"SysListView32", nullptr) : nullptr;
    if (!menus) return 3;
    PostMessageW(menus, WM_KEYDOWN, VK_END, 1);
    Sleep(1000);
    return WriteRect(settings, rectFile) ? 0 : 6;
}

// The button lies in the settings window unless another shown window is named.
int OpenDialog(const wchar_t* button, const wchar_t* className, const wchar_t* rectFile,
               const wchar_t* owner = L"TfrmKonfig")
{
    HWND settings = Shown(owner);
    HWND control = settings ? Child(settings, L"Button", button) : nullptr;
    if (!control) return 3;
    PostMessageW(settings, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), BN_CLICKED),
                 reinterpret_cast<LPARAM>(control));
    HWND dialog = nullptr;
    if (!WaitFor([&] { return (dialog = Shown(className)) != nullptr; }, 10000)) return 4;
    Sleep(700);
    return WriteRect(dialog, rectFile) ? 0 : 6;
}

// The program's message boxes are dialogs (#32770) captioned with its name.
HWND MessageBoxBeginning(const wchar_t* text)
{
    HWND found = nullptr;
    WaitFor([&] {
        for (HWND box = FindWindowW(L"#32770", nullptr); box && !found; box = FindWindowExW(nullptr, box, L"#32770", nullptr)) {
            wchar_t shown[512] = {};
            GetDlgItemTextW(box, 0xFFFF, shown, 512);
            if (IsWindowVisible(box) && std::wcsncmp(shown, text, std::wcslen(text)) == 0) found = box;
        }
        return found != nullptr;
    }, 15000);
    return found;
}

int ShootMessageBox(const wchar_t* text, const wchar_t* rectFile, int button)
{
    HWND box = MessageBoxBeginning(text);
    if (!box) return 3;
    Sleep(500);  // painted
    if (!WriteRect(box, rectFile)) return 6;
    // The shot is taken from the file's appearance: give it time before the box goes.
    Sleep(3000);
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // Screen pixels, not ones scaled to 96 DPI: the rectangles are cropped from the screen.
    SetProcessDPIAware();
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return 2;
    struct Free {
        LPWSTR* argv;
        ~Free() { LocalFree(argv); }
    } free{argv};
    if (argc == 3 && std::wcscmp(argv[1], L"settings") == 0) return OpenSettings(argv[2]);
    if (argc == 3 && std::wcscmp(argv[1], L"last-menu") == 0) return SelectLastMenu(argv[2]);
    if (argc == 5 && std::wcscmp(argv[1], L"open") == 0) return OpenDialog(argv[2], argv[3], argv[4]);
    if (argc == 6 && std::wcscmp(argv[1], L"open") == 0) return OpenDialog(argv[2], argv[3], argv[4], argv[5]);
    if (argc == 4 && std::wcscmp(argv[1], L"quick") == 0) return OpenQuickBox(argv[2], argv[3]);
    if (argc == 4 && std::wcscmp(argv[1], L"start") == 0) {
        SetEnvironmentVariableW(L"LOCALAPPDATA", argv[2]);
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION started{};
        std::wstring line = L"\"" + std::wstring(argv[3]) + L"\"";
        if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
            return 3;
        CloseHandle(started.hThread);
        CloseHandle(started.hProcess);
        return 0;
    }
    if (argc == 5 && std::wcscmp(argv[1], L"box") == 0) return ShootMessageBox(argv[2], argv[3], _wtoi(argv[4]));
    if (argc == 4 && std::wcscmp(argv[1], L"tab") == 0) {
        HWND window = Shown(argv[2]);
        HWND tabs = window ? Child(window, L"SysTabControl32", nullptr) : nullptr;
        if (!tabs) return 3;
        ClickAt(tabs, 110, 10);
        if (!WaitFor([&] { return SendMessageW(tabs, TCM_GETCURSEL, 0, 0) == 1; }, 5000)) return 4;
        Sleep(500);
        return WriteRect(window, argv[3]) ? 0 : 6;
    }
    if (argc == 3 && std::wcscmp(argv[1], L"close") == 0) {
        HWND window = Shown(argv[2]);
        if (!window) return 3;
        PostMessageW(window, WM_CLOSE, 0, 0);
        return WaitFor([&] { return Shown(argv[2]) == nullptr; }, 5000) ? 0 : 4;
    }
    return 2;
}
