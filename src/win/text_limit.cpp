#include "win/text_limit.h"

#include <algorithm>
#include <string>

std::function<void()> LimitCharacters(HWND edit, int characters)
{
    // Room for every character to be a pair; the characters are counted on each change.
    SendMessageW(edit, EM_LIMITTEXT, static_cast<WPARAM>(2 * characters), 0);
    return [edit, characters] {
        const int length = GetWindowTextLengthW(edit);
        if (length <= characters) return;  // fewer units than the limit: fewer characters too
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        text.resize(static_cast<size_t>(GetWindowTextW(edit, text.data(), length + 1)));
        auto pairAt = [&text](size_t i) {
            return i + 1 < text.size() && IS_HIGH_SURROGATE(text[i]) && IS_LOW_SURROGATE(text[i + 1]);
        };
        size_t count = 0;
        for (size_t i = 0; i < text.size(); i += pairAt(i) ? 2 : 1) ++count;
        DWORD start = 0, end = 0;
        SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        const size_t caret = std::min<size_t>(end, text.size());
        // A lone first half at the caret counts as a character: typed at the limit, it goes,
        // and so does the second half after it.
        if (count <= static_cast<size_t>(characters)) return;
        size_t from = caret;
        for (size_t excess = count - static_cast<size_t>(characters); excess > 0 && from > 0; --excess) {
            --from;
            if (from > 0 && pairAt(from - 1)) --from;
        }
        SendMessageW(edit, EM_SETSEL, from, caret);
        SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
    };
}
