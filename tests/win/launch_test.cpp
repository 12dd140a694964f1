// Starting entries for real: a copy of recorder.exe writes down how the shell started
// it (command line, current directory, show command), and failures go to the message
// seam.
#include "config/model.h"
#include "app_test.h"
#include "fake_messages.h"
#include "launch/launch_win.h"
#include "recorder_log.h"
#include "shell/idlist_win.h"
#include "unicode_files.h"
#include "win/system_message.h"
#include "win/text_conversion.h"

#include <gtest/gtest.h>

#include <string>

using namespace std::string_literals;

namespace {



class LaunchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        folder = TempFolder::Create();
        ASSERT_TRUE(folder);
        // The program sits in a folder of its own, away from the test's current directory.
        ASSERT_TRUE(CreateDirectoryA(folder->File("tools").c_str(), nullptr));
        recorder = folder->File("tools\\recorder.exe");
        ASSERT_TRUE(CopyFileA(RecorderExe().c_str(), recorder.c_str(), FALSE)) << RecorderExe();
        log = folder->File("record.log");
        ASSERT_TRUE(SetEnvironmentVariableA("MGW_RECORD", log.c_str()));
        ReleaseMenus(MenuList);
        menu = &NewMenu(MenuList, {});
    }

    void TearDown() override
    {
        ReleaseMenus(MenuList);
        SetEnvironmentVariableA("MGW_RECORD", nullptr);
        // Give started copies time to finish writing before the folder goes.
        Sleep(100);
        CoUninitialize();
    }

    TOneItem& Add(const std::string& pfad, const std::string& description, uint16_t startmode = 1)
    {
        auto item = std::make_unique<TOneItem>();
        item->Pfad = pfad;
        item->Description = description;
        item->Startmode = startmode;
        item->AutoStartmode = startmode;
        return AddItem(*menu, std::move(item));
    }
    int Last() const { return static_cast<int>(menu->Items.size()) - 1; }

    // No further record within a short while.
    bool StaysAt(size_t count) const
    {
        Sleep(700);
        return ReadRecorderLog(log).size() == count;
    }

    std::optional<TempFolder> folder;
    std::string recorder, log;
    TOneMenu* menu = nullptr;
};

TEST_F(LaunchTest, ProgramStartsWithItsParametersInItsOwnFolder)
{
    TOneItem& item = Add(recorder, "Recorder");
    item.Parameters = "-x \"two words\" 100%";
    FakeMessages messages;
    LaunchItem(0, Last(), false);

    auto records = WaitForRecords(log, 1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_NE(records[0].commandLine.find("recorder.exe"), std::string::npos) << records[0].commandLine;
    EXPECT_TRUE(EndsWith(records[0].commandLine, " -x \"two words\" 100%")) << records[0].commandLine;
    EXPECT_TRUE(SameFolder(records[0].directory, folder->File("tools"))) << records[0].directory;
    EXPECT_EQ(records[0].showCommand, SW_SHOWNORMAL);
    EXPECT_TRUE(messages.Asked().empty());
    EXPECT_TRUE(StaysAt(1));
}

TEST_F(LaunchTest, EachStartModeIsHandedOverAsTheShowCommand)
{
    const uint16_t modes[] = {SW_SHOWNORMAL, SW_SHOWMINNOACTIVE, SW_SHOWMAXIMIZED, SW_HIDE};
    for (uint16_t mode : modes) {
        TOneItem& item = Add(recorder, "Mode", mode);
        item.Parameters = "mode" + std::to_string(mode);
    }
    FakeMessages messages;
    for (int i = 0; i < 4; ++i) {
        LaunchItem(0, i, false);
        // One at a time, so the records come in the order of the modes.
        ASSERT_EQ(WaitForRecords(log, static_cast<size_t>(i + 1)).size(), static_cast<size_t>(i + 1));
    }
    auto records = ReadRecorderLog(log);
    ASSERT_EQ(records.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_TRUE(EndsWith(records[i].commandLine, "mode" + std::to_string(modes[i]))) << records[i].commandLine;
        EXPECT_EQ(records[i].showCommand, modes[i]) << "mode " << modes[i];
    }
    EXPECT_TRUE(messages.Asked().empty());
}

TEST_F(LaunchTest, ABareNameStartsInTheCurrentDirectory)
{
    char previous[MAX_PATH] = {};
    ASSERT_TRUE(GetCurrentDirectoryA(sizeof(previous), previous));
    ASSERT_TRUE(SetCurrentDirectoryA(folder->File("tools").c_str()));
    Add("recorder.exe", "Bare").Parameters = "bare";
    FakeMessages messages;
    LaunchItem(0, Last(), false);
    auto records = WaitForRecords(log, 1);
    EXPECT_TRUE(SetCurrentDirectoryA(previous));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(SameFolder(records[0].directory, folder->File("tools"))) << records[0].directory;
    EXPECT_TRUE(messages.Asked().empty());
}

TEST_F(LaunchTest, AutostartUsesTheAutostartModeAndTheMenuUsesTheNormalOne)
{
    TOneItem& quiet = Add(recorder, "Not marked");
    quiet.Parameters = "quiet";
    TOneItem& marked = Add(recorder, "Marked", SW_SHOWNORMAL);
    marked.Autostart = true;
    marked.AutoStartmode = SW_SHOWMAXIMIZED;
    marked.Parameters = "marked";
    FakeMessages messages;

    RunAutostartItems();
    auto records = WaitForRecords(log, 1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(EndsWith(records[0].commandLine, "marked"));
    EXPECT_EQ(records[0].showCommand, SW_SHOWMAXIMIZED);
    EXPECT_TRUE(StaysAt(1));

    LaunchItem(0, 1, false);
    records = WaitForRecords(log, 2);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].showCommand, SW_SHOWNORMAL);
    EXPECT_TRUE(messages.Asked().empty());
}

