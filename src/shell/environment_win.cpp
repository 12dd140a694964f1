#include "shell/environment_win.h"

#include <windows.h>

#include <vector>

std::string ExpandEnvironment(std::string_view text)
{
    std::string source(text);
    if (source.find('%') == std::string::npos) return source;
    // The first call tells the size; a variable may grow between the calls, so retry.
    DWORD size = ExpandEnvironmentStringsA(source.c_str(), nullptr, 0);
    for (int attempt = 0; attempt < 3 && size > 0; ++attempt) {
        std::vector<char> buffer(size + 1, '\0');
        DWORD needed = ExpandEnvironmentStringsA(source.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (needed == 0) break;
        if (needed <= buffer.size()) return std::string(buffer.data());
        size = needed;
    }
    return source;
}
