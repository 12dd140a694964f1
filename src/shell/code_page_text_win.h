// 8-bit texts some shell formats still carry (STRRET offset and inline names, the
// "FileNameMap" drop format) are in the system code page; the program keeps UTF-8.
#pragma once

#include <string>
#include <string_view>

// The code-page text as UTF-8; empty when it cannot be converted.
std::string Utf8FromCodePage(std::string_view text);
