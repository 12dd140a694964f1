#include "shell/environment_win.h"

#include "win/text_conversion.h"

#include <windows.h>

#include <vector>

std::string ExpandEnvironment(std::string_view text)
{
    std::string source(text);
    if (source.find('%') == std::string::npos) return source;
    const std::wstring wide = Wide(source);
    // The first call tells the size; a variable may grow between the calls, so retry.
    DWORD size = ExpandEnvironmentStringsW(wide.c_str(), nullptr, 0);
    for (int attempt = 0; attempt < 3 && size > 0; ++attempt) {
        std::vector<wchar_t> buffer(size + 1, L'\0');
        DWORD needed = ExpandEnvironmentStringsW(wide.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (needed == 0) break;
        if (needed <= buffer.size()) return Utf8(buffer.data());
        size = needed;
    }
    return source;
}
