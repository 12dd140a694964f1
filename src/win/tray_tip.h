// The tip text of a notification icon. Inline and free of <windows.h>, so the core
// tests reach it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The tip field of the first NOTIFYICONDATA holds 63 characters and a zero.
inline constexpr size_t TipCapacity = 63;

// The name itself when it fits, otherwise its beginning and "..." within TipCapacity.
inline std::string TipText(std::string_view name)
{
    // A zero inside the name would end the tip there anyway; keep what Windows shows.
    name = name.substr(0, name.find('\0'));
    if (name.size() <= TipCapacity) return std::string(name);
    constexpr std::string_view ellipsis = "...";
    std::string tip(name.substr(0, TipCapacity - ellipsis.size()));
    tip += ellipsis;
    return tip;
}
