// The tip text of a notification icon. Inline and free of <windows.h>, so the core
// tests reach it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The tip field of the first NOTIFYICONDATAW holds 63 UTF-16 units and a zero.
inline constexpr size_t TipCapacity = 63;

// The UTF-16 units the UTF-8 character led by that byte takes: two beyond the basic
// plane, none for a continuation byte (its lead counted it).
inline constexpr size_t TipUnits(unsigned char byte)
{
    if ((byte & 0xC0) == 0x80) return 0;
    return byte >= 0xF0 ? 2 : 1;
}

// The UTF-8 name itself when its UTF-16 form fits, otherwise its beginning and "..."
// within TipCapacity units; the cut never splits a character (nor a surrogate pair).
inline std::string TipText(std::string_view name)
{
    // A zero inside the name would end the tip there anyway; keep what Windows shows.
    name = name.substr(0, name.find('\0'));
    constexpr std::string_view ellipsis = "...";
    size_t units = 0;
    for (char c : name) units += TipUnits(static_cast<unsigned char>(c));
    if (units <= TipCapacity) return std::string(name);
    // Whole characters up to the room the ellipsis leaves.
    size_t end = 0;
    units = 0;
    for (size_t i = 0; i < name.size(); ++i) {
        const size_t more = TipUnits(static_cast<unsigned char>(name[i]));
        if (!more) continue;
        if (units + more > TipCapacity - ellipsis.size()) break;
        units += more;
        end = i + 1;
        while (end < name.size() && TipUnits(static_cast<unsigned char>(name[end])) == 0) ++end;
    }
    std::string tip(name.substr(0, end));
    tip += ellipsis;
    return tip;
}
