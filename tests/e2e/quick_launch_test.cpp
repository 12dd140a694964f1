// The real mgoldwk.exe's quick-launch box driven from this process with real key input:
// its hotkey opens the box, typed letters narrow the list (read from outside), Enter
// starts the entry, here a copy of recorder.exe that writes down how it was started.
#include "app_test.h"
#include "recorder_log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr char BoxClass[] = "TQuickBox";
constexpr WORD CmdQuickLaunch = 1902;
// Ctrl+Shift+F9 as the file stores it: key code, 8192 Shift, 16384 Ctrl.
constexpr int Hotkey = VK_F9 + 8192 + 16384;

class QuickLaunchE2e : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        if (HasFatalFailure()) return;
        recorder = sandbox->Folder().File("recorder.exe");
        ASSERT_TRUE(CopyFileA(RecorderExe().c_str(), recorder.c_str(), FALSE)) << RecorderExe();
        log = sandbox->Folder().File("recorder.log");
        SetEnvironmentVariableA("MGW_RECORD", nullptr);
    }

    std::string Entry(const std::string& section, const std::string& description, const std::string& parameters,
                      int startmode) const
    {
        return Ini({"[" + section + "]", "Pfad=" + recorder, "IsPIDL=0", "IconNum=-99", "Description=" + description,
                    "Parameters=" + parameters, "Startmode=" + std::to_string(startmode)});
    }

    void LaunchWithEntries()
    {
        Launch(Ini({"[GLOBAL]", "SelfAutostart=0", "AskBeforeQuit=0", "MenuCount=2",
                    "QuickLaunchHotkey=" + std::to_string(Hotkey), "[M0]", "MenuName=Tools", "ItemCount=2",
                    "[M1]", "MenuName=More", "ItemCount=1"}) +
               Entry("M0I1", "Record &alpha", "alpha", SW_SHOWMAXIMIZED) +
               Entry("M0I2", "Record beta", "beta \"two words\"", SW_SHOWMINNOACTIVE) +
               Entry("M1I1", "Gamma recorder", "gamma", SW_SHOWNORMAL));
    }

    // The box once it shows with the foreground, so typed keys reach its edit field.
    HWND WaitForBox()
    {
        HWND box = app->WaitForWindow({BoxClass, "", true}, 5000);
        EXPECT_NE(box, nullptr);
        EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == box; }, 3000))
            << "foreground: " << WindowClass(GetForegroundWindow());
        return box;
    }

    static LRESULT Rows(HWND box)
    {
        return SendMessageA(FindWindowExA(box, nullptr, "MgwQuickList", nullptr), LB_GETCOUNT, 0, 0);
    }

    static bool WaitForRows(HWND box, LRESULT rows)
    {
        return WaitUntil([&] { return Rows(box) == rows; }, 3000);
    }

    std::string recorder, log;
};

TEST_F(QuickLaunchE2e, HotkeyOpensTypingNarrowsEnterStartsTheEntryEscCloses)
{
    LaunchWithEntries();
    PressKeys({VK_CONTROL, VK_SHIFT, VK_F9});
    HWND box = WaitForBox();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(WaitForRows(box, 3)) << Rows(box);
    EXPECT_TRUE(GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_TOPMOST);

    PressKeys({'A'});
    EXPECT_TRUE(WaitForRows(box, 3)) << "every entry has an a: " << Rows(box);
    PressKeys({'L'});
    EXPECT_TRUE(WaitForRows(box, 1)) << Rows(box);
    // A letter taken back widens the list again as it was.
    PressKeys({VK_BACK});
    EXPECT_TRUE(WaitForRows(box, 3)) << Rows(box);
    PressKeys({'L'});
    EXPECT_TRUE(WaitForRows(box, 1)) << Rows(box);
    PressKeys({VK_RETURN});
    std::vector<RecorderRecord> records = WaitForRecords(log, 1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(EndsWith(records[0].commandLine, " alpha")) << records[0].commandLine;
    EXPECT_EQ(records[0].showCommand, SW_SHOWMAXIMIZED);
    EXPECT_FALSE(IsWindowVisible(box));

    // Opened again it starts afresh, listing the latest start; Esc closes it without
    // starting anything.
    Sleep(500);  // the started copy's console window may hold the foreground a moment
    PressKeys({VK_CONTROL, VK_SHIFT, VK_F9});
    ASSERT_EQ(WaitForBox(), box);
    EXPECT_TRUE(WaitForRows(box, 1)) << Rows(box);
    PressKeys({VK_ESCAPE});
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(box); }, 3000));
    Sleep(500);
    EXPECT_EQ(ReadRecorderLog(log).size(), 1u);
    EXPECT_TRUE(app->NoMessageBoxFor(200));
}

