// The quick-launch history: learned ranking, recent starts, and its file.
#include "quick/quick_history.h"

#include <gtest/gtest.h>

#include "text/code_page.h"

namespace {

constexpr int64_t Now = 1'800'000'000;
constexpr int64_t Day = 86'400;

struct Start {
    const char* typed;
    int target;  // candidate
    int64_t daysAgo;
};
struct RankCase {
    const char* name;
    std::vector<Start> starts;
    const char* typed;
    std::vector<int> order;
};

TEST(QuickHistory, RankingLearnsFromOnePickWithoutLiftingWeakMatchesOverStrongOnes)
{
    const std::vector<std::pair<const char*, const char*>> entries = {
        {"Report alpha", "ra.exe"}, {"Report beta", "rb.exe"}, {"Paint", "mspaint.exe"},
        {"Sepia", "sepia.exe"},     {"Alpaca", "alp.exe"},     {"Tool", "a.exe"}, {"Tool", "b.exe"}};
    const std::vector<RankCase> cases = {
        {"no use keeps the matcher's order", {}, "rep", {0, 1}},
        {"one pick wins", {{"rep", 1, 0}}, "rep", {1, 0}},
        {"also for a longer text", {{"rep", 1, 0}}, "Re P", {1, 0}},
        {"and for a shorter one", {{"repo", 1, 0}}, "re", {1, 0}},
        {"the latest pick wins", {{"rep", 1, 2}, {"rep", 0, 1}}, "rep", {0, 1}},
        {"the same text beats a related one", {{"rep", 1, 2}, {"re", 0, 1}}, "rep", {1, 0}},
        {"strong beats frequent", {{"pa", 3, 0}, {"pa", 3, 0}, {"pa", 3, 1}}, "pa", {2, 3, 0, 4}},
        {"recent use decides a tie", {{"x", 6, 1}}, "tool", {6, 5}},
        {"old use decays away", {{"x", 6, 200}}, "tool", {5, 6}},
        {"initials are a strong match", {{"ra", 1, 0}}, "ra", {0, 1}},
        {"use cannot outweigh a better match", {{"x", 3, 0}, {"x", 3, 0}, {"x", 3, 0}}, "pa", {2, 0, 4, 3}},
    };
    for (const RankCase& c : cases) {
        QuickMatcher matcher;
        std::vector<std::string> targets;
        for (const auto& [description, file] : entries) {
            matcher.Add(description, file);
            targets.push_back(file);
        }
        QuickHistory history;
        for (const Start& s : c.starts) history.Record(s.typed, targets[s.target], Now - s.daysAgo * Day);
        std::vector<QuickHit> hits;
        matcher.Rank(c.typed, hits);
        RankByHistory(matcher, history, c.typed, Now, targets, hits);
        std::vector<int> order;
        for (const QuickHit& h : hits) order.push_back(h.candidate);
        order.resize(std::min(order.size(), c.order.size()));
        EXPECT_EQ(order, c.order) << c.name;
    }
}

TEST(QuickHistory, KeepsTheLatestRecordsAndListsRecentStartsOncePerTarget)
{
    QuickHistory history;
    for (int i = 0; i < 2005; ++i) history.Record("t", "p" + std::to_string(i), Now + i);
    history.Record("other", "p2003", Now + 3000);
    EXPECT_EQ(history.Records().size(), QuickHistory::MaxRecords);
    EXPECT_EQ(history.Records().front().target, "p6");
    const std::vector<std::string> recent = history.Recent();
    ASSERT_EQ(recent.size(), 20u);
    EXPECT_EQ(recent[0], "p2003");
    EXPECT_EQ(recent[1], "p2004");
    EXPECT_EQ(recent[2], "p2002");
    EXPECT_TRUE(history.Remove("p2003"));
    EXPECT_EQ(history.Recent(1), std::vector<std::string>{"p2004"});
}

TEST(QuickHistory, TheFileKeepsEveryRecordAndPassesOverDamagedOnes)
{
    const Windows1252 codePage;
    QuickHistory history;
    history.Record("Grüße ", " C:\\Tools\\a b.exe ", Now);
    history.Record("", "\"quoted\"", Now - 5);
    history.Record("x", "menu 2/3", Now - 7);
    history.Record("x", "menu 2/3", Now - 6);
    const QuickHistory back = ReadHistory(WriteHistory(history), codePage);
    EXPECT_EQ(back.Records(), history.Records());

    const QuickHistory damaged = ReadHistory(
        "[H0]\nTarget=a\nCount=x\nTime=1\n[H1]\nTarget=b\nCount=1\nTime=-4\n[H2]\nCount=1\nTime=1\n"
        "[H3]\nText=Gr\xFC\xDF\nTarget=ok\nCount=2\nTime=9\n[H9]\nTarget=d\nCount=1\nTime=1\n",
        codePage);
    ASSERT_EQ(damaged.Records().size(), 2u);
    EXPECT_EQ(damaged.Records()[0], (HistoryRecord{"grüß", "ok", 2, 9}));
    EXPECT_TRUE(ReadHistory("\xFF\xFE\x01", codePage).Records().empty());
}

}  // namespace
