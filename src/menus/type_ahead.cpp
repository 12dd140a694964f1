#include "menus/type_ahead.h"

#include "text/unicode.h"

namespace {

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
