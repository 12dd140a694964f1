#include "menus/mnemonic.h"

std::optional<char> MnemonicOf(std::string_view description)
{
    size_t amp = description.find('&');
    if (amp == std::string_view::npos || amp + 1 >= description.size()) return std::nullopt;
    return description[amp + 1];
}

bool SameCharacterAscii(char a, char b)
{
    auto upper = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; };
    return upper(a) == upper(b);
}

int FindMnemonicEntry(const std::vector<std::string_view>& descriptions, char key, const SameCharacter& same)
{
    for (size_t i = 0; i < descriptions.size(); ++i) {
        std::optional<char> m = MnemonicOf(descriptions[i]);
        if (m && same(*m, key)) return static_cast<int>(i);
    }
    return -1;
}
