#include "text/code_page.h"

#include <algorithm>

#include "text/unicode.h"

namespace {

// 0x80-0x9F of Windows-1252; the rest of the bytes are their own code points.
constexpr char16_t kHigh1252[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char16_t Unit1252(unsigned char b)
{
    return b >= 0x80 && b <= 0x9F ? kHigh1252[b - 0x80] : static_cast<char16_t>(b);
}

}  // namespace

std::string Windows1252::ToUtf8(std::string_view bytes) const
{
    std::u16string wide;
    wide.reserve(bytes.size());
    for (char c : bytes) wide += Unit1252(static_cast<unsigned char>(c));
    return Utf8FromUtf16(wide);
}

std::optional<std::string> Windows1252::FromUtf8(std::string_view utf8) const
{
    if (!IsValidUtf8(utf8)) return std::nullopt;
    std::string out;
    out.reserve(utf8.size());
    for (char16_t u : Utf16FromUtf8(utf8)) {
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out += static_cast<char>(u);
            continue;
        }
        const auto* found = std::find(std::begin(kHigh1252), std::end(kHigh1252), u);
        if (found == std::end(kHigh1252)) return std::nullopt;
        out += static_cast<char>(0x80 + (found - std::begin(kHigh1252)));
    }
    return out;
}
