// The program keeps every text as UTF-8 (std::string); the system's wide calls take UTF-16.
// Conversions happen here, at the edge, and nowhere else.
#pragma once

#include <string>
#include <string_view>

// UTF-16 for a wide call. Malformed UTF-8 bytes become U+FFFD rather than vanishing.
std::wstring Wide(std::string_view utf8);

// UTF-8 from a wide text the system handed over. Unpaired surrogates become U+FFFD.
std::string Utf8(std::wstring_view wide);

// The text in the system code page (CP_ACP); characters it lacks become its default
// character. Empty when the conversion fails.
std::string NarrowFromWide(std::wstring_view wide);
