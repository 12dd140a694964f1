// The real mgoldwk.exe starting its entries: a copy of recorder.exe in a folder of the
// sandbox writes down how it was started (command line, current directory, show
// command); entries are chosen the way a user does, with the keyboard in the popup.
#include "app_test.h"
#include "recorder_log.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

constexpr char IconClass[] = "MarigoldwickTrayIcon";
constexpr char MissingFileText[] = "The specified file was not found.";



struct Entry {
    std::string description;
    std::string pfad;  // empty: the recorder
    std::string parameters;
    int startmode = 1;
    int autoStartmode = 1;
    bool autostart = false;
    std::string workingDir;  // written only when set, as the program does
    bool runAsAdmin = false;
};

class LaunchE2e : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        if (HasFatalFailure()) return;
        // The recorder's folder differs from the program's, so the working directory shows.
        tools = sandbox->Folder().File("tools\\");
        ASSERT_TRUE(CreateDirectoryA(tools.c_str(), nullptr));
        recorder = tools + "recorder.exe";
        ASSERT_TRUE(CopyFileA(RecorderExe().c_str(), recorder.c_str(), FALSE)) << RecorderExe();
        log = tools + "recorder.log";
        // The program and what it starts inherit the environment: records go beside the copy.
        SetEnvironmentVariableA("MGW_RECORD", nullptr);
    }
    void TearDown() override
    {
        AppTest::TearDown();
        // Started copies may still be writing when the folder goes.
        Sleep(100);
    }

    std::string Menu(int index, const std::string& name, const std::vector<Entry>& entries) const
    {
        std::string text = Ini({"[M" + std::to_string(index) + "]", "MenuName=" + name, "LCB=1",
                                "ItemCount=" + std::to_string(entries.size())});
        for (size_t i = 0; i < entries.size(); ++i) {
            const Entry& e = entries[i];
            text += Ini({"[M" + std::to_string(index) + "I" + std::to_string(i + 1) + "]",
                         "Pfad=" + (e.pfad.empty() ? recorder : e.pfad), "IsPIDL=0", "IconNum=-99",
                         "Description=" + e.description, "Parameters=" + e.parameters,
                         "Autostart=" + std::string(e.autostart ? "1" : "0"),
                         "Startmode=" + std::to_string(e.startmode),
                         "AutoStartmode=" + std::to_string(e.autoStartmode)});
            if (!e.workingDir.empty()) text += Ini({"WorkingDir=" + e.workingDir});
            if (e.runAsAdmin) text += Ini({"RunAsAdmin=1"});
        }
        return text;
    }

    void Launch(int menuCount, const std::string& menus)
    {
        ASSERT_TRUE(sandbox->WriteIni(Ini({"[GLOBAL]", "SelfAutostart=0", "AskBeforeQuit=0", "UseToolsMenu=0",
                                           "MenuCount=" + std::to_string(menuCount)}) +
                                      menus));
        AppTest::Launch(std::nullopt);
    }

    // A right click on the menu's icon, as the shell reports it.
    void OpenPopup(const std::string& tip, int menuIndex)
    {
        HWND icon = app->WaitForWindow({IconClass, tip, false}, 5000);
        ASSERT_NE(icon, nullptr);
        ASSERT_TRUE(Post(icon, 1027 + menuIndex, 0, WM_RBUTTONUP));
        ASSERT_NE(app->WaitForPopup(), nullptr);
        // Typed keys go to the foreground thread: the program takes the foreground for its popup.
        auto foregroundProcess = [] {
            DWORD pid = 0;
            GetWindowThreadProcessId(GetForegroundWindow(), &pid);
            return pid;
        };
        ASSERT_TRUE(WaitUntil([&] { return foregroundProcess() == app->Id(); }, 2000))
            << "foreground: " << WindowClass(GetForegroundWindow()) << " of process " << foregroundProcess();
    }

    // The menu's popup opened and `key` typed in it: the records once there are `count`.
    std::vector<RecorderRecord> ChooseWithKey(const std::string& tip, WORD key, size_t count)
    {
        OpenPopup(tip, 0);
        if (HasFatalFailure()) return {};
        PressKeys({key});
        return WaitForRecords(log, count);
    }

    // No further record within a short while.
    bool StaysAt(size_t count) const
    {
        Sleep(700);
        return ReadRecorderLog(log).size() == count;
    }

    void ExpectStarted(const RecorderRecord& record, const std::string& parameters, int show) const
    {
        EXPECT_NE(record.commandLine.find("tools\\recorder.exe"), std::string::npos) << record.commandLine;
        EXPECT_TRUE(EndsWith(record.commandLine, " " + parameters)) << record.commandLine;
        EXPECT_TRUE(SameFolder(record.directory, tools)) << record.directory;
        EXPECT_EQ(record.showCommand, show) << record.commandLine;
    }

    std::string tools, recorder, log;
};

