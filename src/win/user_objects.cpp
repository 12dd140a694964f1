#include "win/user_objects.h"

#include "win/system_function.h"

#include <windows.h>

namespace {

bool Asked()
{
    char value[4] = {};
    return GetEnvironmentVariableA(DiagnosticsVariable, value, sizeof(value)) == 1 && value[0] == '1';
}

// Wine's GetGuiResources is a stub that answers 0. Its USER handles are (index << 1) + 0x20
// for indices below 0x7FE8, and a handle whose high word is 0 stands for whatever object
// holds that index now: each index is asked in turn what it holds, menus, icons and
// accelerator tables within the process, windows (the only kind the server is asked
// about) last.
std::uint32_t CountByHandleTable()
{
    using FrameInfo = HCURSOR(WINAPI*)(HCURSOR, DWORD, DWORD, DWORD*, DWORD*);
    // Undocumented, in user32 of Windows and Wine alike: null for anything but an icon or cursor.
    auto frameInfo = reinterpret_cast<FrameInfo>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetCursorFrameInfo")));
    const DWORD self = GetCurrentProcessId();
    std::uint32_t count = 0;
    auto scan = [&] {
        for (UINT_PTR index = 0; index < 0x7FE8; ++index) {
            const UINT_PTR value = (index << 1) + 0x20;
            DWORD rate = 0, steps = 0, owner = 0;
            if (IsMenu(reinterpret_cast<HMENU>(value)) ||
                (frameInfo && frameInfo(reinterpret_cast<HCURSOR>(value), 0, 0, &rate, &steps)) ||
                CopyAcceleratorTableW(reinterpret_cast<HACCEL>(value), nullptr, 0) > 0 ||
                (IsWindow(reinterpret_cast<HWND>(value)) &&
                 GetWindowThreadProcessId(reinterpret_cast<HWND>(value), &owner) && owner == self))
                ++count;
        }
    };
    return CallGuarded(scan) ? count : 0;
}

}  // namespace

std::uint32_t UserObjectsIfAsked()
{
    if (!Asked()) return 0;
    if (DWORD n = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS)) return n;
    return CountByHandleTable();
}