TEST_F(QuickLaunchE2e, ThePopupsEntryOpensTheBoxAndArrowsChooseInMenuOrder)
{
    LaunchWithEntries();
    ASSERT_TRUE(ChooseMenuCommand(main, 1, CmdQuickLaunch));
    HWND box = WaitForBox();
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(WaitForRows(box, 3)) << Rows(box);
    PressKeys({VK_DOWN});
    PressKeys({VK_RETURN});
    std::vector<RecorderRecord> records = WaitForRecords(log, 1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(EndsWith(records[0].commandLine, " beta \"two words\"")) << records[0].commandLine;
    EXPECT_EQ(records[0].showCommand, SW_SHOWMINNOACTIVE);
}

TEST_F(QuickLaunchE2e, FortyFiveEntriesScrollInWholeRowsAndATextWithoutMatchesStartsNothing)
{
    std::string ini = Ini({"[GLOBAL]", "SelfAutostart=0", "AskBeforeQuit=0", "MenuCount=1",
                           "QuickLaunchHotkey=" + std::to_string(Hotkey), "[M0]", "MenuName=Many", "ItemCount=45"});
    for (int k = 1; k <= 45; ++k) ini += Entry("M0I" + std::to_string(k), "Entry " + std::to_string(k), "", 1);
    Launch(ini);
    // The hotkey is registered a moment after the main window exists, later on a slow start.
    for (int tries = 0; tries < 5; ++tries) {
        PressKeys({VK_CONTROL, VK_SHIFT, VK_F9});
        if (app->WaitForWindow({BoxClass, "", true}, 1000)) break;
    }
    HWND box = WaitForBox();
    ASSERT_TRUE(box && WaitForRows(box, 45)) << Rows(box);
    HWND list = FindWindowExA(box, nullptr, "MgwQuickList", nullptr);
    auto ask = [&](UINT msg) { return static_cast<int>(SendMessageA(list, msg, 0, 0)); };
    auto scrollBar = [&] { return (GetWindowLongA(list, GWL_STYLE) & WS_VSCROLL) != 0; };
    RECT client{}, place = ScreenPlace(list);
    GetClientRect(list, &client);
    const int rowHeight = std::max(ask(LB_GETITEMHEIGHT), 1), rows = client.bottom / rowHeight;
    EXPECT_EQ(client.bottom % rowHeight, 0) << client.bottom << " pixels for rows of " << rowHeight;
    EXPECT_TRUE(rows >= 8 && scrollBar()) << rows;

    // Page Down moves the highlight and the view; the wheel scrolls and takes it into view.
    auto at = [&](int selected, int top) {
        return WaitUntil([&] { return ask(LB_GETCURSEL) == selected && ask(LB_GETTOPINDEX) == top; }, 2000);
    };
    for (int i = 0; i < 6; ++i) PressKeys({VK_NEXT});
    EXPECT_TRUE(at(44, 45 - rows)) << ask(LB_GETCURSEL) << " at top " << ask(LB_GETTOPINDEX);
    SetCursorPos((place.left + place.right) / 2, (place.top + place.bottom) / 2);
    INPUT wheel{.type = INPUT_MOUSE, .mi = {.mouseData = 3 * WHEEL_DELTA, .dwFlags = MOUSEEVENTF_WHEEL}};
    SendInput(1, &wheel, sizeof(wheel));
    EXPECT_TRUE(at(44 - 9, 45 - rows - 9)) << ask(LB_GETCURSEL) << " at top " << ask(LB_GETTOPINDEX);

    // Nothing matches: the list says so, and Enter starts nothing; Esc still closes.
    PressKeys({'Q', 'X', 'Z'});
    EXPECT_TRUE(WaitForRows(box, 0)) << Rows(box);
    EXPECT_EQ(WindowText(list), "No matches");
    EXPECT_FALSE(scrollBar());
    PressKeys({VK_RETURN});
    Sleep(500);
    EXPECT_TRUE(IsWindowVisible(box) && ReadRecorderLog(log).empty());
    PressKeys({VK_ESCAPE});
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(box); }, 3000));
}

