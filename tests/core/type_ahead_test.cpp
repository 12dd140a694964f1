// Type-ahead in popups and in the settings window's item list.
#include "menus/type_ahead.h"

#include <gtest/gtest.h>

namespace {

// A fold for the test's letters outside A-Z: Cyrillic and Greek small to capital.
char32_t FoldSome(char32_t c)
{
    if (c >= U'а' && c <= U'я') return c - 0x20;
    if (c >= U'α' && c <= U'ω' && c != U'ς') return c - 0x20;
    return FoldAscii(c);
}

const std::vector<std::string_view> Entries = {
    "&Notepad", "Entry number 15", "entry number 150", "E&ntry number 2", "Ca&lc && tools", "Über&sicht",
    "&Журнал", "журнал старый", "Ωmega", "",
};

int Find(std::u32string_view typed, CaseFold fold = FoldAscii, int start = 0, bool wrap = false)
{
    return FindByTypedText(Entries, typed, fold, start, wrap);
}

}  // namespace

TEST(TypeAheadBuffer, CollectsQuickLettersAndAPauseStartsAfresh)
{
    TypeAheadBuffer buffer;
    EXPECT_EQ(buffer.Add(U'n', 5000), U"n");
    EXPECT_EQ(buffer.Add(U'o', 5400), U"no");
    EXPECT_EQ(buffer.Add(U't', 6399), U"not") << "just under the pause after the last letter";
    EXPECT_EQ(buffer.Add(U'e', 7399), U"e") << "a whole pause";
    buffer.Reset();
    EXPECT_EQ(buffer.Add(U'x', 7400), U"x");
    // The tick wraps after about 49 days.
    TypeAheadBuffer wrapping;
    wrapping.Add(U'a', 0xFFFFFF00u);
    EXPECT_EQ(wrapping.Add(U'b', 0x00000010u), U"ab");
    EXPECT_EQ(wrapping.Add(U'c', 0x00001000u), U"c");
}

TEST(TypeAheadMatch, TheWholeTextCountsNotOnlyItsFirstLetter)
{
    EXPECT_EQ(Find(U"e"), 1);
    EXPECT_EQ(Find(U"entry number 2"), 3) << "the \"&\" inside a description is not typed";
    EXPECT_EQ(Find(U"ENTRY NUMBER 150"), 2) << "case does not matter";
    EXPECT_EQ(Find(U"entry number 15"), 1) << "the first in order wins";
    EXPECT_EQ(Find(U"not"), 0);
    EXPECT_EQ(Find(U"calc & t"), 4) << "\"&&\" shows and is typed as one \"&\"";
    EXPECT_EQ(Find(U"calc &&"), -1);
    EXPECT_EQ(Find(U"entry number 3"), -1);
    EXPECT_EQ(Find(U""), -1);
    EXPECT_EQ(Find(U"notepad and more"), -1) << "longer than the description";
}

TEST(TypeAheadMatch, LettersOutsideAToZMatchWithTheFoldGiven)
{
    EXPECT_EQ(Find(U"über"), -1) << "the ASCII rule knows no Ü";
    EXPECT_EQ(Find(U"Über"), 5);
    EXPECT_EQ(Find(U"жур"), 7) << "the same case needs no fold";
    EXPECT_EQ(Find(U"ЖУР"), -1);
    EXPECT_EQ(Find(U"ЖУР", FoldSome), 6);
    EXPECT_EQ(Find(U"ЖУРНАЛ С", FoldSome), 7);
    EXPECT_EQ(Find(U"ωm", FoldSome), 8);
}

TEST(TypeAheadMatch, StartsWhereAskedAndWrapsOnlyWhenAsked)
{
    EXPECT_EQ(Find(U"entry", FoldAscii, 2), 2);
    EXPECT_EQ(Find(U"not", FoldAscii, 1), -1);
    EXPECT_EQ(Find(U"not", FoldAscii, 1, true), 0);
    EXPECT_EQ(Find(U"not", FoldAscii, 10, true), 0) << "past the end starts again at the top";
    EXPECT_EQ(Find(U"not", FoldAscii, 10), -1);
    // A damaged description is skipped, not read past.
    const std::vector<std::string_view> damaged = {"\xE2\x82", "\xC3(x", "abc"};
    EXPECT_EQ(FindByTypedText(damaged, U"a", FoldAscii), 2);
    EXPECT_EQ(FindByTypedText(damaged, U"\uFFFD(", FoldAscii), 1);
}

TEST(TypeAheadMatch, ShownDescriptionDropsTheMarks)
{
    const std::pair<const char*, const char*> cases[] = {
        {"&File", "File"}, {"Save &As", "Save As"}, {"Tom && Jerry", "Tom & Jerry"}, {"end&", "end"}, {"&&&x", "&x"}};
    for (auto [description, shown] : cases) EXPECT_EQ(ShownDescription(description), shown) << description;
}
