// Hotkey values as RegisterHotKey takes them and the icon tip.
#include "app/tray_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(HotkeyValue, ModifierBitsBecomeRegisterHotKeyFlags)
{
    EXPECT_EQ(HotkeyRegistrationFor(0x4000 | 'A'), (HotkeyRegistration{HotkeyModControl, 'A'}));
    EXPECT_EQ(HotkeyRegistrationFor(0x2000 | 0x70), (HotkeyRegistration{HotkeyModShift, 0x70}));
    EXPECT_EQ(HotkeyRegistrationFor(0x8000 | 0x24), (HotkeyRegistration{HotkeyModAlt, 0x24}));
    EXPECT_EQ(HotkeyRegistrationFor(0xE000 | 'Z'),
              (HotkeyRegistration{HotkeyModAlt | HotkeyModControl | HotkeyModShift, 'Z'}));
    EXPECT_EQ(HotkeyRegistrationFor(0x7B), (HotkeyRegistration{0, 0x7B}));
}

TEST(TrayTip, ShortNamesStayLongOnesAreCutWithinTheField)
{
    EXPECT_EQ(TipText(""), "");
    EXPECT_EQ(TipText("Programs"), "Programs");
    std::string fits(63, 'x');
    EXPECT_EQ(TipText(fits), fits);

    std::string longer = std::string(60, 'a') + "bcdefgh";
    std::string tip = TipText(longer);
    EXPECT_EQ(tip.size(), 63u);
    EXPECT_EQ(tip, std::string(60, 'a') + "...");
    EXPECT_EQ(TipText(std::string(5000, 'n')).size(), 63u);
}

}  // namespace