TEST_F(QuickLaunchE2e, OnePickIsLearnedKeptAcrossARestartListedWhileEmptyAndForgottenByDel)
{
    const std::string ini = Ini({"[GLOBAL]", "SelfAutostart=0", "AskBeforeQuit=0", "MenuCount=1",
                                 "QuickLaunchHotkey=" + std::to_string(Hotkey), "[M0]", "MenuName=Tools", "ItemCount=2"}) +
                            Entry("M0I1", "Report alpha", "alpha", 1) + Entry("M0I2", "Report beta", "beta", 1);
    Launch(ini);
    auto open = [&](LRESULT rows) {
        Sleep(500);  // the started copy's console window may hold the foreground a moment
        HWND box = nullptr;
        for (int tries = 0; tries < 5 && !box; ++tries) {
            PressKeys({VK_CONTROL, VK_SHIFT, VK_F9});
            box = app->WaitForWindow({BoxClass, "", true}, 1000);
        }
        EXPECT_TRUE(box && WaitForBox() == box && WaitForRows(box, rows)) << Rows(box);
        return box;
    };
    auto startsWith = [&](std::initializer_list<WORD> keys, size_t records, const char* tail) {
        PressKeys(keys);
        std::vector<RecorderRecord> seen = WaitForRecords(log, records);
        ASSERT_EQ(seen.size(), records);
        EXPECT_TRUE(EndsWith(seen.back().commandLine, tail)) << seen.back().commandLine;
    };
    // Both match "rep" alike, alpha first; beta picked once comes first from then on.
    ASSERT_TRUE(open(2));
    PressKeys({'R', 'E', 'P'});
    startsWith({VK_DOWN, VK_RETURN}, 1, " beta");
    // Written beside the configuration a few seconds after the start.
    const std::string history = sandbox->Folder().File("mgoldwk-history.ini");
    EXPECT_TRUE(WaitUntil([&] { return GetFileAttributesA(history.c_str()) != INVALID_FILE_ATTRIBUTES; }, 8000));
    ASSERT_TRUE(open(1)) << "the empty box lists the latest start";
    startsWith({'R', 'E', 'P', VK_RETURN}, 2, " beta");

    // Learned still after a restart.
    EXPECT_TRUE(Post(main, WM_CLOSE));
    EXPECT_EQ(app->WaitForExit(), 0u);
    Launch(std::nullopt);
    ASSERT_TRUE(open(1));
    startsWith({'R', 'E', 'P', VK_RETURN}, 3, " beta");

    // Del on the latest start forgets it: the empty box lists every entry again, alpha first.
    HWND box = open(1);
    ASSERT_TRUE(box);
    PressKeys({VK_DELETE});
    EXPECT_TRUE(WaitForRows(box, 2)) << Rows(box);
    startsWith({'R', 'E', 'P', VK_RETURN}, 4, " alpha");
}

