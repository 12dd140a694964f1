// Texts are 8-bit in the system code page; the few wide texts the system hands over
// (shell names, the Unicode icon picker, Unicode list-view notifications) come back here.
#pragma once

#include <string>
#include <string_view>

// The text in the system code page (CP_ACP); characters it lacks become its default
// character. Empty when the conversion fails.
std::string NarrowFromWide(std::wstring_view wide);
