// The program's texts are UTF-8; the system's wide calls and UTF-16 files hold UTF-16.
// Portable conversions and character-aware measuring and cutting, no system calls.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Malformed UTF-8 (each maximal bad part) and unpaired surrogates become U+FFFD.
std::u16string Utf16FromUtf8(std::string_view utf8);
std::string Utf8FromUtf16(std::u16string_view utf16);

// Lossless forms for whole file contents: an unpaired surrogate is kept as its own
// three-byte sequence (as WTF-8 does), so a UTF-16 file that holds one converts back
// to the same units. Other malformed bytes still become U+FFFD.
std::string Wtf8FromUtf16(std::u16string_view utf16);
std::u16string Utf16FromWtf8(std::string_view wtf8);

[[nodiscard]] bool IsValidUtf8(std::string_view text);
// The text itself when it is valid UTF-8, otherwise with every malformed part as U+FFFD.
std::string ValidUtf8(std::string_view text);

// The character at text[at], moving `at` past it; a malformed part reads as U+FFFD, so a
// damaged text cannot hide the characters after it. `at` must be inside the text.
char32_t NextCodePoint(std::string_view text, size_t& at);

// UTF-16 units the text takes: one per character, two above U+FFFF.
size_t Utf16UnitCount(std::string_view text);

// The longest beginning of the text with at most maxChars characters, or at most
// maxUnits UTF-16 units: a UTF-8 sequence or a surrogate pair is never cut in half.
std::string_view Utf8PrefixChars(std::string_view text, size_t maxChars);
std::string_view Utf8PrefixUnits(std::string_view text, size_t maxUnits);
