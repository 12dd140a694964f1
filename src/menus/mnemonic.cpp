#include "menus/mnemonic.h"

namespace {

constexpr char32_t Replacement = 0xFFFD;

// The code point that starts `text` (not empty).
char32_t FirstCharacter(std::string_view text)
{
    const auto lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x80) return lead;
    const int length = lead < 0xC2 ? 0 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 0;
    if (length == 0 || text.size() < static_cast<size_t>(length)) return Replacement;
    char32_t c = lead & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[static_cast<size_t>(i)]);
        if ((next & 0xC0) != 0x80) return Replacement;
        c = (c << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and values beyond Unicode are no characters.
    static constexpr char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < smallest[length] || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) return Replacement;
    return c;
}

}  // namespace

std::optional<char32_t> MnemonicOf(std::string_view description)
{
    size_t amp = description.find('&');
    if (amp == std::string_view::npos || amp + 1 >= description.size()) return std::nullopt;
    return FirstCharacter(description.substr(amp + 1));
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
