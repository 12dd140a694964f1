// Keyboard mnemonics of owner-drawn entries: the character after the first "&" of the
// description (UTF-8), a whole character whatever its script. Platform-neutral.
#pragma once

#include <functional>
#include <optional>
#include <string_view>
#include <vector>

// None when the description has no "&" or its first "&" is the last character. A
// malformed byte after the "&" reads as U+FFFD.
std::optional<char32_t> MnemonicOf(std::string_view description);

// Whether two characters are the same letter regardless of case; the Win32 side passes
// the system's rule, which knows every script.
using SameCharacter = std::function<bool(char32_t, char32_t)>;
bool SameCharacterAscii(char32_t a, char32_t b);

// Position of the first description whose mnemonic is `key`, or -1.
int FindMnemonicEntry(const std::vector<std::string_view>& descriptions, char32_t key,
                      const SameCharacter& same = SameCharacterAscii);
