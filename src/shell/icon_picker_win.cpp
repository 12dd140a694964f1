#include "shell/icon_picker_win.h"

#include "win/system_function.h"
#include "win/text_conversion.h"

#include <algorithm>
#include <array>

namespace {
using PickIconDlgW = int(WINAPI*)(HWND, wchar_t*, UINT, int*);

SystemFunction& Picker()
{
    static SystemFunction picker = SystemFunction::ByOrdinal("shell32.dll", 62);
    return picker;
}

bool RunningOnWine()
{
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}
}  // namespace

std::optional<bool> TryShellPickIcon(HWND owner, std::string& path, int& index)
{
    SystemFunction& picker = Picker();
    if (picker.State() != FunctionState::Available) return std::nullopt;
    std::wstring text = Wide(path);
    size_t keep = std::min<size_t>(text.size(), PickerPathLimit);
    // Never half a surrogate pair.
    if (keep < text.size() && keep > 0 && IS_HIGH_SURROGATE(text[keep - 1])) --keep;
    int chosen = index;
    std::array<wchar_t, PickerPathLimit + 1> wide{};
    std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(keep), wide.begin());
    std::optional<int> answer = picker.Call<PickIconDlgW>(owner, wide.data(), static_cast<UINT>(PickerPathLimit), &chosen);
    if (!answer) return std::nullopt;
    if (!*answer) return false;
    path = Utf8(wide.data());
    index = chosen;
    return true;
}

bool ShellPickIcon(HWND owner, std::string& path, int& index)
{
    return TryShellPickIcon(owner, path, index).value_or(false);
}

bool SystemIconPickerUsable() { return Picker().State() == FunctionState::Available && !RunningOnWine(); }