TEST_F(LaunchTest, AutostartGoesThroughEveryMenuAndReportsEachFailure)
{
    Add(folder->File("missing-one.exe"), "One").Autostart = true;
    Add(recorder, "Between").Autostart = true;
    menu = &NewMenu(MenuList, {});
    Add(folder->File("missing-two.exe"), "Two").Autostart = true;
    FakeMessages messages;
    RunAutostartItems();
    ASSERT_EQ(messages.Asked().size(), 2u);
    EXPECT_EQ(messages.Asked()[0].text, "Execution of 'One' failed.\rThe specified file was not found.");
    EXPECT_EQ(messages.Asked()[1].text, "Execution of 'Two' failed.\rThe specified file was not found.");
    EXPECT_EQ(WaitForRecords(log, 1).size(), 1u);
}

TEST_F(LaunchTest, MissingFileShowsTheEntryAndTheReason)
{
    Add(folder->File("tools\\mgw-missing-editor.exe"), "Editor");
    FakeMessages messages;
    LaunchItem(0, Last(), false);
    ASSERT_EQ(messages.Asked().size(), 1u);
    const MessageRequest& box = messages.Asked()[0];
    EXPECT_EQ(box.text, "Execution of 'Editor' failed.\rThe specified file was not found.");
    EXPECT_EQ(box.caption, "Marigoldwick");
    EXPECT_EQ(box.form, MessageForm::SystemBox);
    EXPECT_EQ(box.kind, MessageKind::Error);
    EXPECT_EQ(box.buttons, MessageButtons::Ok);
    EXPECT_EQ(box.owner, nullptr);
}

TEST_F(LaunchTest, SeparatorHandedOverFailsLikeAMissingFile)
{
    Add(SeparatorMarker, "Separator");
    FakeMessages messages;
    LaunchItem(0, Last(), false);
    ASSERT_EQ(messages.Asked().size(), 1u);
    EXPECT_EQ(messages.Asked()[0].text, "Execution of 'Separator' failed.\rThe specified file was not found.");
}