// ---- choosing an entry ----

using E2eLaunchMenu = LaunchE2e;

TEST_F(E2eLaunchMenu, ArrowsAndEnterOrTheMnemonicStartTheEntryAsConfigured)
{
    Launch(1, Menu(0, "Launch",
                   {{"Record &one", "", "one", SW_HIDE, SW_HIDE},
                    {"Record t&wo", "", "two \"with spaces\" 100%", SW_SHOWMAXIMIZED, SW_HIDE},
                    {"&Record three", "", "three", SW_SHOWMINNOACTIVE, SW_SHOWMAXIMIZED}}));

    OpenPopup("Launch", 0);
    PressKeys({VK_DOWN});
    PressKeys({VK_DOWN});
    PressKeys({VK_RETURN});
    std::vector<RecorderRecord> records = WaitForRecords(log, 1);
    ASSERT_EQ(records.size(), 1u);
    ExpectStarted(records[0], "two \"with spaces\" 100%", SW_SHOWMAXIMIZED);
    EXPECT_TRUE(app->WaitForPopupGone());
    // Also lets the started copy end: Wine shows a console window for it a moment, which
    // takes the foreground and, closing, leaves none, so keys typed then would be lost.
    EXPECT_TRUE(StaysAt(1));

    // A lower-case r matches "&Record three", the third entry, not the first.
    records = ChooseWithKey("Launch", 'R', 2);
    ASSERT_EQ(records.size(), 2u);
    ExpectStarted(records[1], "three", SW_SHOWMINNOACTIVE);
    EXPECT_TRUE(app->WaitForPopupGone()) << "the mnemonic closes the popup";
    EXPECT_TRUE(StaysAt(2)) << "closing by mnemonic sends no command that starts anything again";
    EXPECT_TRUE(app->NoMessageBoxFor(200));
    EXPECT_TRUE(app->IsRunning());
}

TEST_F(E2eLaunchMenu, ThreeLettersTypedQuicklySelectTheEntryTheyBegin)
{
    Launch(1, Menu(0, "Typed",
                   {{"Report alpha", "", "alpha", SW_SHOWNORMAL},
                    {"Record beta", "", "beta", SW_SHOWNORMAL},
                    {"Reader gamma", "", "gamma", SW_SHOWMAXIMIZED}}));

    OpenPopup("Typed", 0);
    PressKeys({'R'});
    PressKeys({'E'});
    PressKeys({'A'});
    PressKeys({VK_RETURN});
    std::vector<RecorderRecord> records = WaitForRecords(log, 1);
    ASSERT_EQ(records.size(), 1u);
    ExpectStarted(records[0], "gamma", SW_SHOWMAXIMIZED);
    EXPECT_TRUE(StaysAt(1));
    EXPECT_TRUE(app->NoMessageBoxFor(200));
}

// ---- autostart ----

using E2eLaunchAutostart = LaunchE2e;

TEST_F(E2eLaunchAutostart, MarkedEntriesOfEveryMenuStartAtStartUpInTheirAutostartMode)
{
    Launch(2, Menu(0, "First",
                   {{"Auto one", "", "auto-one", SW_SHOWNORMAL, SW_SHOWMAXIMIZED, true},
                    {"Manual", "", "manual", SW_SHOWNORMAL, SW_SHOWNORMAL, false}}) +
                  Menu(1, "Second", {{"Auto two", "", "auto-two", SW_SHOWMAXIMIZED, SW_SHOWMINNOACTIVE, true}}));

    std::vector<RecorderRecord> records = WaitForRecords(log, 2);
    ASSERT_EQ(records.size(), 2u);
    // Both starts are handed to the shell at once; the copies may log in either order.
    if (EndsWith(records[0].commandLine, "auto-two")) std::swap(records[0], records[1]);
    ExpectStarted(records[0], "auto-one", SW_SHOWMAXIMIZED);
    ExpectStarted(records[1], "auto-two", SW_SHOWMINNOACTIVE);
    EXPECT_TRUE(StaysAt(2)) << "an entry not marked stays unstarted";

    // Chosen from the menu, the same entry starts in its normal mode.
    OpenPopup("First", 0);
    PressKeys({VK_DOWN});
    PressKeys({VK_RETURN});
    records = WaitForRecords(log, 3);
    ASSERT_EQ(records.size(), 3u);
    ExpectStarted(records[2], "auto-one", SW_SHOWNORMAL);
    EXPECT_TRUE(app->NoMessageBoxFor(200));
}

// ---- environment variables in the path ----

