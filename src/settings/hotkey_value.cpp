#include "settings/hotkey_value.h"

uint16_t HotkeyValueFromControl(uint16_t controlValue)
{
    uint16_t key = controlValue & 0xFF;
    uint8_t mods = static_cast<uint8_t>(controlValue >> 8);
    uint16_t value = key;
    if (mods & ControlShift) value |= HotkeyShift;
    if (mods & ControlCtrl) value |= HotkeyCtrl;
    if (mods & ControlAlt) value |= HotkeyAlt;
    return value;
}

uint16_t HotkeyValueToControl(uint16_t hotkey)
{
    // The top three bits cleared, then only the low byte fits the control's key code.
    uint16_t key = hotkey & 0x1FFF & 0xFF;
    uint8_t mods = 0;
    if (hotkey & HotkeyShift) mods |= ControlShift;
    if (hotkey & HotkeyCtrl) mods |= ControlCtrl;
    if (hotkey & HotkeyAlt) mods |= ControlAlt;
    return static_cast<uint16_t>(key | (mods << 8));
}

uint16_t ApplyShiftOnlyRule(uint16_t controlValue)
{
    uint8_t mods = static_cast<uint8_t>(controlValue >> 8) & (ControlShift | ControlCtrl | ControlAlt);
    if (mods == ControlShift) return controlValue & 0xFF;
    return controlValue;
}

std::optional<uint16_t> ControlValueForRefusedKey(uint8_t key, uint8_t controlModifiers)
{
    constexpr uint8_t Refused[] = {0x08, 0x09, 0x0D, 0x1B, 0x20, 0x2E};  // VK_BACK ... VK_DELETE
    const uint8_t mods = controlModifiers & (ControlShift | ControlCtrl | ControlAlt);
    if (!(mods & (ControlCtrl | ControlAlt))) return std::nullopt;
    for (uint8_t refused : Refused)
        if (key == refused) return static_cast<uint16_t>(key | (mods << 8));
    return std::nullopt;
}
