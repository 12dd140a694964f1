#include "shell/code_page_text_win.h"

#include "win/text_conversion.h"

#include <windows.h>

std::string Utf8FromCodePage(std::string_view text)
{
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    int n = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    if (n <= 0) return {};
    std::wstring wide(static_cast<size_t>(n), L'\0');
    n = MultiByteToWideChar(CP_ACP, 0, text.data(), length, wide.data(), n);
    return Utf8(std::wstring_view(wide.data(), n > 0 ? static_cast<size_t>(n) : 0));
}
