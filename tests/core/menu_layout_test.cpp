// The column rule of long popup menus and the entry geometry, with the worked examples.
#include "menus/menu_layout.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

std::vector<bool> Commands(size_t n) { return std::vector<bool>(n, false); }

std::vector<size_t> StartIndices(const std::vector<bool>& starts)
{
    std::vector<size_t> at;
    for (size_t k = 0; k < starts.size(); ++k)
        if (starts[k]) at.push_back(k);
    return at;
}

ColumnLayoutInput Input(int iconSize, int maxTextWidth, int workWidth, int workHeight, bool breakIfPossible = true,
                        int dpi = 96)
{
    ColumnLayoutInput in;
    in.iconSize = iconSize;
    in.dpi = dpi;
    in.maxTextWidth = maxTextWidth;
    in.workWidth = workWidth;
    in.workHeight = workHeight;
    in.breakIfPossible = breakIfPossible;
    return in;
}

// ---- geometry ----

TEST(MenuGeometry, EntryHeightAndColumnWidthFollowTheIconSize)
{
    EXPECT_EQ(EntryHeight(16), 18);
    EXPECT_EQ(EntryHeight(32), 36);
    EXPECT_EQ(EntryHeight(64), 72);
    EXPECT_EQ(ColumnWidth(100, 16), 120);
    EXPECT_EQ(ColumnWidth(100, 32), 140);
    EXPECT_EQ(ColumnWidth(100, 64), 180);
    EXPECT_EQ(EntryHeight(20), 22) << "other sizes go into the formulas unchanged";
    EXPECT_EQ(EntryHeight(16, 144), 28);
    EXPECT_EQ(ColumnWidth(100, 32, 120), 152);
    EXPECT_EQ(EntryHeight(32, 192), 72);
}

// ---- column breaks ----

TEST(MenuColumns, AtAHigherDpiTallerEntriesBreakEarlierAndWiderColumnsMayNotFit)
{
    // 32-pixel entries at 144 DPI are 54 high: twelve fit above 700 - 54.
    EXPECT_EQ(StartIndices(ColumnStarts(Commands(30), Input(32, 200, 1024, 700, true, 144))),
              (std::vector<size_t>{12, 24}));
    EXPECT_EQ(StartIndices(ColumnStarts(Commands(30), Input(32, 150, 1024, 700, true, 192))),
              (std::vector<size_t>{9, 18, 27}));
    // Two columns of 300 + 40 fit in 1024 at 96 DPI; three of 300 + 60 do not at 144.
    EXPECT_EQ(StartIndices(ColumnStarts(Commands(30), Input(32, 300, 1024, 700))), std::vector<size_t>{19});
    EXPECT_TRUE(StartIndices(ColumnStarts(Commands(30), Input(32, 300, 1024, 700, true, 144))).empty());
}

TEST(MenuColumns, ThirtyEntriesOfSize32In700PixelsBreakAfterNineteen)
{
    auto starts = ColumnStarts(Commands(30), Input(32, 200, 1024, 700));
    EXPECT_EQ(StartIndices(starts), std::vector<size_t>{19});
}

TEST(MenuColumns, ThousandPixelsHighHold55EntriesOfSize16PerColumn)
{
    auto starts = ColumnStarts(Commands(120), Input(16, 100, 1024, 1000));
    EXPECT_EQ(StartIndices(starts), (std::vector<size_t>{55, 110}));
}

TEST(MenuColumns, NoBreaksWhenSwitchedOffOrWhenTheColumnsDoNotFitSideBySide)
{
    EXPECT_TRUE(StartIndices(ColumnStarts(Commands(30), Input(32, 200, 1024, 700, false))).empty());
    // Two columns of 471 + 40 pixels fit in 1024, two of 472 + 40 do not (strictly less).
    EXPECT_EQ(StartIndices(ColumnStarts(Commands(30), Input(32, 471, 1024, 700))), std::vector<size_t>{19});
    EXPECT_TRUE(StartIndices(ColumnStarts(Commands(30), Input(32, 472, 1024, 700))).empty());
}

TEST(MenuColumns, SeparatorsCountForTheColumnTestButTakeNoHeight)
{
    // 30 commands and 8 separators make two columns of 342 pixels, which fit in 1024;
    // with a ninth separator the test asks for three, which do not.
    std::vector<bool> entries(8, true);
    entries.resize(38, false);
    EXPECT_EQ(StartIndices(ColumnStarts(entries, Input(32, 302, 1024, 700))), std::vector<size_t>{8 + 19})
        << "the 20th command starts the column, the separators above it take no room";

    entries.insert(entries.begin(), true);
    EXPECT_TRUE(StartIndices(ColumnStarts(entries, Input(32, 302, 1024, 700))).empty());
}

TEST(MenuColumns, ASeparatorNeverStartsAColumn)
{
    std::vector<bool> entries = Commands(19);
    entries.push_back(true);  // the separator where the column would end
    entries.push_back(false);
    auto starts = ColumnStarts(entries, Input(32, 200, 1024, 700));
    EXPECT_EQ(StartIndices(starts), std::vector<size_t>{20});
}

TEST(MenuColumns, TheFirstCommandNeverStartsAColumnEvenInATinyWorkArea)
{
    std::vector<bool> entries{true, false, false};
    auto starts = ColumnStarts(entries, Input(16, 0, 1024, 10));
    EXPECT_EQ(StartIndices(starts), std::vector<size_t>{2});
}

TEST(MenuColumns, AnUnknownWorkAreaOrAHugeTextWidthBreaksNothing)
{
    EXPECT_TRUE(StartIndices(ColumnStarts(Commands(100), Input(16, 10, 1024, 0))).empty());
    EXPECT_TRUE(StartIndices(ColumnStarts(Commands(100), Input(64, INT_MAX, INT_MAX, 100))).empty());
    EXPECT_TRUE(StartIndices(ColumnStarts({}, Input(16, 10, 1024, 700))).empty());
}

TEST(MenuColumns, TheFixedCommandsAndTheFrameFitInTheLastColumn)
{
    // 64-pixel entries at 144 DPI (108 high) above 98 pixels of commands, in a frame of 6;
    // index n, one past the entries, is the commands starting a column of their own.
    struct Case { size_t entries; int workHeight; std::vector<size_t> starts; };
    for (const Case& c : {Case{7, 740, {6}}, Case{7, 768, {6}}, Case{11, 1172, {10}}, Case{5, 740, {}},
                          Case{13, 740, {6, 12}}, Case{1, 100, {1}}}) {
        ColumnLayoutInput in = Input(64, 100, 1024, c.workHeight, true, 144);
        in.fixedHeight = 98;
        in.frameHeight = 6;
        EXPECT_EQ(StartIndices(ColumnStarts(Commands(c.entries), in)), c.starts) << c.entries << " in " << c.workHeight;
    }
}

// ---- measured text ----

TEST(MenuDescription, BlanksAndControlCharactersAroundTheTextAreNotMeasured)
{
    EXPECT_EQ(MeasuredDescription(" \t Mail & News\r\n "), "Mail & News");
    EXPECT_EQ(MeasuredDescription("   "), "");
    EXPECT_EQ(MeasuredDescription(""), "");
    EXPECT_EQ(MeasuredDescription("\x7F" "A B\x01"), "A B");
    EXPECT_EQ(MeasuredDescription("\xE4rger"), "\xE4rger") << "8-bit letters are text";
}

}  // namespace
