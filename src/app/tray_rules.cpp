#include "app/tray_rules.h"

HotkeyRegistration HotkeyRegistrationFor(uint16_t hotkeyValue)
{
    HotkeyRegistration r;
    r.keyCode = hotkeyValue & 0x1FFFu;
    if (hotkeyValue & 0x2000u) r.modifiers |= HotkeyModShift;
    if (hotkeyValue & 0x4000u) r.modifiers |= HotkeyModControl;
    if (hotkeyValue & 0x8000u) r.modifiers |= HotkeyModAlt;
    return r;
}

std::string TipText(std::string_view name)
{
    // A zero inside the name would end the tip there anyway; keep what Windows shows.
    name = name.substr(0, name.find('\0'));
    if (name.size() <= TipCapacity) return std::string(name);
    constexpr std::string_view ellipsis = "...";
    std::string tip(name.substr(0, TipCapacity - ellipsis.size()));
    tip += ellipsis;
    return tip;
}
