#include "menus/mnemonic.h"

#include "text/unicode.h"

std::optional<char32_t> MnemonicOf(std::string_view description)
{
    size_t amp = description.find('&');
    if (amp == std::string_view::npos || amp + 1 >= description.size()) return std::nullopt;
    // One character; a malformed part is one too and reads as U+FFFD.
    const std::u16string units = Utf16FromUtf8(Utf8PrefixChars(description.substr(amp + 1), 1));
    if (units.size() == 2 && units[0] >= 0xD800 && units[0] < 0xDC00)
        return 0x10000 + ((char32_t(units[0]) - 0xD800) << 10) + (char32_t(units[1]) - 0xDC00);
    return units.empty() ? char32_t{0xFFFD} : char32_t{units[0]};
}

bool SameCharacterAscii(char32_t a, char32_t b)
{
    auto upper = [](char32_t c) { return (c >= U'a' && c <= U'z') ? c - U'a' + U'A' : c; };
    return upper(a) == upper(b);
}

int FindMnemonicEntry(const std::vector<std::string_view>& descriptions, char32_t key, const SameCharacter& same)
{
    for (size_t i = 0; i < descriptions.size(); ++i) {
        std::optional<char32_t> m = MnemonicOf(descriptions[i]);
        if (m && same(*m, key)) return static_cast<int>(i);
    }
    return -1;
}