TEST_F(LaunchTest, RecorderWritesBesideItselfWithoutARecordFileNamed)
{
    ASSERT_TRUE(SetEnvironmentVariableA("MGW_RECORD", nullptr));
    Add(recorder, "Recorder").Parameters = "beside";
    FakeMessages messages;
    LaunchItem(0, Last(), false);
    auto records = WaitForRecords(folder->File("tools\\recorder.log"), 1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(EndsWith(records[0].commandLine, "beside"));
    EXPECT_TRUE(ReadRecorderLog(log).empty());
}

// A program in a folder named in every script starts with its parameters and its own
// folder handed over unchanged: the recorder writes what GetCommandLineW and
// GetCurrentDirectoryW gave it.
class UnicodeLaunchTest : public LaunchTest {
protected:
    void SetUp() override
    {
        LaunchTest::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        unicodeFolder = folder->File(MixedName);
        ASSERT_TRUE(CreateDirectoryW(Wide(unicodeFolder).c_str(), nullptr));
        unicodeRecorder = unicodeFolder + "\\" + CyrillicName + ".exe";
        ASSERT_TRUE(CopyFileW(Wide(RecorderExe()).c_str(), Wide(unicodeRecorder).c_str(), FALSE));
    }
    std::string unicodeFolder, unicodeRecorder;
};

TEST_F(UnicodeLaunchTest, ProgramNamedInEveryScriptGetsItsCommandLineAndFolderExactly)
{
    const std::string parameters = std::string(GreekName) + " \"" + CjkName + " " + EmojiName + "\" " + CombiningName;
    Add(unicodeRecorder, MixedName).Parameters = parameters;
    FakeMessages messages;
    LaunchItem(0, Last(), false);
    auto records = WaitForRecords(log, 1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_NE(records[0].commandLine.find(unicodeRecorder), std::string::npos) << records[0].commandLine;
    EXPECT_TRUE(EndsWith(records[0].commandLine, " " + parameters)) << records[0].commandLine;
    EXPECT_EQ(records[0].directory, unicodeFolder);
    EXPECT_TRUE(messages.Asked().empty());
}

TEST_F(UnicodeLaunchTest, VariablesWithUnicodeValuesExpandBeforeTheStart)
{
    ASSERT_TRUE(SetEnvironmentVariableW(L"MGW_UNICODE_FOLDER", Wide(unicodeFolder).c_str()));
    Add("%MGW_UNICODE_FOLDER%\\"s + CyrillicName + ".exe", "Variable").Parameters = "expanded";
    FakeMessages messages;
    LaunchItem(0, Last(), false);
    auto records = WaitForRecords(log, 1);
    SetEnvironmentVariableW(L"MGW_UNICODE_FOLDER", nullptr);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(EndsWith(records[0].commandLine, "expanded")) << records[0].commandLine;
    EXPECT_EQ(records[0].directory, unicodeFolder);
    EXPECT_TRUE(messages.Asked().empty());
}

TEST_F(UnicodeLaunchTest, MissingUnicodeProgramIsReportedUnderItsOwnName)
{
    Add(unicodeFolder + "\\" + GreekName + ".exe", CjkName);
    FakeMessages messages;
    LaunchItem(0, Last(), false);
    ASSERT_EQ(messages.Asked().size(), 1u);
    EXPECT_EQ(messages.Asked()[0].text, "Execution of '"s + CjkName + "' failed.\rThe specified file was not found.");
}

class ShellItemLaunchTest : public LaunchTest {
protected:
    std::string BytesOf(const std::string& path)
    {
        ComPtr<IShellFolder> desktop;
        EXPECT_TRUE(SUCCEEDED(SHGetDesktopFolder(&desktop)));
        std::wstring wide = Wide(path);
        ITEMIDLIST* raw = nullptr;
        EXPECT_TRUE(desktop && SUCCEEDED(desktop->ParseDisplayName(nullptr, nullptr, wide.data(), nullptr, &raw, nullptr)));
        ShellIdList list(raw);
        return IdListToBytes(list.get());
    }
    TOneItem& AddShellItem(const std::string& bytes, const std::string& description, uint16_t startmode = 1)
    {
        TOneItem& item = Add(bytes, description, startmode);
        item.IsPIDL = true;
        return item;
    }
};

TEST_F(ShellItemLaunchTest, ShellItemStartsTheProgramItAddresses)
{
    std::string bytes = BytesOf(recorder);
    ASSERT_TRUE(IsCompleteIdList(bytes));
    AddShellItem(bytes, "By address", SW_SHOWMAXIMIZED).Parameters = "from-idlist";
    FakeMessages messages;
    LaunchItem(0, Last(), false);
    auto records = WaitForRecords(log, 1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_NE(records[0].commandLine.find("recorder.exe"), std::string::npos) << records[0].commandLine;
    EXPECT_TRUE(EndsWith(records[0].commandLine, "from-idlist")) << records[0].commandLine;
    EXPECT_EQ(records[0].showCommand, SW_SHOWMAXIMIZED);
    EXPECT_TRUE(messages.Asked().empty());
    EXPECT_EQ(menu->Items[0]->Pfad, bytes);  // the model keeps its bytes
}

TEST_F(ShellItemLaunchTest, ShellItemOfAProgramWithAUnicodeNameStartsIt)
{
    const std::string target = folder->File(EmojiName) + ".exe";
    ASSERT_TRUE(CopyFileW(Wide(RecorderExe()).c_str(), Wide(target).c_str(), FALSE));
    AddShellItem(BytesOf(target), EmojiName).Parameters = CyrillicName;
    FakeMessages messages;
    LaunchItem(0, Last(), false);
    auto records = WaitForRecords(log, 1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_NE(records[0].commandLine.find(EmojiName), std::string::npos) << records[0].commandLine;
    EXPECT_TRUE(EndsWith(records[0].commandLine, CyrillicName)) << records[0].commandLine;
    EXPECT_TRUE(messages.Asked().empty());
}

TEST_F(ShellItemLaunchTest, DamagedAddressIsReportedAndNothingStarts)
{
    std::string bytes = BytesOf(recorder);
    ASSERT_GT(bytes.size(), 4u);
    const std::string damaged[] = {
        "",                                        // nothing stored
        bytes.substr(0, bytes.size() - 2),         // terminator lost
        bytes.substr(0, bytes.size() - 1),         // half a terminator
        bytes + "tail",                            // bytes after the list
        "\x40\x00"s + bytes.substr(2),             // first element longer than the whole
    };
    FakeMessages messages;
    for (const std::string& d : damaged) {
        AddShellItem(d, "Damaged");
        LaunchItem(0, Last(), false);
    }
    ASSERT_EQ(messages.Asked().size(), std::size(damaged));
    for (const MessageRequest& box : messages.Asked()) {
        EXPECT_EQ(box.text, "Execution of 'Damaged' failed.\rThe stored shell item is damaged.");
        EXPECT_EQ(box.caption, "Marigoldwick");
        EXPECT_EQ(box.kind, MessageKind::Error);
    }
    EXPECT_TRUE(StaysAt(0));
}

TEST_F(ShellItemLaunchTest, VanishedShellItemReportsTheSystemsReason)
{
    std::string gone = folder->File("tools\\gone.exe");
    ASSERT_TRUE(CopyFileA(recorder.c_str(), gone.c_str(), FALSE));
    std::string bytes = BytesOf(gone);
    ASSERT_TRUE(DeleteFileA(gone.c_str()));
    AddShellItem(bytes, "Gone");
    FakeMessages messages;
    LaunchItem(0, Last(), false);
    ASSERT_EQ(messages.Asked().size(), 1u);
    const std::string& text = messages.Asked()[0].text;
    const std::string head = "Execution of 'Gone' failed.\r";
    ASSERT_EQ(text.rfind(head, 0), 0u) << text;
    std::string reason = text.substr(head.size());
    EXPECT_EQ(reason, SystemMessageText(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(!reason.empty() && reason.back() != '.') << reason;
    EXPECT_TRUE(StaysAt(0));
}

TEST(LaunchSystemMessages, AreTheTablesTextWithoutItsEnding)
{
    char raw[256] = {};
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_FILE_NOT_FOUND,
                             0, raw, sizeof(raw), nullptr);
    ASSERT_GT(n, 0u);
    std::string text = SystemMessageText(ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(std::string(raw).rfind(text, 0), 0u);
    EXPECT_NE(text.back(), '.');
    EXPECT_NE(text.back(), '\n');
}

TEST(LaunchSystemMessages, AMessageWithPlaceholdersIsShownWithoutReadingArguments)
{
    // "%1 is not a valid Win32 application." and the like: nothing to fill in.
    std::string text = SystemMessageText(ERROR_BAD_EXE_FORMAT);
    EXPECT_NE(text.find("%1"), std::string::npos) << text;
}

TEST(LaunchSystemMessages, ACodeWithoutTextStillExplainsSomething)
{
    EXPECT_EQ(SystemMessageText(0x2FFFFFF0u), "Unknown error");
}

TEST(LaunchRecorderLog, KeepsTabsLineBreaksAndPercentSignsOfTheCommandLine)
{
    auto records = ParseRecorderLog("\"C:\\r.exe\" a%09b%0D%0A%25 c\tC:\\dir\t7\r\nx\ty\t3\r\nunfinished\t");
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].commandLine, "\"C:\\r.exe\" a\tb\r\n% c");
    EXPECT_EQ(records[0].directory, "C:\\dir");
    EXPECT_EQ(records[0].showCommand, 7);
    EXPECT_EQ(records[1].showCommand, 3);
}

}  // namespace

// What reached the shell, each request then carried out for real.
class ShellRequests {
public:
    struct Request {
        std::wstring verb, file, directory;
        bool idList = false;
    };
    ShellRequests()
        : seam_([this](SHELLEXECUTEINFOW& info) {
              seen.push_back({info.lpVerb ? info.lpVerb : L"", info.lpFile ? info.lpFile : L"",
                              info.lpDirectory ? info.lpDirectory : L"", info.lpIDList != nullptr});
              return ShellExecuteExW(&info);
          })
    {
    }
    std::vector<Request> seen;

private:
    ScopedShellExecute seam_;
};

using EntryFieldsLaunchTest = ShellItemLaunchTest;

TEST_F(EntryFieldsLaunchTest, RunAsAdministratorReachesTheShellAsRunasForPathsAndShellItems)
{
    Add(recorder, "Plain").Parameters = "plain";
    Add(recorder, "Admin").RunAsAdmin = true;
    AddShellItem(BytesOf(recorder), "Admin item").RunAsAdmin = true;
    FakeMessages messages;
    ShellRequests shell;
    LaunchItem(0, 0, false);
    LaunchItem(0, 1, false);
    LaunchItem(0, 2, false);
    LaunchItemAsAdministrator(0, 0);  // forced for an entry that does not ask for it
    ASSERT_EQ(shell.seen.size(), 4u);
    EXPECT_EQ(shell.seen[0].verb, L"open");
    EXPECT_EQ(shell.seen[1].verb, L"runas");
    EXPECT_EQ(shell.seen[2].verb, L"runas");
    EXPECT_TRUE(shell.seen[2].idList);
    EXPECT_EQ(shell.seen[3].verb, L"runas");
    EXPECT_EQ(Utf8(shell.seen[3].file), recorder);
    // Each of them really started.
    EXPECT_EQ(WaitForRecords(log, 4).size(), 4u);
    EXPECT_TRUE(messages.Asked().empty());
}

TEST_F(EntryFieldsLaunchTest, WorkingDirectoryAndVariablesAreExpandedWhenTheEntryStarts)
{
    ASSERT_TRUE(CreateDirectoryA(folder->File("work here").c_str(), nullptr));
    ASSERT_TRUE(SetEnvironmentVariableA("MGW_TEST_BASE", folder->File("").c_str()));
    ASSERT_TRUE(SetEnvironmentVariableA("MGW_TEST_WORD", "expanded"));
    TOneItem& item = Add("%MGW_TEST_BASE%tools\\recorder.exe", "Variables");
    item.Parameters = "-v %MGW_TEST_WORD% %MGW_TEST_UNSET%";
    item.WorkingDir = "%MGW_TEST_BASE%work here";
    AddShellItem(BytesOf(recorder), "Shell item").WorkingDir = "%MGW_TEST_BASE%work here";
    FakeMessages messages;
    LaunchItem(0, 0, false);
    auto records = WaitForRecords(log, 1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(EndsWith(records[0].commandLine, " -v expanded %MGW_TEST_UNSET%")) << records[0].commandLine;
    EXPECT_TRUE(SameFolder(records[0].directory, folder->File("work here"))) << records[0].directory;

    ShellRequests shell;
    LaunchItem(0, 1, false);
    ASSERT_EQ(shell.seen.size(), 1u);
    EXPECT_TRUE(SameFolder(Utf8(shell.seen[0].directory), folder->File("work here")));
    SetEnvironmentVariableA("MGW_TEST_BASE", nullptr);
    SetEnvironmentVariableA("MGW_TEST_WORD", nullptr);
    EXPECT_EQ(WaitForRecords(log, 2).size(), 2u);
    EXPECT_TRUE(messages.Asked().empty());
    // The model keeps the texts as typed.
    EXPECT_EQ(menu->Items[0]->WorkingDir, "%MGW_TEST_BASE%work here");
}

TEST_F(EntryFieldsLaunchTest, SayingNoToTheElevationPromptIsNoFailure)
{
    Add(recorder, "Admin").RunAsAdmin = true;
    AddShellItem(BytesOf(recorder), "Admin item").RunAsAdmin = true;
    DWORD error = ERROR_CANCELLED;
    ScopedShellExecute refused([&](SHELLEXECUTEINFOW& info) {
        info.hInstApp = reinterpret_cast<HINSTANCE>(SE_ERR_ACCESSDENIED);
        SetLastError(error);
        return FALSE;
    });
    FakeMessages messages;
    LaunchItem(0, 0, false);
    LaunchItem(0, 1, false);
    EXPECT_TRUE(messages.Asked().empty());
    error = ERROR_ACCESS_DENIED;
    LaunchItem(0, 0, false);
    ASSERT_EQ(messages.Asked().size(), 1u);
    EXPECT_EQ(messages.Asked()[0].text,
              "Execution of 'Admin' failed.\rThe operating system denied access to the specified file.");
}
