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

namespace {

bool IsMouseEcho(unsigned iconEvent, unsigned previousEvent)
{
    if (iconEvent == IconSelect)
        return previousEvent == MouseLeftDown || previousEvent == MouseLeftUp || previousEvent == MouseLeftDoubleClick;
    return iconEvent == IconContextMenu && previousEvent == MouseRightUp;
}

}  // namespace

bool IsKeyboardEvent(unsigned iconEvent, unsigned previousEvent)
{
    if (iconEvent == IconKeySelect) return true;
    return (iconEvent == IconSelect || iconEvent == IconContextMenu) && !IsMouseEcho(iconEvent, previousEvent);
}

TrayClickAction IconEventActionFor(unsigned iconEvent, unsigned previousEvent, const TrayIconState& icon)
{
    if (iconEvent != IconSelect && iconEvent != IconKeySelect && iconEvent != IconContextMenu)
        return ClickActionFor(iconEvent, icon.singleLeftClick, icon.lcb, icon.toolsIcon);
    if (!IsKeyboardEvent(iconEvent, previousEvent)) return TrayClickAction::None;
    if (iconEvent == IconContextMenu && icon.toolsShown && !icon.toolsIcon) return TrayClickAction::ToolsPopup;
    return TrayClickAction::Popup;
}

OwnIconAction OwnIconActionFor(unsigned iconEvent, unsigned previousEvent)
{
    if ((iconEvent == IconSelect || iconEvent == IconContextMenu) && !IsKeyboardEvent(iconEvent, previousEvent))
        return OwnIconAction::None;
    switch (iconEvent) {
    case MouseLeftUp:
    case IconSelect:
    case IconKeySelect: return OwnIconAction::Reveal;
    case MouseRightUp:
    case IconContextMenu: return OwnIconAction::Popup;
    default: return OwnIconAction::None;
    }
}
