// The system's text for an error code, as every message of the program shows it. The
// trimming rule is inline and the header free of <windows.h>, so the core tests reach it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

inline constexpr char UnknownErrorText[] = "Unknown error";

// A system message without the trailing blanks, control characters and full stops
// that the message table puts after it.
inline std::string TrimSystemMessage(std::string_view text)
{
    while (!text.empty()) {
        auto last = static_cast<unsigned char>(text.back());
        bool control = last < 0x20 || last == 0x7F;
        if (!control && last != ' ' && last != '.') break;
        text.remove_suffix(1);
    }
    return std::string(text);
}

// FormatMessageW's text for a system error code as UTF-8, trimmed; UnknownErrorText when the
// system has none.
std::string SystemMessageText(uint32_t code);