using E2eLaunchEnvironment = LaunchE2e;

TEST_F(E2eLaunchEnvironment, APathWithVariablesStartsInTheExpandedFolder)
{
    // Defined for the program only through the environment it inherits. A variable that
    // is the whole path leaves no folder to see before it is expanded.
    std::string folder = tools.substr(0, tools.size() - 1);
    ASSERT_TRUE(SetEnvironmentVariableA("MGW_E2E_TOOLS", folder.c_str()));
    ASSERT_TRUE(SetEnvironmentVariableA("MGW_E2E_RECORDER", recorder.c_str()));
    Launch(1, Menu(0, "Variables",
                   {{"&Folder", "%MGW_E2E_TOOLS%\\recorder.exe", "folder", SW_SHOWMAXIMIZED},
                    {"&Whole", "%MGW_E2E_RECORDER%", "whole", SW_SHOWNORMAL}}));
    SetEnvironmentVariableA("MGW_E2E_TOOLS", nullptr);
    SetEnvironmentVariableA("MGW_E2E_RECORDER", nullptr);

    std::vector<RecorderRecord> records = ChooseWithKey("Variables", 'F', 1);
    ASSERT_EQ(records.size(), 1u);
    ExpectStarted(records[0], "folder", SW_SHOWMAXIMIZED);
    EXPECT_TRUE(StaysAt(1));

    records = ChooseWithKey("Variables", 'W', 2);
    ASSERT_EQ(records.size(), 2u);
    ExpectStarted(records[1], "whole", SW_SHOWNORMAL);
    EXPECT_TRUE(app->NoMessageBoxFor(200));
}

TEST_F(E2eLaunchEnvironment, AnEntrysOwnWorkingDirectoryIsExpandedAndRunAsAdministratorStillStarts)
{
    char temp[MAX_PATH] = {};
    DWORD n = GetEnvironmentVariableA("TEMP", temp, sizeof(temp));
    ASSERT_TRUE(n > 0 && n < sizeof(temp));
    Launch(1, Menu(0, "Working",
                   {{"&Temp", "", "in-temp", SW_SHOWNORMAL, SW_SHOWNORMAL, false, "%TEMP%", true}}));

    std::vector<RecorderRecord> records = ChooseWithKey("Working", 'T', 1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(EndsWith(records[0].commandLine, " in-temp")) << records[0].commandLine;
    EXPECT_TRUE(SameFolder(records[0].directory, temp)) << records[0].directory << " vs " << temp;
    EXPECT_TRUE(app->NoMessageBoxFor(200));
}

// ---- failures ----

using E2eLaunchFailure = LaunchE2e;

TEST_F(E2eLaunchFailure, AMissingFileIsReportedInTwoLinesAndTheProgramGoesOn)
{
    Launch(1, Menu(0, "Broken",
                   {{"Gone &missing", tools + "gone.exe", "", SW_SHOWNORMAL},
                    {"Recorder", "", "after", SW_SHOWNORMAL}}));

    OpenPopup("Broken", 0);
    PressKeys({VK_DOWN});
    PressKeys({VK_RETURN});
    std::optional<MessageBoxInfo> error = app->WaitForMessageBox();
    ASSERT_TRUE(error);
    EXPECT_EQ(error->caption, "Marigoldwick");
    EXPECT_EQ(error->text, std::string("Execution of 'Gone &missing' failed.\r") + MissingFileText);
    ASSERT_TRUE(AnswerMessageBox(error->hwnd, IDOK));
    ASSERT_TRUE(app->WaitForMessageBoxGone(error->hwnd));

    // Typing the mnemonic fails the same way, reported while the popup is still open.
    OpenPopup("Broken", 0);
    PressKeys({'M'});
    error = app->WaitForMessageBox();
    ASSERT_TRUE(error);
    EXPECT_EQ(error->text, std::string("Execution of 'Gone &missing' failed.\r") + MissingFileText);
    ASSERT_TRUE(AnswerMessageBox(error->hwnd, IDOK));
    ASSERT_TRUE(app->WaitForMessageBoxGone(error->hwnd));
    EXPECT_TRUE(app->WaitForPopupGone());

    EXPECT_TRUE(app->IsRunning());
    EXPECT_TRUE(ReadRecorderLog(log).empty());
    OpenPopup("Broken", 0);
    PressKeys({VK_DOWN});
    PressKeys({VK_DOWN});
    PressKeys({VK_RETURN});
    std::vector<RecorderRecord> records = WaitForRecords(log, 1);
    ASSERT_EQ(records.size(), 1u);
    ExpectStarted(records[0], "after", SW_SHOWNORMAL);
    EXPECT_TRUE(app->NoMessageBoxFor(300));
}

}  // namespace
