#include "win/text_conversion.h"

#include <windows.h>

std::string NarrowFromWide(std::wstring_view wide)
{
    if (wide.empty()) return {};
    const int length = static_cast<int>(wide.size());
    int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string text(static_cast<size_t>(n), '\0');
    n = WideCharToMultiByte(CP_ACP, 0, wide.data(), length, text.data(), n, nullptr, nullptr);
    text.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return text;
}