TEST_F(QuickLaunchE2e, CtrlDAddsTheRowToAMenuAndSavesTheRowMenuStartsAndCtrlOShowsTheFolder)
{
    LaunchWithEntries();
    auto open = [&] {
        HWND box = nullptr;
        for (int tries = 0; tries < 5 && !box; ++tries) {
            PressKeys({VK_CONTROL, VK_SHIFT, VK_F9});
            box = app->WaitForWindow({BoxClass, "", true}, 1000);
        }
        EXPECT_TRUE(box && WaitForBox() == box);
        return box;
    };
    // Ctrl+D: the menus pop up; the first, Tools, takes "Gamma recorder" and the file holds it.
    HWND box = open();
    ASSERT_TRUE(box);
    PressKeys({'G', 'A', 'M'});
    ASSERT_TRUE(WaitForRows(box, 1));
    PressKeys({VK_CONTROL, 'D'});
    ASSERT_TRUE(app->WaitForPopup());
    PressKeys({VK_DOWN});
    PressKeys({VK_RETURN});
    EXPECT_TRUE(WaitUntil([&] { return Count(sandbox->ReadIni().value_or(""), "Gamma recorder") == 2; }, 5000))
        << sandbox->ReadIni().value_or("");
    EXPECT_FALSE(IsWindowVisible(box));
    EXPECT_TRUE(app->NoMessageBoxFor(200));

    // A right click on a row: its menu starts it as administrator by the mnemonic.
    ASSERT_EQ(open(), box);
    PressKeys({'A', 'L', 'P'});
    ASSERT_TRUE(WaitForRows(box, 1));
    const RECT list = ScreenPlace(FindWindowExA(box, nullptr, "MgwQuickList", nullptr));
    SetCursorPos(list.left + 40, list.top + 8);
    INPUT click[2] = {{.type = INPUT_MOUSE, .mi = {.dwFlags = MOUSEEVENTF_RIGHTDOWN}},
                      {.type = INPUT_MOUSE, .mi = {.dwFlags = MOUSEEVENTF_RIGHTUP}}};
    SendInput(2, click, sizeof(INPUT));
    ASSERT_TRUE(app->WaitForPopup());
    PressKeys({'A'});
    std::vector<RecorderRecord> records = WaitForRecords(log, 1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(EndsWith(records[0].commandLine, " alpha")) << records[0].commandLine;

    // Ctrl+O: the folder holding the entry's file opens in a window of its own.
    ASSERT_EQ(open(), box);
    PressKeys({'B', 'E', 'T'});
    ASSERT_TRUE(WaitForRows(box, 1));
    std::string folder = sandbox->Folder().Path();
    if (folder.back() == '\\') folder.pop_back();
    const std::string name = folder.substr(folder.find_last_of('\\') + 1);
    PressKeys({VK_CONTROL, 'O'});
    HWND shown = nullptr;
    EXPECT_TRUE(WaitUntil([&] { return (shown = FindWindowA(nullptr, name.c_str())) != nullptr; }, 10000)) << name;
    if (shown) PostMessageA(shown, WM_CLOSE, 0, 0);
}

TEST_F(QuickLaunchE2e, AHotkeyTakenElsewhereIsReportedAsForTheMenus)
{
    // This process holds the combination first.
    ASSERT_TRUE(RegisterHotKey(nullptr, 1, MOD_CONTROL | MOD_SHIFT, VK_F9));
    LaunchWithEntries();
    std::optional<MessageBoxInfo> shown = app->WaitForMessageBox(5000);
    UnregisterHotKey(nullptr, 1);
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->text, "Unable to register hotkey for 'Quick launch'.\rMaybe it's already used by another application.");
    EXPECT_TRUE(AnswerMessageBox(shown->hwnd, IDOK));
    EXPECT_TRUE(app->WaitForMessageBoxGone(shown->hwnd));
    EXPECT_TRUE(app->IsRunning());
}

}  // namespace
