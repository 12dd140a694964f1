// The program keeps every text as UTF-8 (std::string); the system's wide calls take UTF-16.
// Conversions happen here, at the edge, and nowhere else.
#pragma once

#include <string>
#include <string_view>

// UTF-16 for a wide call. Malformed UTF-8 bytes become U+FFFD rather than vanishing.
std::wstring Wide(std::string_view utf8);

// UTF-8 from a wide text the system handed over. Unpaired surrogates become U+FFFD.
std::string Utf8(std::wstring_view wide);

// The UTF-8 text's beginning that takes at most `units` UTF-16 units, never half a
// surrogate pair: for fields the system measures in wide characters.
std::string FirstUnits(std::string_view utf8, size_t units);
// The same, wide: for a buffer the system hands over.
std::wstring FirstUnitsWide(std::string_view utf8, size_t units);

// The UTF-8 text in upper or lower case by the system's rules for every script.
std::string UpperCaseText(std::string_view utf8);
std::string LowerCaseText(std::string_view utf8);

// The text in the system code page (CP_ACP); characters it lacks become its default
// character. Empty when the conversion fails.
std::string NarrowFromWide(std::wstring_view wide);
