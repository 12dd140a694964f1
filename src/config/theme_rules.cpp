#include "config/theme_rules.h"

#include <algorithm>
#include <cmath>

ThemeChoice ThemeChoiceFrom(int value)
{
    if (value == static_cast<int>(ThemeChoice::Light)) return ThemeChoice::Light;
    if (value == static_cast<int>(ThemeChoice::Dark)) return ThemeChoice::Dark;
    return ThemeChoice::System;
}

ThemeDecision DecideTheme(ThemeChoice choice, const SystemTheme& system)
{
    // High contrast overrides every choice: its colours are the user's need, not a taste.
    if (system.highContrast) return {PaletteKind::HighContrast, PaletteKind::HighContrast};
    if (choice == ThemeChoice::Light) return {PaletteKind::Light, PaletteKind::Light};
    if (choice == ThemeChoice::Dark) return {PaletteKind::Dark, PaletteKind::Dark};
    auto kind = [](bool light) { return light ? PaletteKind::Light : PaletteKind::Dark; };
    return {kind(system.systemLight), kind(system.appsLight)};
}

const Palette& DarkPalette()
{
    static constexpr Palette dark{
        0x00202020,  // window
        0x002B2B2B,  // field
        0x00F2F2F2,  // text
        0x00484848,  // selectedBack
        0x00FFFFFF,  // selectedText
        0x00BDBDBD,  // grayText
        0x00606060,  // line
    };
    return dark;
}

namespace {

double Channel(uint32_t value)
{
    const double c = static_cast<double>(value & 0xFF) / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(uint32_t colour)
{
    return 0.2126 * Channel(colour) + 0.7152 * Channel(colour >> 8) + 0.0722 * Channel(colour >> 16);
}

}  // namespace

double ContrastRatio(uint32_t a, uint32_t b)
{
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

uint32_t QuietText(uint32_t text, uint32_t back)
{
    const auto mix = [&](int share) {
        uint32_t colour = 0;
        for (int shift = 0; shift <= 16; shift += 8) {
            const int t = static_cast<int>((text >> shift) & 0xFF), b = static_cast<int>((back >> shift) & 0xFF);
            colour |= static_cast<uint32_t>(t + (b - t) * share / 100) << shift;
        }
        return colour;
    };
    uint32_t quiet = text;
    for (int share = 5; share <= 60; share += 5) {
        if (ContrastRatio(mix(share), back) < 7.0) break;
        quiet = mix(share);
    }
    return quiet;
}
