#include "menus/type_ahead.h"

namespace {

// The code point at `pos` of a UTF-8 text, advancing `pos`; a malformed byte counts as
// U+FFFD on its own so that a damaged description cannot hide those after it.
char32_t NextCodePoint(std::string_view text, size_t& pos)
{
    const auto lead = static_cast<unsigned char>(text[pos++]);
    if (lead < 0x80) return lead;
    int extra = lead >= 0xF0 && lead < 0xF5 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 && lead < 0xE0 ? 1 : -1;
    if (extra < 0 || pos + static_cast<size_t>(extra) > text.size()) return 0xFFFD;
    char32_t c = lead & (0x3F >> extra);
    for (int i = 0; i < extra; ++i) {
        const auto next = static_cast<unsigned char>(text[pos + static_cast<size_t>(i)]);
        if ((next & 0xC0) != 0x80) return 0xFFFD;
        c = (c << 6) | (next & 0x3F);
    }
    pos += static_cast<size_t>(extra);
    return c;
}

bool BeginsWith(std::string_view shown, std::u32string_view typed, CaseFold fold)
{
    size_t pos = 0;
    for (char32_t t : typed) {
        if (pos >= shown.size() || fold(NextCodePoint(shown, pos)) != fold(t)) return false;
    }
    return true;
}

}  // namespace

char32_t FoldAscii(char32_t c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; }

const std::u32string& TypeAheadBuffer::Add(char32_t c, uint32_t nowMs)
{
    // Unsigned difference: right across the tick's wrap-around.
    if (!text_.empty() && nowMs - last_ >= PauseMs) text_.clear();
    text_ += c;
    last_ = nowMs;
    return text_;
}

std::string ShownDescription(std::string_view description)
{
    std::string shown;
    shown.reserve(description.size());
    for (size_t i = 0; i < description.size(); ++i) {
        if (description[i] == '&' && i + 1 < description.size()) ++i;
        else if (description[i] == '&') continue;
        shown += description[i];
    }
    return shown;
}

int FindByTypedText(const std::vector<std::string_view>& descriptions, std::u32string_view typed, CaseFold fold,
                    int start, bool wrap)
{
    const int count = static_cast<int>(descriptions.size());
    if (typed.empty() || count == 0) return -1;
    if (start < 0) start = 0;
    if (start >= count) start = wrap ? 0 : count;
    for (int n = 0; n < (wrap ? count : count - start); ++n) {
        const int i = (start + n) % count;
        if (BeginsWith(ShownDescription(descriptions[static_cast<size_t>(i)]), typed, fold)) return i;
    }
    return -1;
}
