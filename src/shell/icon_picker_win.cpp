#include "shell/icon_picker_win.h"

#include "win/text_conversion.h"

#include <algorithm>
#include <array>

namespace {
using PickIconDlgA = int(WINAPI*)(HWND, char*, UINT, int*);
using PickIconDlgW = int(WINAPI*)(HWND, wchar_t*, UINT, int*);

// The 9x family sets the top bit of the version.
bool OnNTFamily() { return (GetVersion() & 0x80000000u) == 0; }
}  // namespace

bool ShellPickIcon(HWND owner, std::string& path, int& index)
{
    HMODULE shell = GetModuleHandleA("shell32.dll");
    if (!shell) shell = LoadLibraryA("shell32.dll");
    FARPROC proc = shell ? GetProcAddress(shell, MAKEINTRESOURCEA(62)) : nullptr;
    if (!proc) return false;
    std::string text = path.substr(0, PickerPathLimit);
    int chosen = index;
    if (OnNTFamily()) {
        std::array<wchar_t, PickerPathLimit + 1> buffer{};
        MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, buffer.data(), PickerPathLimit);
        if (!reinterpret_cast<PickIconDlgW>(reinterpret_cast<void*>(proc))(owner, buffer.data(), PickerPathLimit,
                                                                           &chosen))
            return false;
        path = NarrowFromWide(buffer.data());
    } else {
        std::array<char, PickerPathLimit + 1> buffer{};
        std::copy(text.begin(), text.end(), buffer.begin());
        if (!reinterpret_cast<PickIconDlgA>(reinterpret_cast<void*>(proc))(owner, buffer.data(), PickerPathLimit,
                                                                           &chosen))
            return false;
        path = buffer.data();
    }
    index = chosen;
    return true;
}
