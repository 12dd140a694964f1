// The quick-launch box's ranking on a fixed list of entries.
#include "quick/quick_match.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Entry {
    const char* description;
    const char* fileName;
};

// Menu order as the box would add it.
const std::vector<Entry> Entries = {
    {"&Notepad", "notepad.exe"},          // 0
    {"Word Pad", "wordpad.exe"},          // 1
    {"Paint", "mspaint.exe"},             // 2
    {"Clipboard viewer", "clipbrd.exe"},  // 3
    {"Control Panel", "control.exe"},     // 4
    {"Editor", "wrtdoc.exe"},             // 5
    {"Tool", "a.exe"},                    // 6
    {"Tool", "b.exe"},                    // 7
    {"Entry number 150", "e150.exe"},     // 8
    {"Entry number 15", "e15.exe"},       // 9
    {"Save && &Quit", ""},                // 10
};

class QuickRanking : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const Entry& e : Entries) matcher.Add(e.description, e.fileName);
    }
    std::vector<int> Order(const char* typed)
    {
        matcher.Rank(typed, hits);
        std::vector<int> order;
        for (const QuickHit& h : hits) order.push_back(h.candidate);
        return order;
    }
    QuickMatcher matcher;
    std::vector<QuickHit> hits;
};

TEST_F(QuickRanking, LettersMaySkipButMustComeInOrder)
{
    EXPECT_EQ(Order("ntpd"), (std::vector<int>{0}));
    EXPECT_EQ(Order("NTPD"), (std::vector<int>{0}));  // case does not matter
    EXPECT_EQ(Order("dptn"), (std::vector<int>{}));
    EXPECT_EQ(Order("zzz"), (std::vector<int>{}));
    // The "&" of the description is no letter to type, "&&" is one.
    EXPECT_EQ(Order("save&q"), (std::vector<int>{10}));
}

TEST_F(QuickRanking, WordStartsBeatLettersInsideWords)
{
    // Control Panel: both letters start words; Clipboard viewer finds "p" inside a word.
    std::vector<int> order = Order("cp");
    ASSERT_GE(order.size(), 2u);
    EXPECT_EQ(order[0], 4);
    EXPECT_EQ(order[1], 3);
}

TEST_F(QuickRanking, PrefixAndRunsRankFirst)
{
    // Paint starts with the text; Word Pad has it at a word start later on.
    std::vector<int> order = Order("pa");
    ASSERT_GE(order.size(), 2u);
    EXPECT_EQ(order[0], 2);
    EXPECT_EQ(order[1], 1);
    // Inside a word, consecutive letters beat the same letters spread out, and an
    // earlier match a later one.
    EXPECT_GT(matcher.ScoreText("note", "keynotes"), matcher.ScoreText("note", "knowntext"));
    EXPECT_GT(matcher.ScoreText("note", "xnote"), matcher.ScoreText("note", "xxxxnote"));
}

TEST_F(QuickRanking, FileNameOfThePathMatchesToo)
{
    EXPECT_EQ(Order("wrtdoc"), (std::vector<int>{5}));
    EXPECT_EQ(Order("e150"), (std::vector<int>{8}));
}

TEST_F(QuickRanking, TiesKeepMenuOrder)
{
    EXPECT_EQ(Order("tool"), (std::vector<int>{6, 7}));
    // Both numbered entries match the shorter text the same way: the menu decides.
    EXPECT_EQ(Order("entry number 15"), (std::vector<int>{8, 9}));
    EXPECT_EQ(Order("entry number 150"), (std::vector<int>{8}));
    std::vector<int> all(Entries.size());
    for (size_t i = 0; i < all.size(); ++i) all[i] = static_cast<int>(i);
    EXPECT_EQ(Order(""), all);
    EXPECT_EQ(Order("  "), all);
}

TEST_F(QuickRanking, NarrowingAmongLastHitsGivesTheSameList)
{
    for (const char* typed : {"t", "to", "e", "en", "p", "pa"}) {
        SCOPED_TRACE(typed);
        std::vector<QuickHit> last, narrowed, full;
        matcher.Rank(typed, last);
        const std::string longer = std::string(typed) + "o";
        matcher.RankAmong(longer, last, narrowed);
        matcher.Rank(longer, full);
        ASSERT_EQ(narrowed.size(), full.size());
        for (size_t i = 0; i < full.size(); ++i) {
            EXPECT_EQ(narrowed[i].candidate, full[i].candidate);
            EXPECT_EQ(narrowed[i].score, full[i].score);
        }
    }
}

char32_t LatinFold(char32_t c)
{
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
    return AsciiCaseFold(c);
}

TEST(QuickMatch, LettersBeyondAsciiFoldThroughThePassedRule)
{
    QuickMatcher ascii;
    EXPECT_EQ(ascii.ScoreText("\xC3\xA4pf", "\xC3\x84pfel"), -1);  // "äpf" in "Äpfel"
    QuickMatcher latin(LatinFold);
    EXPECT_GT(latin.ScoreText("\xC3\xA4pf", "\xC3\x84pfel"), 0);
    // Broken UTF-8 neither matches by accident nor reads past the text.
    EXPECT_EQ(latin.ScoreText("a", "\xC3"), -1);
    EXPECT_GE(latin.ScoreText("b", "\xE2\x82" "b"), 0);
}

TEST(QuickMatch, MnemonicMarkersAreDropped)
{
    EXPECT_EQ(DescriptionWithoutMnemonic("&Notepad"), "Notepad");
    EXPECT_EQ(DescriptionWithoutMnemonic("Save && &Quit"), "Save & Quit");
    EXPECT_EQ(DescriptionWithoutMnemonic("end&"), "end");
}

}  // namespace
