// How single values of the configuration file are read and written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Optional sign and decimal digits, or hexadecimal after "$" (or after "0x"/"0X" when
// the text is longer than two characters); the number must fit 32 bits. Anything
// else, the empty text included, is no number.
std::optional<int32_t> ParseIniInt(std::string_view text);

int32_t IniIntOr(std::string_view text, int32_t def);
// A field narrower than 32 bits keeps the number's low bits, as the first files were read.
template <class Field>
Field IniFieldOr(std::string_view text, Field def)
{
    return static_cast<Field>(IniIntOr(text, static_cast<int32_t>(def)));
}
inline bool IniBoolOr(std::string_view text, bool def) { return IniIntOr(text, def ? 1 : 0) != 0; }

inline std::string IniBool(bool value) { return value ? "1" : "0"; }

// A text as one INI value: a line break inside would end the value and turn the rest
// into keys of its own, so breaks become blanks; a NUL ends the text as in C.
std::string IniSafeText(std::string_view text);

// Profile reads see at most 2047 characters of a value: bytes in a code-page file,
// UTF-16 units in a Unicode one (a character above U+FFFF takes two).
constexpr size_t IniValueBuffer = 2048;

// A text as the INI value a read gives back as that text: line breaks and NUL as in
// IniSafeText, and a text the reader would trim (a blank at either end) or unquote
// (the same quote at both ends) in one more pair of quotes. Every other text stays as
// it is. A quoted value comes back whole only up to IniValueBuffer - 2 characters: a
// longer text that needs the quotes is first cut there, after a whole character (and
// then quoted only when the rest still needs it), so it reads back as its beginning and
// saves again to the same bytes.
std::string IniText(std::string_view text);
