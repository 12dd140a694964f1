// Which dumps are kept, which one the next start reports, and when the test-only switch counts.
#include "app/crash_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string DumpName(unsigned day, unsigned second)
{
    char name[DumpNameCapacity];
    FormatDumpName({2026, 12, day, 9, 5, second, 7}, name);
    return name;
}

TEST(CrashDumps, NamesSortByTimeAndOnlyTheFiveNewestDumpsAreKept)
{
    EXPECT_EQ(DumpName(8, 3), "mgoldwk-2026-12-08-090503-007.dmp");
    EXPECT_LT(DumpName(8, 59), DumpName(9, 0));
    // Seven dumps written out of name order (a clock set back), a marker and a stranger.
    std::vector<DumpFile> files;
    for (unsigned i : {4u, 1u, 6u, 0u, 5u, 2u, 3u}) files.push_back({DumpName(i + 1, 0), 100 + i});
    files.push_back({"reported.txt", 1});
    files.push_back({"notes.dmp", 2});
    EXPECT_EQ(DumpsToDelete(files), (std::vector<std::string>{DumpName(2, 0), DumpName(1, 0)}));
    files.resize(5);
    EXPECT_TRUE(DumpsToDelete(files).empty());
    // Equal times: the later name is the newer.
    EXPECT_EQ(DumpsToDelete({{DumpName(1, 1), 7}, {DumpName(1, 2), 7}}, 1), std::vector<std::string>{DumpName(1, 1)});
}

TEST(CrashDumps, TheNextStartReportsOnlyANewestDumpNotReportedBefore)
{
    const std::vector<DumpFile> files{{DumpName(1, 0), 1}, {DumpName(3, 0), 3}, {"reported.txt", 9}};
    struct Row {
        std::vector<DumpFile> files;
        std::string reported;
        std::optional<std::string> report;
    };
    const Row table[] = {
        {{}, "", std::nullopt},
        {{{"reported.txt", 9}}, "", std::nullopt},
        {files, "", DumpName(3, 0)},
        {files, DumpName(1, 0), DumpName(3, 0)},
        {files, DumpName(3, 0), std::nullopt},
    };
    for (const Row& r : table) EXPECT_EQ(DumpToReport(r.files, r.reported), r.report) << r.reported;
}

TEST(CrashDumps, TheForcedFaultNeedsTheSwitchAndTheVariable)
{
    struct Row {
        const char* commandLine;
        const char* variable;
        std::optional<CrashTest> test;
    };
    const Row table[] = {
        {"\"C:\\a b\\mgoldwk.exe\" /crashtest", "1", CrashTest::UiThread},
        {"mgoldwk.exe /x /crashtest=worker /y", "1", CrashTest::WorkerThread},
        {"mgoldwk.exe /crashtest=terminate", "1", CrashTest::Terminate},
        {"mgoldwk.exe /crashtest", "", std::nullopt},
        {"mgoldwk.exe /crashtest", "0", std::nullopt},
        {"mgoldwk.exe", "1", std::nullopt},
        {"mgoldwk.exe /crashtests", "1", std::nullopt},
        {"mgoldwk.exe a/crashtest", "1", std::nullopt},
        {"mgoldwk.exe /crashtest=other", "1", std::nullopt},
    };
    for (const Row& r : table) EXPECT_EQ(CrashTestFor(r.commandLine, r.variable), r.test) << r.commandLine;
}

}  // namespace
