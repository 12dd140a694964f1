// Owner-drawn popup entries: geometry, mnemonics and icon sources.
#include "menus/entry_icon_rules.h"
#include "menus/item_geometry.h"
#include "menus/mnemonic.h"

#include <gtest/gtest.h>

#include <climits>
#include <string_view>
#include <vector>

namespace {

// ---- Geometry --------------------------------------------------------------------

struct GeometryCase {
    int size, height, iconLeft, textLeft, highlightLeft, frame;
};

TEST(MenuItemGeometry, PartsSitWhereTheIconSizeSays)
{
    for (const GeometryCase& c : {GeometryCase{16, 18, 1, 20, 19, 18}, GeometryCase{32, 36, 2, 40, 38, 36},
                                  GeometryCase{64, 72, 4, 80, 76, 72}}) {
        SCOPED_TRACE(c.size);
        ItemGeometry g = GeometryFor(c.size);
        EXPECT_EQ(g.height, c.height);
        EXPECT_EQ(g.iconLeft, c.iconLeft);
        EXPECT_EQ(g.textLeft, c.textLeft);
        EXPECT_EQ(g.highlightLeft, c.highlightLeft);
        EXPECT_EQ(g.frameSize, c.frame);
    }
}

TEST(MenuItemGeometry, WidthIsTextPlusIconColumn)
{
    EXPECT_EQ(ItemWidth(100, 16, 1024), 120u);
    EXPECT_EQ(ItemWidth(100, 32, 1024), 140u);
    EXPECT_EQ(ItemWidth(100, 64, 1024), 180u);
    EXPECT_EQ(ItemWidth(0, 16, 1024), 20u);
}

TEST(MenuItemGeometry, WidthIsCappedAtScreenWidthLess64)
{
    EXPECT_EQ(ItemWidth(1000, 64, 1024), 960u);
    EXPECT_EQ(ItemWidth(880, 64, 1024), 960u);  // exactly at the cap
    EXPECT_EQ(ItemWidth(881, 64, 1024), 960u);
    EXPECT_EQ(ItemWidth(879, 64, 1024), 959u);
}

TEST(MenuItemGeometry, ExtremeTextWidthsNeitherOverflowNorWrap)
{
    EXPECT_EQ(ItemWidth(INT32_MAX, 64, 1024), 960u);
    EXPECT_EQ(ItemWidth(INT32_MAX - 10, 16, 1920), 1856u);
    // A negative width from a damaged model must not turn into a huge unsigned one.
    EXPECT_EQ(ItemWidth(-500, 16, 1024), 20u);
    EXPECT_EQ(ItemWidth(INT32_MIN, 32, 1024), 40u);
    EXPECT_EQ(ItemWidth(100, 16, 40), 0u);  // a screen narrower than the margin
}

TEST(MenuItemGeometry, IconIsCentredAndLiftedOnePixelWhenChosen)
{
    ItemPlacement plain = PlaceItem(16, 0, 0, 18, false);
    EXPECT_EQ(plain.iconX, 1);
    EXPECT_EQ(plain.iconY, 1);
    EXPECT_EQ(plain.textLeft, 20);
    ItemPlacement chosen = PlaceItem(16, 0, 0, 18, true);
    EXPECT_EQ(chosen.iconY, 0);
    EXPECT_EQ(chosen.highlightLeft, 19);
    EXPECT_EQ(chosen.frameLeft, 0);
    EXPECT_EQ(chosen.frameTop, 0);
    EXPECT_EQ(chosen.frameRight, 18);
    EXPECT_EQ(chosen.frameBottom, 18);
}

TEST(MenuItemGeometry, PlacementFollowsTheRectangle)
{
    // An entry at (30, 100) of odd height 37: mid = 100 + 18.
    ItemPlacement p = PlaceItem(32, 30, 100, 137, true);
    EXPECT_EQ(p.iconX, 32);
    EXPECT_EQ(p.iconY, 118 - 16 - 1);
    EXPECT_EQ(p.textLeft, 70);
    EXPECT_EQ(p.highlightLeft, 68);
    EXPECT_EQ(p.frameTop, 118 - 16 - 2);
    EXPECT_EQ(p.frameBottom - p.frameTop, 36);
    EXPECT_EQ(p.frameRight - p.frameLeft, 36);

    ItemPlacement big = PlaceItem(64, 0, 0, 72, false);
    EXPECT_EQ(big.iconX, 4);
    EXPECT_EQ(big.iconY, 4);
    EXPECT_EQ(big.textLeft, 80);
}

TEST(MenuItemGeometry, OtherSizesGoIntoTheFormulasUnscaled)
{
    EXPECT_EQ(PictureSizeFor(16), 16);
    EXPECT_EQ(PictureSizeFor(64), 64);
    EXPECT_EQ(PictureSizeFor(24), 32);
    EXPECT_EQ(GeometryFor(24).height, 26);
    EXPECT_EQ(GeometryFor(24).textLeft, 28);
}

TEST(MenuItemGeometry, LengthsScaleFromNinetySixDpiRoundedToTheNearestPixel)
{
    EXPECT_EQ(LengthAtDpi(16, 120), 20);
    EXPECT_EQ(LengthAtDpi(1, 120), 1);
    EXPECT_EQ(LengthAtDpi(1, 144), 2) << "a half rounds up";
    EXPECT_EQ(LengthAtDpi(-11, 144), -17) << "and away from zero, as the menu font's height does";
    EXPECT_EQ(LengthAtDpi(INT32_MAX, 192), INT32_MAX);
}

struct DpiCase {
    int size, dpi, icon, u, height, textLeft;
};

TEST(MenuItemGeometry, EveryPartFollowsTheDpiAndThePartsStillAddUp)
{
    for (const DpiCase& c : {DpiCase{16, 120, 20, 1, 22, 24}, DpiCase{16, 144, 24, 2, 28, 32},
                             DpiCase{32, 120, 40, 3, 46, 52}, DpiCase{32, 144, 48, 3, 54, 60},
                             DpiCase{64, 120, 80, 5, 90, 100}, DpiCase{64, 144, 96, 6, 108, 120}}) {
        SCOPED_TRACE(testing::Message() << c.size << " at " << c.dpi);
        ItemGeometry g = GeometryFor(c.size, c.dpi);
        EXPECT_EQ(g.iconSize, c.icon);
        EXPECT_EQ(g.u, c.u);
        EXPECT_EQ(g.height, c.height);
        EXPECT_EQ(g.textLeft, c.textLeft);
        EXPECT_EQ(g.highlightLeft, g.textLeft - g.u);
        EXPECT_EQ(g.frameSize, g.height);
        EXPECT_EQ(PictureSizeFor(c.size, c.dpi), c.icon) << "pictures are made at the size they are shown";
    }
    // At 192 DPI every length is exactly twice its 96-DPI length.
    for (int size : {16, 24, 32, 64}) {
        ItemGeometry at96 = GeometryFor(size), at192 = GeometryFor(size, 192);
        EXPECT_EQ(at192.height, 2 * at96.height) << size;
        EXPECT_EQ(at192.textLeft, 2 * at96.textLeft) << size;
        EXPECT_EQ(at192.iconLeft, 2 * at96.iconLeft) << size;
        EXPECT_EQ(PictureSizeFor(size, 192), 2 * PictureSizeFor(size)) << size;
    }
    EXPECT_EQ(PictureSizeFor(24, 144), 48) << "other sizes show the 32-pixel picture, scaled";
}

TEST(MenuItemGeometry, WidthAndItsCapFollowTheDpi)
{
    EXPECT_EQ(ItemWidth(100, 16, 1536, 144), 132u);
    EXPECT_EQ(ItemWidth(100, 64, 1536, 120), 200u);
    EXPECT_EQ(ItemWidth(2000, 16, 1536, 144), 1536u - 96u);
    EXPECT_EQ(ItemWidth(2000, 32, 2048, 192), 2048u - 128u);
}

TEST(MenuItemGeometry, AtAnyDpiTheChosenIconStaysInsideItsFrameAndTheEntry)
{
    for (int dpi : {96, 120, 144, 192})
        for (int size : {16, 32, 64}) {
            SCOPED_TRACE(testing::Message() << size << " at " << dpi);
            const ItemGeometry g = GeometryFor(size, dpi);
            const ItemPlacement p = PlaceItem(size, 10, 50, 50 + g.height, true, dpi);
            const ItemPlacement plain = PlaceItem(size, 10, 50, 50 + g.height, false, dpi);
            EXPECT_LT(p.iconY, plain.iconY) << "lifted when chosen";
            EXPECT_GE(p.iconY, p.frameTop);
            EXPECT_LE(plain.iconY + g.iconSize, p.frameBottom);
            EXPECT_GE(p.frameTop, 50);
            EXPECT_LE(p.frameBottom, 50 + g.height);
            EXPECT_EQ(p.frameRight - p.frameLeft, g.frameSize);
            EXPECT_LT(p.iconX + g.iconSize, p.highlightLeft);
        }
}

// ---- Mnemonics -------------------------------------------------------------------

TEST(MenuItemMnemonic, CharacterAfterTheFirstAmpersand)
{
    EXPECT_EQ(MnemonicOf("&Mail"), 'M');
    EXPECT_EQ(MnemonicOf("Web &browser"), 'b');
    EXPECT_EQ(MnemonicOf("A&&B"), '&');
    EXPECT_EQ(MnemonicOf("Mail & &Post"), ' ');  // only the first "&" counts
    EXPECT_EQ(MnemonicOf("Mail &"), std::nullopt);
    EXPECT_EQ(MnemonicOf("Mail"), std::nullopt);
    EXPECT_EQ(MnemonicOf("&"), std::nullopt);
    EXPECT_EQ(MnemonicOf(""), std::nullopt);
}

TEST(MenuItemMnemonic, KeyMatchesEitherCase)
{
    std::vector<std::string_view> menu = {"Editor", "&Mail", "&notes"};
    EXPECT_EQ(FindMnemonicEntry(menu, 'M'), 1);
    EXPECT_EQ(FindMnemonicEntry(menu, 'm'), 1);
    EXPECT_EQ(FindMnemonicEntry(menu, 'N'), 2);
    EXPECT_EQ(FindMnemonicEntry(menu, 'E'), -1);  // no "&" before the E
}

TEST(MenuItemMnemonic, FirstMatchInMenuOrderWins)
{
    std::vector<std::string_view> menu = {"Mail &", "&Mail one", "&mail two"};
    EXPECT_EQ(FindMnemonicEntry(menu, 'M'), 1);
}

TEST(MenuItemMnemonic, DoubledAmpersandAndDigits)
{
    std::vector<std::string_view> menu = {"A&&B", "&1 First"};
    EXPECT_EQ(FindMnemonicEntry(menu, '1'), 1);
    // The virtual-key code of "&" is that of the 7 key: no key yields "&" itself.
    EXPECT_EQ(FindMnemonicEntry(menu, '7'), -1);
    EXPECT_EQ(FindMnemonicEntry(menu, 'B'), -1);
}

TEST(MenuItemMnemonic, WholeCharacterOfAnyScriptAfterTheAmpersand)
{
    EXPECT_EQ(MnemonicOf("&Привет"), U'П');
    EXPECT_EQ(MnemonicOf("Ε&λληνικά"), U'λ');
    EXPECT_EQ(MnemonicOf("&漢字"), U'漢');
    EXPECT_EQ(MnemonicOf("&😀 smile"), U'\U0001F600');  // four bytes, one character
    EXPECT_EQ(MnemonicOf("&e\xCC\x81"), U'e');          // the base letter, not its accent
    // Malformed or cut sequences never read past the text or as another character.
    EXPECT_EQ(MnemonicOf("&\xD0"), U'\uFFFD');
    EXPECT_EQ(MnemonicOf("&\xE6\xBC"), U'\uFFFD');
    EXPECT_EQ(MnemonicOf("&\xC0\x81"), U'\uFFFD');      // overlong "A"
    EXPECT_EQ(MnemonicOf("&\xED\xA0\x80"), U'\uFFFD');  // a surrogate
    EXPECT_EQ(MnemonicOf("&\xF8\x88\x80\x80\x80"), U'\uFFFD');
}

TEST(MenuItemMnemonic, CaseFoldIsTheOnePassedIn)
{
    std::vector<std::string_view> menu = {"&Editor", "&привет", "&Привет два", "&ελλάδα"};
    // The portable rule folds only a-z: Cyrillic matches exactly, and only the first.
    EXPECT_EQ(FindMnemonicEntry(menu, U'п'), 1);
    EXPECT_EQ(FindMnemonicEntry(menu, U'П'), 2);
    EXPECT_EQ(FindMnemonicEntry(menu, U'Ε'), -1);
    // A fold that knows more scripts finds the first entry in menu order.
    auto fold = [](char32_t c) -> char32_t {
        if (c >= U'а' && c <= U'я') return c - U'а' + U'А';
        if (c >= U'α' && c <= U'ω') return c - U'α' + U'Α';
        return c >= U'a' && c <= U'z' ? c - U'a' + U'A' : c;
    };
    auto same = [&](char32_t a, char32_t b) { return fold(a) == fold(b); };
    EXPECT_EQ(FindMnemonicEntry(menu, U'П', same), 1);
    EXPECT_EQ(FindMnemonicEntry(menu, U'Ε', same), 3);
    EXPECT_EQ(FindMnemonicEntry(menu, U'e', same), 0);
}

// ---- Icon sources ----------------------------------------------------------------

TEST(MenuItemIconRules, ExtensionIsFromTheLastFullStopOfTheName)
{
    EXPECT_EQ(ExtensionOf("C:\\App\\TOOL.EXE"), ".EXE");
    EXPECT_EQ(ExtensionOf("C:\\App\\archive.tar.gz"), ".gz");
    EXPECT_EQ(ExtensionOf("C:\\dir.d\\file"), "");
    EXPECT_EQ(ExtensionOf("C:\\dir.exe\\"), "");
    EXPECT_EQ(ExtensionOf("A.B:stream"), "");
    EXPECT_EQ(ExtensionOf("noext"), "");
}

TEST(MenuItemIconRules, ProgramsInAnyLetterCase)
{
    EXPECT_TRUE(IsProgramPath("C:\\App\\TOOL.EXE"));
    EXPECT_TRUE(IsProgramPath("c:\\app\\tool.exe"));
    EXPECT_TRUE(IsProgramPath("c:\\app\\Tool.ExE"));
    EXPECT_FALSE(IsProgramPath("c:\\app\\tool.exe.txt"));
    EXPECT_FALSE(IsProgramPath("c:\\app\\tool.exe "));
    EXPECT_FALSE(IsProgramPath("c:\\app.exe\\tool"));
    EXPECT_FALSE(IsProgramPath("c:\\app\\tool.ex"));
}

TEST(MenuItemIconRules, SourceFollowsIconNumberAndKind)
{
    EXPECT_EQ(EntryIconSourceFor("C:\\App\\TOOL.EXE", false, -99), EntryIconSource::ProgramFirst);
    EXPECT_EQ(EntryIconSourceFor("c:\\app\\tool.exe", false, -99), EntryIconSource::ProgramFirst);
    EXPECT_EQ(EntryIconSourceFor("C:\\notes.txt", false, -99), EntryIconSource::ShellFileIcon);
    EXPECT_EQ(EntryIconSourceFor("C:\\folder", false, -99), EntryIconSource::ShellFileIcon);
    EXPECT_EQ(EntryIconSourceFor("", false, -99), EntryIconSource::None);
    EXPECT_EQ(EntryIconSourceFor(std::string_view("\x02\x00\x00\x00", 4), true, -99),
              EntryIconSource::IdListDefault);
    // Any other number names an icon in the icon file, whatever the entry is.
    EXPECT_EQ(EntryIconSourceFor("C:\\App\\TOOL.EXE", false, 0), EntryIconSource::IconFile);
    EXPECT_EQ(EntryIconSourceFor("", false, 3), EntryIconSource::IconFile);
    EXPECT_EQ(EntryIconSourceFor("x", true, 2), EntryIconSource::IconFile);
    EXPECT_EQ(EntryIconSourceFor("C:\\notes.txt", false, -98), EntryIconSource::IconFile);
}

}  // namespace
