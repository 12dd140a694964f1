#include "shell/icon_picker_win.h"

#include "win/system_function.h"
#include "win/text_conversion.h"

#include <algorithm>
#include <array>

namespace {
using PickIconDlgA = int(WINAPI*)(HWND, char*, UINT, int*);
using PickIconDlgW = int(WINAPI*)(HWND, wchar_t*, UINT, int*);

// The 9x family sets the top bit of the version.
bool OnNTFamily() { return (GetVersion() & 0x80000000u) == 0; }

SystemFunction& Picker()
{
    static SystemFunction picker = SystemFunction::ByOrdinal("shell32.dll", 62);
    return picker;
}

bool RunningOnWine()
{
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}
}  // namespace

std::optional<bool> TryShellPickIcon(HWND owner, std::string& path, int& index)
{
    SystemFunction& picker = Picker();
    if (picker.State() != FunctionState::Available) return std::nullopt;
    std::string text = path.substr(0, PickerPathLimit);
    int chosen = index;
    std::optional<int> answer;
    std::array<wchar_t, PickerPathLimit + 1> wide{};
    std::array<char, PickerPathLimit + 1> narrow{};
    if (OnNTFamily()) {
        MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), PickerPathLimit);
        answer = picker.Call<PickIconDlgW>(owner, wide.data(), static_cast<UINT>(PickerPathLimit), &chosen);
    } else {
        std::copy(text.begin(), text.end(), narrow.begin());
        answer = picker.Call<PickIconDlgA>(owner, narrow.data(), static_cast<UINT>(PickerPathLimit), &chosen);
    }
    if (!answer) return std::nullopt;
    if (!*answer) return false;
    path = OnNTFamily() ? NarrowFromWide(wide.data()) : std::string(narrow.data());
    index = chosen;
    return true;
}

bool ShellPickIcon(HWND owner, std::string& path, int& index)
{
    return TryShellPickIcon(owner, path, index).value_or(false);
}

bool SystemIconPickerUsable() { return Picker().State() == FunctionState::Available && !RunningOnWine(); }
