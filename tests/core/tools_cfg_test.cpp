// Tools submenu bits, icon-size choices and the hotkey control conversions.
#include "settings/hotkey_value.h"
#include "tools/tools_cfg.h"

#include <gtest/gtest.h>

namespace {

using Flags = std::array<bool, ToolsSubmenuCount>;

TEST(ToolsMenuCfg, DecodesInSubmenuOrderAndEncodesOnlyTheFiveBits)
{
    EXPECT_EQ(DecodeToolsMenuCfg(0), (Flags{false, false, false, false, false}));
    EXPECT_EQ(DecodeToolsMenuCfg(27), (Flags{true, true, false, true, true}));
    EXPECT_EQ(DecodeToolsMenuCfg(8 | 32 | 64), (Flags{false, false, false, true, false}));
    EXPECT_EQ(EncodeToolsMenuCfg(false, false, false, false, true), 16);
    EXPECT_EQ(EncodeToolsMenuCfg(DecodeToolsMenuCfg(16777215)), 31);
    for (int32_t v = 0; v < 32; ++v) EXPECT_EQ(EncodeToolsMenuCfg(DecodeToolsMenuCfg(v)), v);
}

TEST(IconSizeChoice, MapsTheThreeSizesBothWaysAndNothingElse)
{
    EXPECT_EQ(IconSizeRadioIndex(16), 0);
    EXPECT_EQ(IconSizeRadioIndex(64), 2);
    EXPECT_FALSE(IconSizeRadioIndex(48));
    EXPECT_EQ(RadioIndexIconSize(1), 32);
    EXPECT_FALSE(RadioIndexIconSize(-1));
    EXPECT_FALSE(RadioIndexIconSize(3));
}

TEST(HotkeyValue, ConvertsToAndFromTheControl)
{
    // Ctrl+Alt+M; Shift+F5; Alt+Insert from the extended keypad loses the extended flag.
    EXPECT_EQ(HotkeyValueFromControl(0x064D), 0x4D + HotkeyCtrl + HotkeyAlt);
    EXPECT_EQ(HotkeyValueFromControl(0x0174), 0x74 + HotkeyShift);
    EXPECT_EQ(HotkeyValueFromControl(0x0C2D), 0x2D + HotkeyAlt);
    EXPECT_EQ(HotkeyValueToControl(0x74 + HotkeyShift + HotkeyCtrl + HotkeyAlt), 0x0774);
    EXPECT_EQ(HotkeyValueToControl(0), 0);
    for (uint16_t mods = 0; mods < 8; ++mods) {
        auto control = static_cast<uint16_t>((mods << 8) | 0x41);
        EXPECT_EQ(HotkeyValueToControl(HotkeyValueFromControl(control)), control);
    }
}

TEST(HotkeyValue, ShiftAloneGivesThePlainKey)
{
    EXPECT_EQ(ApplyShiftOnlyRule(0x0141), 0x41);
    EXPECT_EQ(ApplyShiftOnlyRule(0x0941), 0x41);  // with the extended flag
    EXPECT_EQ(ApplyShiftOnlyRule(0x0341), 0x0341);
    EXPECT_EQ(ApplyShiftOnlyRule(0x0041), 0x41);
}

}  // namespace
