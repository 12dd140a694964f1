// A forced fault on the UI thread, on a worker and through std::terminate: each ends the
// real program with a minidump in %LOCALAPPDATA%\Marigoldwick\crashes, and the next start
// says so once.
#include "driver.h"

#include "win/text_conversion.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

constexpr char Crashes[] = "Marigoldwick\\crashes\\";

// The first four bytes of each dump.
std::vector<std::string> DumpSignatures(const TempFolder& appData)
{
    std::vector<std::string> signatures;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(Wide(appData.File(Crashes) + "*.dmp").c_str(), &found);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found))
        signatures.push_back(appData.Read(Crashes + Utf8(found.cFileName)).value_or("").substr(0, 4));
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    return signatures;
}

TEST(CrashJourney, EveryForcedFaultLeavesADumpAndTheNextStartSaysSoOnce)
{
    std::optional<MgwSandbox> sandbox = MgwSandbox::Create();
    std::optional<TempFolder> appData = TempFolder::Create();
    ASSERT_TRUE(sandbox && appData);
    ASSERT_TRUE(sandbox->WriteIni(Ini({"[GLOBAL]", "SelfAutostart=0", "MenuCount=1", "[M0]", "MenuName=Tools",
                                       "ItemCount=0"})));
    ScopedVariable localAppData(L"LOCALAPPDATA", appData->Path());
    std::optional<ScopedVariable> allowed(std::in_place, L"MARIGOLDWICK_CRASH_TEST", "1");

    const std::string expected = "Marigoldwick ended unexpectedly last time.\rA report of the fault stays on this "
                                 "computer, in:\r" + appData->File("Marigoldwick\\crashes");
    // A start that reports the previous fault: the box is answered and the program runs on.
    auto startReporting = [&](const std::string& arguments) {
        std::unique_ptr<AppProcess> app = AppProcess::Start(sandbox->ExePath(), arguments);
        std::optional<MessageBoxInfo> box = app->WaitForMessageBox();
        EXPECT_TRUE(box);
        if (!box) return app;
        EXPECT_EQ(box->text, expected);
        EXPECT_TRUE(AnswerMessageBox(box->hwnd, IDOK));
        EXPECT_TRUE(app->WaitForMessageBoxGone(box->hwnd));
        return app;
    };

    const char* faults[] = {"/crashtest", "/crashtest=worker", "/crashtest=terminate"};
    for (size_t i = 0; i < std::size(faults); ++i) {
        SCOPED_TRACE(faults[i]);
        std::unique_ptr<AppProcess> app =
            i > 0 ? startReporting(faults[i]) : AppProcess::Start(sandbox->ExePath(), faults[i]);
        std::optional<DWORD> code = app->WaitForExit(30000);
        ASSERT_TRUE(code);
        EXPECT_NE(*code, 0u);
        EXPECT_EQ(DumpSignatures(*appData), std::vector<std::string>(i + 1, "MDMP"));
    }
    // Without the variable the switch does nothing: the program reports the last fault and runs.
    allowed.reset();
    std::unique_ptr<AppProcess> app = startReporting("/crashtest");
    EXPECT_TRUE(app->NoMessageBoxFor(1000));
    EXPECT_TRUE(app->IsRunning());
    app->Kill();
    app = AppProcess::Start(sandbox->ExePath());
    EXPECT_NE(app->WaitForMainWindow(), nullptr);
    EXPECT_TRUE(app->NoMessageBoxFor(2000));
}

}  // namespace
