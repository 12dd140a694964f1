#include "tools/tools_cfg.h"

namespace {
constexpr std::array<int32_t, ToolsSubmenuCount> Bits{ToolsMisc, ToolsNetwork, ToolsReboot, ToolsResolution,
                                                      ToolsScreensaver};
constexpr std::array<uint8_t, 3> IconSizes{16, 32, 64};
}  // namespace

std::array<bool, ToolsSubmenuCount> DecodeToolsMenuCfg(int32_t value)
{
    std::array<bool, ToolsSubmenuCount> flags{};
    for (int i = 0; i < ToolsSubmenuCount; ++i) flags[i] = (value & Bits[i]) != 0;
    return flags;
}

int32_t EncodeToolsMenuCfg(const std::array<bool, ToolsSubmenuCount>& flags)
{
    int32_t value = 0;
    for (int i = 0; i < ToolsSubmenuCount; ++i)
        if (flags[i]) value |= Bits[i];
    return value;
}

int32_t EncodeToolsMenuCfg(bool misc, bool network, bool reboot, bool resolution, bool screensaver)
{
    return EncodeToolsMenuCfg({misc, network, reboot, resolution, screensaver});
}

std::optional<int> IconSizeRadioIndex(int iconSize)
{
    for (int i = 0; i < static_cast<int>(IconSizes.size()); ++i)
        if (IconSizes[i] == iconSize) return i;
    return std::nullopt;
}

std::optional<uint8_t> RadioIndexIconSize(int index)
{
    if (index < 0 || index >= static_cast<int>(IconSizes.size())) return std::nullopt;
    return IconSizes[index];
}
