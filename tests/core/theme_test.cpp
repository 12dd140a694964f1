// The theme: which palette each surface takes, the dark palette's contrast, and the
// option in the configuration file.
#include "config/config_file.h"
#include "config/model.h"
#include "config/theme_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using K = PaletteKind;

struct DecisionCase {
    int choice;
    SystemTheme system;
    K surfaces, windows;
};

TEST(Theme, SurfacesFollowTheSystemWindowsTheAppsAndHighContrastOverridesAll)
{
    const DecisionCase cases[] = {
        {0, {true, true, false}, K::Light, K::Light},
        {0, {false, true, false}, K::Dark, K::Light},  // dark taskbar, light apps
        {0, {true, false, false}, K::Light, K::Dark},
        {0, {false, false, false}, K::Dark, K::Dark},
        {1, {false, false, false}, K::Light, K::Light},
        {2, {true, true, false}, K::Dark, K::Dark},
        {2, {false, false, true}, K::HighContrast, K::HighContrast},
        {1, {true, true, true}, K::HighContrast, K::HighContrast},
        {7, {false, true, false}, K::Dark, K::Light},  // an unknown value follows the system
    };
    for (const DecisionCase& c : cases) {
        const ThemeDecision d = DecideTheme(ThemeChoiceFrom(c.choice), c.system);
        EXPECT_EQ(d.surfaces, c.surfaces) << "choice " << c.choice;
        EXPECT_EQ(d.windows, c.windows) << "choice " << c.choice;
    }
}

TEST(Theme, DarkTextReachesSevenToOneNormalSelectedAndDisabled)
{
    EXPECT_NEAR(ContrastRatio(0x000000, 0xFFFFFF), 21.0, 1e-9);
    EXPECT_NEAR(ContrastRatio(0x767676, 0xFFFFFF), 4.54, 0.01);
    const Palette& p = DarkPalette();
    const struct { uint32_t text, back; } pairs[] = {
        {p.text, p.field},      {p.text, p.window},     {p.selectedText, p.selectedBack},
        {p.grayText, p.field}, {p.grayText, p.window},
    };
    for (const auto& pair : pairs) EXPECT_GE(ContrastRatio(pair.text, pair.back), 7.0) << std::hex << pair.text;
    // The selection must be seen against the rows around it, without shouting.
    EXPECT_GT(ContrastRatio(p.selectedBack, p.field), 1.3);
    EXPECT_LT(ContrastRatio(p.selectedBack, p.field), 3.0);
}

TEST(Theme, KeyAbsentUntilChosenThenReadBack)
{
    const std::string today = "[GLOBAL]\r\nIconSize=16\r\nMenuCount=0\r\n";
    ProfileFile file(today);
    TKonfig konfig;
    TMenuList menus;
    ASSERT_TRUE(ReadConfig(file, konfig, menus, nullptr));
    EXPECT_EQ(konfig.Theme, 0);
    WriteConfig(file, konfig, menus);
    EXPECT_EQ(file.Bytes().find("Theme"), std::string::npos);
    konfig.Theme = 2;
    WriteConfig(file, konfig, menus);
    TKonfig back;
    ASSERT_TRUE(ReadConfig(ProfileFile(file.Bytes()), back, menus, nullptr));
    EXPECT_EQ(back.Theme, 2);
}

}  // namespace
