// Keyboard mnemonics of owner-drawn entries: the character after the first "&" of the
// description. Platform-neutral.
#pragma once

#include <functional>
#include <optional>
#include <string_view>
#include <vector>

// None when the description has no "&" or its first "&" is the last character.
std::optional<char> MnemonicOf(std::string_view description);

// Whether two characters are the same letter regardless of case; the Win32 side passes
// the user's locale rule.
using SameCharacter = std::function<bool(char, char)>;
bool SameCharacterAscii(char a, char b);

// Position of the first description whose mnemonic is `key`, or -1.
int FindMnemonicEntry(const std::vector<std::string_view>& descriptions, char key,
                      const SameCharacter& same = SameCharacterAscii);
