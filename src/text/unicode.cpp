#include "text/unicode.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

struct Decoded {
    char32_t code = kReplacement;
    size_t length = 1;  // bytes taken; a malformed part is as long as its valid beginning
    bool valid = false;
};

bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// One character at text[at]. With surrogates allowed, ED A0..BF (an encoded surrogate)
// counts as valid.
Decoded DecodeAt(std::string_view text, size_t at, bool surrogates)
{
    Decoded d;
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80) return {lead, 1, true};
    size_t need;
    unsigned char low = 0x80, high = 0xBF;
    char32_t code;
    if (lead >= 0xC2 && lead <= 0xDF) {
        need = 1;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        need = 2;
        code = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED && !surrogates) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        need = 3;
        code = lead & 0x07;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return d;
    }
    for (size_t k = 1; k <= need; ++k) {
        if (at + k >= text.size()) return d;
        const auto b = static_cast<unsigned char>(text[at + k]);
        // Only the second byte has a narrowed range.
        if (k == 1 ? (b < low || b > high) : !IsContinuation(b)) return d;
        code = (code << 6) | (b & 0x3F);
        d.length = k + 1;
    }
    return {code, need + 1, true};
}

bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }
bool IsHigh(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLow(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void AppendUtf16(std::u16string& out, char32_t c)
{
    if (c < 0x10000) {
        out += static_cast<char16_t>(c);
    } else {
        c -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (c >> 10));
        out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    }
}

std::u16string ToUtf16(std::string_view text, bool surrogates)
{
    std::u16string out;
    out.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        const Decoded d = DecodeAt(text, at, surrogates);
        AppendUtf16(out, d.valid ? d.code : kReplacement);
        at += d.length;
    }
    return out;
}

std::string ToUtf8(std::u16string_view text, bool surrogates)
{
    std::string out;
    out.reserve(text.size() * 3 / 2);
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        if (IsHigh(u) && i + 1 < text.size() && IsLow(text[i + 1])) {
            AppendUtf8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else {
            AppendUtf8(out, IsSurrogate(u) && !surrogates ? kReplacement : u);
        }
    }
    return out;
}

// Cuts after whole characters while `fits(characters so far, units so far)` holds.
template <class Fits>
std::string_view Prefix(std::string_view text, Fits fits)
{
    size_t chars = 0, units = 0, at = 0;
    while (at < text.size()) {
        const Decoded d = DecodeAt(text, at, true);
        const size_t u = d.valid && d.code >= 0x10000 ? 2 : 1;
        if (!fits(chars + 1, units + u)) break;
        ++chars;
        units += u;
        at += d.length;
    }
    return text.substr(0, at);
}

}  // namespace

std::u16string Utf16FromUtf8(std::string_view utf8) { return ToUtf16(utf8, false); }
std::string Utf8FromUtf16(std::u16string_view utf16) { return ToUtf8(utf16, false); }
std::string Wtf8FromUtf16(std::u16string_view utf16) { return ToUtf8(utf16, true); }
std::u16string Utf16FromWtf8(std::string_view wtf8) { return ToUtf16(wtf8, true); }

bool IsValidUtf8(std::string_view text)
{
    for (size_t at = 0; at < text.size();) {
        // Most texts are ASCII: skip the decoder for them.
        if (static_cast<unsigned char>(text[at]) < 0x80) {
            ++at;
            continue;
        }
        const Decoded d = DecodeAt(text, at, false);
        if (!d.valid) return false;
        at += d.length;
    }
    return true;
}

std::string ValidUtf8(std::string_view text)
{
    if (IsValidUtf8(text)) return std::string(text);
    return Utf8FromUtf16(Utf16FromUtf8(text));
}

char32_t NextCodePoint(std::string_view text, size_t& at)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80) {
        ++at;
        return lead;
    }
    const Decoded d = DecodeAt(text, at, false);
    at += d.length;
    return d.valid ? d.code : kReplacement;
}

size_t Utf16UnitCount(std::string_view text)
{
    size_t units = 0;
    for (size_t at = 0; at < text.size();) {
        const Decoded d = DecodeAt(text, at, true);
        units += d.valid && d.code >= 0x10000 ? 2 : 1;
        at += d.length;
    }
    return units;
}

std::string_view Utf8PrefixChars(std::string_view text, size_t maxChars)
{
    return Prefix(text, [maxChars](size_t chars, size_t) { return chars <= maxChars; });
}

std::string_view Utf8PrefixUnits(std::string_view text, size_t maxUnits)
{
    return Prefix(text, [maxUnits](size_t, size_t units) { return units <= maxUnits; });
}
