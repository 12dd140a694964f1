// The theme: which palette each surface takes and the dark palette's contrast.
#include "config/theme_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

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
    // Secondary text is quieter than the text, yet reads at 7:1 on light and dark alike.
    for (const auto& pair : {std::pair{0x000000u, 0xFFFFFFu}, std::pair{p.text, p.field}, std::pair{0x202020u, 0x404040u}}) {
        const uint32_t quiet = QuietText(pair.first, pair.second);
        EXPECT_GE(ContrastRatio(quiet, pair.second), std::min(7.0, ContrastRatio(pair.first, pair.second)));
        EXPECT_LT(ContrastRatio(quiet, pair.second), 8.0) << std::hex << quiet;
    }
    // The selection must be seen against the rows around it, without shouting.
    EXPECT_GT(ContrastRatio(p.selectedBack, p.field), 1.3);
    EXPECT_LT(ContrastRatio(p.selectedBack, p.field), 3.0);
}

}  // namespace
