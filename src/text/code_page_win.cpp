#include "text/code_page.h"

#include <windows.h>

#include "text/unicode.h"

namespace {

// Every ANSI code page has ASCII as its first half: most texts need no conversion.
bool IsAscii(std::string_view text)
{
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

class AnsiCodePage : public CodePage {
public:
    std::string ToUtf8(std::string_view bytes) const override
    {
        if (IsAscii(bytes)) return std::string(bytes);
        const int length = static_cast<int>(bytes.size());
        int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
        if (n <= 0) return {};
        std::u16string wide(static_cast<size_t>(n), u'\0');
        n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, reinterpret_cast<wchar_t*>(wide.data()), n);
        wide.resize(n > 0 ? static_cast<size_t>(n) : 0);
        return Utf8FromUtf16(wide);
    }

    std::optional<std::string> FromUtf8(std::string_view utf8) const override
    {
        if (IsAscii(utf8)) return std::string(utf8);
        if (!IsValidUtf8(utf8)) return std::nullopt;
        const std::u16string wide = Utf16FromUtf8(utf8);
        const auto* units = reinterpret_cast<const wchar_t*>(wide.data());
        const int length = static_cast<int>(wide.size());
        // Without WC_NO_BEST_FIT_CHARS "Ł" would come out as "L" and never be reported.
        BOOL usedDefault = FALSE;
        int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, units, length, nullptr, 0, nullptr, &usedDefault);
        if (n <= 0 || usedDefault) return std::nullopt;
        std::string bytes(static_cast<size_t>(n), '\0');
        n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, units, length, bytes.data(), n, nullptr, &usedDefault);
        if (n <= 0 || usedDefault) return std::nullopt;
        bytes.resize(static_cast<size_t>(n));
        return bytes;
    }
};

}  // namespace

const CodePage& SystemCodePage()
{
    static const AnsiCodePage codePage;
    return codePage;
}
