// The tools submenu bit set and the icon-size choices of the options.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

// One flag per tools submenu, in bit order.
enum ToolsMenuBit : int32_t {
    ToolsMisc = 1,
    ToolsNetwork = 2,
    ToolsReboot = 4,
    ToolsResolution = 8,
    ToolsScreensaver = 16,
};
constexpr int ToolsSubmenuCount = 5;

// Flags in the order Misc, Network, Reboot, Resolution, Screensaver; higher bits are ignored.
std::array<bool, ToolsSubmenuCount> DecodeToolsMenuCfg(int32_t value);
// The sum of the bits whose flags are set: 0 to 31.
int32_t EncodeToolsMenuCfg(bool misc, bool network, bool reboot, bool resolution, bool screensaver);
int32_t EncodeToolsMenuCfg(const std::array<bool, ToolsSubmenuCount>& flags);

// Radio index 0, 1, 2 of the icon size choices; other sizes have no choice.
std::optional<int> IconSizeRadioIndex(int iconSize);
std::optional<uint8_t> RadioIndexIconSize(int index);
