#include "config/values.h"

#include <algorithm>

#include "config/profile.h"
#include "text/unicode.h"

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<int32_t> ParseIniInt(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

    bool hex = false;
    if (i < text.size() && text[i] == '$') {
        hex = true;
        ++i;
    } else if (text.size() > 2 && i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i == text.size()) return std::nullopt;

    uint64_t value = 0;
    for (; i < text.size(); ++i) {
        int digit = hex ? HexDigit(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
        if (digit < 0) return std::nullopt;
        value = value * (hex ? 16 : 10) + static_cast<uint64_t>(digit);
        // Hexadecimal may use all 32 bits (FFFFFFFF is -1); decimal must fit a signed int.
        uint64_t limit = hex ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
        if (value > limit) return std::nullopt;
    }
    uint32_t bits = static_cast<uint32_t>(value);
    if (negative) bits = 0u - bits;
    return static_cast<int32_t>(bits);
}

int32_t IniIntOr(std::string_view text, int32_t def)
{
    return ParseIniInt(text).value_or(def);
}

std::string IniSafeText(std::string_view text)
{
    std::string out(text.substr(0, text.find('\0')));
    for (char& c : out)
        if (c == '\r' || c == '\n') c = ' ';
    return out;
}

std::string IniText(std::string_view text)
{
    auto readerChanges = [](const std::string& s) {
        return !s.empty() && (IsProfileBlank(s.front()) || IsProfileBlank(s.back()) || IsProfileQuoted(s));
    };
    std::string out = IniSafeText(text);
    if (!readerChanges(out)) return out;
    if (out.size() > IniValueBuffer - 2 && Utf16UnitCount(out) > IniValueBuffer - 2) {
        out.resize(Utf8PrefixUnits(out, IniValueBuffer - 2).size());
        if (!readerChanges(out)) return out;
    }
    out.insert(out.begin(), '"');
    out += '"';
    return out;
}
