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

TrayClickAction ClickActionFor(unsigned mouseMessage, bool singleLeftClick, int lcb, bool toolsIcon)
{
    if (mouseMessage == MouseRightUp) return TrayClickAction::Popup;
    bool leftClick = mouseMessage == (singleLeftClick ? MouseLeftUp : MouseLeftDoubleClick);
    if (!leftClick) return TrayClickAction::None;
    if (toolsIcon) return singleLeftClick ? TrayClickAction::Popup : TrayClickAction::None;
    switch (lcb) {
    case 2: return TrayClickAction::Popup;
    case 3: return TrayClickAction::StartFirstEntry;
    default: return TrayClickAction::None;
    }
}

OwnIconAction OwnIconActionFor(unsigned iconEvent)
{
    switch (iconEvent) {
    case MouseLeftUp:
    case IconSelect:
    case IconKeySelect: return OwnIconAction::Reveal;
    case MouseRightUp:
    case IconContextMenu: return OwnIconAction::Popup;
    default: return OwnIconAction::None;
    }
}
