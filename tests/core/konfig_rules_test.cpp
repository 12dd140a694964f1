#include "settings/konfig_rules.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::unique_ptr<TOneItem>> Items(std::initializer_list<const char*> descriptions)
{
    std::vector<std::unique_ptr<TOneItem>> items;
    for (const char* d : descriptions) {
        items.push_back(std::make_unique<TOneItem>());
        items.back()->Description = d;
    }
    return items;
}

TEST(KonfigRules, StartModesMapBothWaysAndUnknownValuesShowNoChoice)
{
    for (int i = 0; i < 4; ++i) EXPECT_EQ(StartModeIndex(StartModeFromIndex(i)), i);
    EXPECT_EQ(StartModeFromIndex(1), 7);
    EXPECT_EQ(StartModeIndex(5), -1);
    EXPECT_EQ(StartModeFromIndex(-1), 1) << "no choice stores Normal";
    EXPECT_EQ(StartModeFromIndex(4), 1);
}

TEST(KonfigRules, TypeAheadSearchesFromTheStartAndWrapsOnlyWhenAsked)
{
    auto items = Items({"beta", "Alpha", "Bravo", "alps", "\xE4pfel"});
    EXPECT_EQ(FindItemByPrefix(items, 1, "B", true), 2);
    EXPECT_EQ(FindItemByPrefix(items, 3, "b", true), 0);
    EXPECT_EQ(FindItemByPrefix(items, 3, "b", false), -1);
    EXPECT_EQ(FindItemByPrefix(items, 3, "ALP", false), 3) << "the start item itself counts";
    EXPECT_EQ(FindItemByPrefix(items, 5, "al", true), 1) << "a start past the end wraps to the first";
    EXPECT_EQ(FindItemByPrefix(items, 0, "\xC4", true), -1) << "only a to z ignore case";
    EXPECT_EQ(FindItemByPrefix(items, -3, "betas", true), -1);
    EXPECT_EQ(FindItemByPrefix({}, 0, "a", true), -1);
}

TEST(KonfigRules, TypeAheadComparesLettersOfEveryScriptByTheGivenCaseRule)
{
    // UTF-8: "apfel" with a-umlaut, Cyrillic "privet", and "Ä"/"П" as typed.
    auto items = Items({"beta", "\xC3\xA4pfel", "\xD0\xBF\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82", "Alpha"});
    const UpperCaseFn upper = [](std::string_view text) {
        std::string result(text);
        auto replace = [&](std::string_view lower, std::string_view capital) {
            for (size_t at = result.find(lower); at != std::string::npos; at = result.find(lower, at))
                result.replace(at, lower.size(), capital);
        };
        replace("\xC3\xA4", "\xC3\x84");
        replace("\xD0\xBF", "\xD0\x9F");
        for (char& c : result)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        return result;
    };
    EXPECT_EQ(FindItemByPrefix(items, 0, "\xC3\x84", true, upper), 1);
    EXPECT_EQ(FindItemByPrefix(items, 0, "\xD0\x9F", true, upper), 2);
    EXPECT_EQ(FindItemByPrefix(items, 3, "\xD0\x9F", true, upper), 2) << "wraps as before";
    EXPECT_EQ(FindItemByPrefix(items, 0, "\xD0\x9F", true), -1) << "without the rule only a to z";
    EXPECT_EQ(FindItemByPrefix(items, 0, "a", true, upper), 3);
}

TEST(KonfigRules, TheMaskWritesEveryFieldButAShellItemsIdentifierList)
{
    ItemMask mask;
    mask.pfad = "C:\\Tools\\app.exe";
    mask.iconPfad = "C:\\Icons\\set.dll";
    mask.useDefaultIcon = false;
    mask.iconNum = 3;
    mask.startModeChoice = 2;
    mask.autoStartModeChoice = 3;
    mask.autostart = true;
    mask.parameters = "/x";
    mask.description = "App";

    TOneItem item;
    item.IsPIDL = true;
    item.Pfad = "pidl bytes";
    item.ImageIndex = 4;
    ApplyItemMask(mask, item);
    EXPECT_FALSE(item.IsPIDL);
    EXPECT_EQ(item.Pfad, "C:\\Tools\\app.exe");
    EXPECT_EQ(item.IconPfad, "C:\\Icons\\set.dll");
    EXPECT_EQ(item.IconNum, 3);
    EXPECT_EQ(item.Startmode, 3);
    EXPECT_EQ(item.AutoStartmode, 0);
    EXPECT_TRUE(item.Autostart);
    EXPECT_EQ(item.Parameters, "/x");
    EXPECT_EQ(item.Description, "App");
    EXPECT_EQ(item.ImageIndex, 4) << "the picture is the window's business";

    // The default icon wins over a typed path and position; a shell item stays one.
    mask.shellItem = true;
    mask.pfad = "Control Panel";
    mask.useDefaultIcon = true;
    mask.startModeChoice = -1;
    TOneItem shell;
    shell.IsPIDL = true;
    shell.Pfad = "pidl bytes";
    ApplyItemMask(mask, shell);
    EXPECT_TRUE(shell.IsPIDL);
    EXPECT_EQ(shell.Pfad, "pidl bytes");
    EXPECT_EQ(shell.IconPfad, "");
    EXPECT_EQ(shell.IconNum, DefaultIconNum);
    EXPECT_EQ(shell.Startmode, 1);
}

TEST(KonfigRules, AFolderIsAnEntryButNeverAnIconFile)
{
    using K = PathKind;
    ItemMask byDefault;
    EXPECT_EQ(AddItemMaskWarning(byDefault, K::Directory, K::Missing), nullptr);
    EXPECT_EQ(AddItemMaskWarning(byDefault, K::File, K::Missing), nullptr);
    EXPECT_STREQ(AddItemMaskWarning(byDefault, K::Missing, K::Missing), "default Icon file not found.");
    ItemMask shellItem;
    shellItem.shellItem = true;
    EXPECT_EQ(AddItemMaskWarning(shellItem, K::Missing, K::Missing), nullptr) << "its text is only a name";

    ItemMask ownIcon;
    ownIcon.useDefaultIcon = false;
    EXPECT_EQ(AddItemMaskWarning(ownIcon, K::Missing, K::File), nullptr) << "the icon file is what must exist";
    for (K icon : {K::Missing, K::Directory}) {
        EXPECT_STREQ(AddItemMaskWarning(ownIcon, K::Directory, icon), "Icon file not found.");
        EXPECT_STREQ(ModifyItemMaskWarning(ownIcon, icon), "Icon file not found.");
    }
    EXPECT_EQ(ModifyItemMaskWarning(byDefault, K::Missing), nullptr);
}

TEST(KonfigRules, LabelTexts)
{
    EXPECT_EQ(ItemIndexText(true, 2, 7), "3/7");
    EXPECT_EQ(ItemIndexText(true, -1, 5), "-/5");
    EXPECT_EQ(ItemIndexText(false, -1, 0), "");
    EXPECT_EQ(CurrentMenuText("Games"), "-( Games )-");
}

TEST(KonfigKeys, CtrlArrowsMoveTheSelectedEntryAlongTheListsDirection)
{
    // Home, Left, Up, Right, Down: in a list going down, then in one going across; without Ctrl.
    const int steps[3][5] = {{0, 0, -1, 0, 1}, {0, -1, -1, 1, 1}, {0, 0, 0, 0, 0}};
    for (unsigned key = 0x24; key <= 0x28; ++key)
        for (int kind = 0; kind < 3; ++kind) EXPECT_EQ(MoveStepForKey(key, kind < 2, kind > 0), steps[kind][key - 0x24]);
}

}  // namespace
