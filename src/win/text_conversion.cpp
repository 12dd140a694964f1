#include "win/text_conversion.h"

#include <windows.h>

std::wstring Wide(std::string_view utf8)
{
    if (utf8.empty()) return {};
    const int length = static_cast<int>(utf8.size());
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
    if (n <= 0) return {};
    std::wstring wide(static_cast<size_t>(n), L'\0');
    n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, wide.data(), n);
    wide.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return wide;
}

namespace {

std::string FromWide(UINT codePage, std::wstring_view wide)
{
    if (wide.empty()) return {};
    const int length = static_cast<int>(wide.size());
    int n = WideCharToMultiByte(codePage, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string text(static_cast<size_t>(n), '\0');
    n = WideCharToMultiByte(codePage, 0, wide.data(), length, text.data(), n, nullptr, nullptr);
    text.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return text;
}

// Cuts the text to at most `units`, never half a surrogate pair; true when it was longer.
bool CutToUnits(std::wstring& wide, size_t units)
{
    if (wide.size() <= units) return false;
    if (units > 0 && IS_HIGH_SURROGATE(wide[units - 1])) --units;
    wide.resize(units);
    return true;
}

}  // namespace

std::string Utf8(std::wstring_view wide) { return FromWide(CP_UTF8, wide); }

std::wstring FirstUnitsWide(std::string_view utf8, size_t units)
{
    std::wstring wide = Wide(utf8);
    CutToUnits(wide, units);
    return wide;
}

std::string FirstUnits(std::string_view utf8, size_t units)
{
    std::wstring wide = Wide(utf8);
    return CutToUnits(wide, units) ? Utf8(wide) : std::string(utf8);
}

std::string UpperCaseText(std::string_view utf8)
{
    std::wstring wide = Wide(utf8);
    if (!wide.empty()) CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    return Utf8(wide);
}

std::string LowerCaseText(std::string_view utf8)
{
    std::wstring wide = Wide(utf8);
    if (!wide.empty()) CharLowerBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    return Utf8(wide);
}

std::string NarrowFromWide(std::wstring_view wide) { return FromWide(CP_ACP, wide); }
