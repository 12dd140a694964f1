#include "shell/environment_win.h"

#include "win/text_conversion.h"

#include <windows.h>

#include <optional>
#include <vector>

namespace {

// Nothing when the text holds no percent sign or cannot be expanded.
std::optional<std::wstring> Expanded(const std::wstring& text)
{
    if (text.find(L'%') == std::wstring::npos) return std::nullopt;
    // The first call tells the size; a variable may grow between the calls, so retry.
    DWORD size = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    for (int attempt = 0; attempt < 3 && size > 0; ++attempt) {
        std::vector<wchar_t> buffer(size + 1, L'\0');
        DWORD needed = ExpandEnvironmentStringsW(text.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (needed == 0) break;
        if (needed <= buffer.size()) return std::wstring(buffer.data());
        size = needed;
    }
    return std::nullopt;
}

}  // namespace

std::string ExpandEnvironment(std::string_view text)
{
    if (text.find('%') == std::string_view::npos) return std::string(text);
    std::optional<std::wstring> expanded = Expanded(Wide(text));
    return expanded ? Utf8(*expanded) : std::string(text);
}

std::wstring ExpandEnvironmentWide(std::string_view text)
{
    std::wstring wide = Wide(text);
    return Expanded(wide).value_or(std::move(wide));
}

std::wstring ExpandEnvironmentWide(std::wstring_view text)
{
    std::wstring wide(text);
    return Expanded(wide).value_or(std::move(wide));
}
