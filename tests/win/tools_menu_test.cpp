// The tools menu in-process: its real popup menu read back after each preparation, and
// its handlers run against a stand-in system that records what would have changed the
// machine, with the message seam answered by a script.
#include "app/haupt_win.h"
#include "config/model.h"
#include "driver.h"
#include "fake_messages.h"
#include "main_window_driver.h"
#include "tools/system_actions_win.h"
#include "tools/tools_menu_win.h"
#include "win/command_ids.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

// Records, in order, each call that would have changed the machine.
struct RecordingSystem final : SystemActions {
    std::vector<std::string> calls;
    std::vector<DEVMODEA> modes;
    LONG displayResult = DISP_CHANGE_SUCCESSFUL;
    UINT runResult = 33;
    NetworkDialogResult networkResult;
    ScreenMode screen{800, 600, 32};
    bool saverActive = true;
    std::string windowsDirectory, userSaver;
    FunctionState runState = FunctionState::Available;
    FunctionState findState = FunctionState::Available;
    int queries = 0;
    HWND owner = nullptr;
    HICON icon = nullptr;

    void Log(std::string call) { calls.push_back(std::move(call)); }
    std::string Owned(HWND window, DWORD type) { return window == owner ? " owned " + std::to_string(type) : " ?"; }

    void ExitWindowsWith(UINT flags) override { Log("ExitWindowsEx " + std::to_string(flags)); }
    LONG SwitchDisplayMode(const DEVMODEA& mode, DWORD flags) override
    {
        modes.push_back(mode);
        Log("ChangeDisplaySettingsA " + std::to_string(flags));
        return displayResult;
    }
    UINT RunCommandLine(const std::string& line, UINT show) override
    {
        Log("WinExec " + line + " " + std::to_string(show));
        return runResult;
    }
    void SetScreenSaveActive(bool active) override { Log(active ? "SaverOn" : "SaverOff"); }
    void StartScreenSaver() override { Log("SC_SCREENSAVE"); }
    NetworkDialogResult ConnectionDialog(HWND w, DWORD type) override
    {
        Log("Connect" + Owned(w, type));
        return networkResult;
    }
    NetworkDialogResult DisconnectDialog(HWND w, DWORD type) override
    {
        Log("Disconnect" + Owned(w, type));
        return networkResult;
    }
    bool FindComputer() override
    {
        if (findState != FunctionState::Available) return false;
        Log("FindComputer");
        return true;
    }
    bool RunDialog(HWND w, HICON i) override
    {
        if (runState != FunctionState::Available) return false;
        Log("Run" + Owned(w, i == icon));
        return true;
    }
    FunctionState DialogState(ShellDialog dialog) override
    {
        ++queries;
        return dialog == ShellDialog::Run ? runState : findState;
    }
    bool ScreenSaverActive() override { ++queries; return saverActive; }
    ScreenMode CurrentScreenMode() override { ++queries; return screen; }
    std::string WindowsDirectory() override { return windowsDirectory; }
    std::string UserScreenSaver() override { return userSaver; }
};

// A menu's captions joined by "|", "-" for a separator; through the item of that id alone when given.
std::string Captions(HMENU menu, std::optional<UINT> id = std::nullopt)
{
    std::string joined;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[128] = {};
        MENUITEMINFOA info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_STRING | MIIM_FTYPE | MIIM_ID;
        info.dwTypeData = text;
        info.cch = sizeof(text);
        GetMenuItemInfoA(menu, i, TRUE, &info);
        if (id && info.wID != *id) continue;
        if (!joined.empty()) joined += '|';
        joined += (info.fType & MFT_SEPARATOR) ? "-" : text;
    }
    return joined;
}

class ToolsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        owner.reset(CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr));
        system.owner = owner.get();
        system.icon = LoadIconA(nullptr, IDI_APPLICATION);
        Konfig.ToolsMenuCfg = 16777215;
        menu.emplace(ToolsMenuHost{owner.get(), system.icon, [this] { ++settingsShown; }, [this] { ++quits; }});
    }
    void TearDown() override { Konfig = {}; }

    void Click(std::string_view component)
    {
        std::optional<WORD> id = ToolsMenu::CommandOf(component);
        ASSERT_TRUE(id) << component;
        EXPECT_TRUE(menu->Command(*id));
    }
    void PopUp(int32_t cfg)
    {
        Konfig.ToolsMenuCfg = cfg;
        menu->PopUpToolsMenuPopup();
    }
    std::string Sub(std::string_view component) { return Captions(menu->Submenu(component)); }
    // Start, Select, Configure, Enable, Disable: "1" enabled, "0" greyed.
    std::string SaverStates()
    {
        std::string states;
        for (const char* c : {"TPMStartScreensaver1", "TPMSelectscreensaver1", "TPMConfigureScreensaver1",
                               "TPMEnableScreensaver1", "TPMDisableScreensaver1"}) {
            UINT state = GetMenuState(menu->Submenu("TPMScreensaver1"), *ToolsMenu::CommandOf(c), MF_BYCOMMAND);
            states += (state == UINT(-1) || (state & MF_GRAYED)) ? '0' : '1';
        }
        return states;
    }
    std::string ConfigureCaption()
    {
        return Captions(menu->Submenu("TPMResolution1"), ToolsMenu::CommandOf("TPMConfigure1"));
    }
    std::string Top() { return Captions(menu->PopUpToolsMenu()); }
    bool Enabled(std::string_view submenu, std::string_view component)
    {
        UINT state = GetMenuState(menu->Submenu(submenu), *ToolsMenu::CommandOf(component), MF_BYCOMMAND);
        return state != UINT(-1) && !(state & MF_GRAYED);
    }

    UniqueWindow owner;
    FakeMessages messages;
    RecordingSystem system;
    ScopedSystemActions systemScope{system};
    std::optional<ToolsMenu> menu;
    int settingsShown = 0;
    int quits = 0;
};

std::string Joined(const std::vector<std::string>& calls)
{
    std::string joined;
    for (const std::string& c : calls) {
        if (!joined.empty()) joined += '|';
        joined += c;
    }
    return joined;
}

// ---- the menu and its preparation ----

using ToolsMenuPopup = ToolsTest;

TEST_F(ToolsMenuPopup, AllBitsShowEverySubmenuWithItsEntries)
{
    PopUp(16777215);
    EXPECT_EQ(Top(), "&Misc|&Network|Re&boot|&Resolution|&Screensaver|-|&Settings...|&Quit Marigoldwick");
    EXPECT_EQ(Sub("TPMMisc1"), "&Run...");
    EXPECT_EQ(Sub("TPMNetwork1"), "&Add Connection...|&Remove Connection...|&Find Computer...");
    EXPECT_EQ(Sub("TPMReboot1"), "&Reboot|&Shutdown|&Log Off|&Force Shutdown");
    EXPECT_EQ(Sub("TPMResolution1"), "&Configure (800x600 32 bit)|-|&1 Switch to 640x480|&2 Switch to 800x600|"
                                     "&3 Switch to 1024x768|&4 Switch to 1280x1024|-|&5 Switch to 8 bit|"
                                     "&6 Switch to 16 bit|&7 Switch to 24 bit|&8 Switch to 32 bit");
    EXPECT_EQ(Sub("TPMScreensaver1"), "&Start Screensaver|-|S&elect Screensaver...|&Configure Screensaver...|-|"
                                      "E&nable Screensaver|&Disable Screensaver");
}

TEST_F(ToolsMenuPopup, HiddenSubmenusKeepTheirLastCaption)
{
    PopUp(0);
    EXPECT_EQ(Top(), "-|&Settings...|&Quit Marigoldwick");
    EXPECT_EQ(system.queries, 0) << "nothing shown, nothing asked";

    PopUp(8);
    EXPECT_EQ(Top(), "&Resolution|-|&Settings...|&Quit Marigoldwick");
    EXPECT_EQ(ConfigureCaption(), "&Configure (800x600 32 bit)");
    system.screen = {1024, 768, 16};
    PopUp(1 | 4 | 16 | 64);
    EXPECT_EQ(Top(), "&Misc|Re&boot|&Screensaver|-|&Settings...|&Quit Marigoldwick");
    EXPECT_EQ(ConfigureCaption(), "&Configure (800x600 32 bit)");
    PopUp(8);
    EXPECT_EQ(ConfigureCaption(), "&Configure (1024x768 16 bit)");
}

TEST_F(ToolsMenuPopup, ScreensaverEntriesFollowWhetherItIsActive)
{
    PopUp(16);
    EXPECT_EQ(Top(), "&Screensaver|-|&Settings...|&Quit Marigoldwick");
    EXPECT_EQ(SaverStates(), "11101");
    system.saverActive = false;
    PopUp(16);
    EXPECT_EQ(SaverStates(), "01010");
    system.saverActive = true;
    PopUp(8);
    EXPECT_EQ(SaverStates(), "01010") << "left as they were while hidden";
}

TEST_F(ToolsMenuPopup, ShellDialogsTheSystemCannotCallAreGreyedWhileShown)
{
    system.findState = FunctionState::Stub;
    system.runState = FunctionState::Missing;
    PopUp(1 | 2);
    EXPECT_FALSE(Enabled("TPMNetwork1", "TPMFindComputer1"));
    EXPECT_FALSE(Enabled("TPMMisc1", "TPMRun1"));
    EXPECT_TRUE(Enabled("TPMNetwork1", "TPMAddNetworkdrive1"));
    EXPECT_TRUE(Enabled("TPMNetwork1", "TPMRemoveNetworkDrive1"));

    system.runState = FunctionState::Available;
    system.findState = FunctionState::Available;
    PopUp(1);
    EXPECT_TRUE(Enabled("TPMMisc1", "TPMRun1"));
    EXPECT_FALSE(Enabled("TPMNetwork1", "TPMFindComputer1")) << "a hidden submenu is not prepared";
    PopUp(2);
    EXPECT_TRUE(Enabled("TPMNetwork1", "TPMFindComputer1"));
}

// ---- the actions ----

using ToolsActions = ToolsTest;

TEST_F(ToolsActions, ShutdownEntriesAndForceShutdownOnlyOnYes)
{
    messages.Answer(IDNO);
    messages.Answer(IDCANCEL);
    messages.Answer(IDYES);
    for (const char* c : {"TPMReboot2", "TPMShutdown1", "TPMLogOff1", "TPMForceShutdown1", "TPMForceShutdown1",
                          "TPMForceShutdown1"})
        Click(c);
    EXPECT_EQ(Joined(system.calls), "ExitWindowsEx 2|ExitWindowsEx 1|ExitWindowsEx 0|ExitWindowsEx 5");
    const MessageRequest question{.form = MessageForm::SystemBox,
                                  .kind = MessageKind::Confirmation,
                                  .buttons = MessageButtons::YesNoCancel,
                                  .owner = owner.get(),
                                  .caption = "Confirm",
                                  .text = "Really force windows to shutdown ?  This can cause the running "
                                          "applications to loose data !"};
    EXPECT_EQ(messages.Asked(), (std::vector{question, question, question}));
}

TEST_F(ToolsActions, NetworkDialogsReportOnlyARealLastError)
{
    for (NetworkDialogResult r : {NetworkDialogResult{0, 5}, {ERROR_EXTENDED_ERROR, ERROR_CANCELLED}, {1208, 0}}) {
        system.networkResult = r;
        Click("TPMAddNetworkdrive1");
    }
    EXPECT_TRUE(messages.Asked().empty()) << "success and cancelling are silent";
    system.networkResult = {ERROR_NO_NETWORK, ERROR_NO_NETWORK};
    Click("TPMRemoveNetworkDrive1");
    EXPECT_EQ(Joined(system.calls), "Connect owned 1|Connect owned 1|Connect owned 1|Disconnect owned 1");
    ASSERT_EQ(messages.Asked().size(), 1u);
    const MessageRequest& box = messages.Asked()[0];
    EXPECT_EQ(box.caption, "Marigoldwick - Network Error");
    EXPECT_EQ(MessageBoxType(box), static_cast<UINT>(MB_ICONERROR | MB_OK));
    char raw[256] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_NO_NETWORK, 0, raw,
                   sizeof(raw), nullptr);
    std::string full = raw;
    ASSERT_FALSE(box.text.empty());
    EXPECT_EQ(full.rfind(box.text, 0), 0u) << "the system's own text";
    EXPECT_LT(box.text.size(), full.size()) << "its full stop and line break cut off";
    EXPECT_EQ(box.text.find_last_of(".\r\n"), std::string::npos);
}

TEST_F(ToolsActions, ShellWindowsScreensaverSwitchesAndTheFixedEntries)
{
    system.runResult = 0;
    for (const char* c : {"TPMFindComputer1", "TPMRun1", "TPMStartScreensaver1", "TPMSelectscreensaver1",
                          "TPMEnableScreensaver1", "TPMDisableScreensaver1", "TPMConfigure1", "TPMSettings1",
                          "TPMQuitMarigoldwick1"})
        Click(c);
    EXPECT_EQ(Joined(system.calls), "FindComputer|Run owned 1|SC_SCREENSAVE|"
                                    "WinExec rundll32.exe shell32.dll,Control_RunDLL desk.cpl,,1 5|SaverOn|SaverOff|"
                                    "WinExec rundll32.exe shell32.dll,Control_RunDLL desk.cpl,,3 5");
    EXPECT_EQ(settingsShown, 1);
    EXPECT_EQ(quits, 1);
    EXPECT_TRUE(messages.Asked().empty()) << "their failures are not reported";
    EXPECT_FALSE(menu->Command(FirstToolsCommand)) << "a submenu is no command";
    EXPECT_FALSE(menu->Command(1900));
}

TEST_F(ToolsActions, AShellDialogThatCannotBeCalledSaysSoInsteadOfOpening)
{
    system.findState = FunctionState::Stub;
    system.runState = FunctionState::Missing;
    Click("TPMFindComputer1");
    Click("TPMRun1");
    EXPECT_TRUE(system.calls.empty());
    ASSERT_EQ(messages.Asked().size(), 2u);
    EXPECT_EQ(messages.Asked()[0].text, "Find Computer is not available on this system.");
    EXPECT_EQ(messages.Asked()[1].text, "Run is not available on this system.");
    for (const MessageRequest& box : messages.Asked()) {
        EXPECT_EQ(box.caption, "Marigoldwick");
        EXPECT_EQ(MessageBoxType(box), static_cast<UINT>(MB_ICONINFORMATION | MB_OK));
        EXPECT_EQ(box.owner, owner.get());
    }
}

// The real shell: under Wine its Find Computer is a stub that would end this process.
TEST(ToolsOnTheRealShell, WinesFindComputerIsGreyedAndChoosingItAnywayOnlySaysSo)
{
    if (!GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version")) GTEST_SKIP() << "Wine's stubs only";
    FakeMessages messages;
    Konfig.ToolsMenuCfg = 1 | 2;
    ToolsMenu menu(ToolsMenuHost{});
    menu.PopUpToolsMenuPopup();
    UINT find = GetMenuState(menu.Submenu("TPMNetwork1"), *ToolsMenu::CommandOf("TPMFindComputer1"), MF_BYCOMMAND);
    UINT run = GetMenuState(menu.Submenu("TPMMisc1"), *ToolsMenu::CommandOf("TPMRun1"), MF_BYCOMMAND);
    EXPECT_TRUE(find & MF_GRAYED);
    EXPECT_FALSE(run & MF_GRAYED) << "Wine has a Run dialog";
    EXPECT_TRUE(menu.Command(*ToolsMenu::CommandOf("TPMFindComputer1")));
    ASSERT_EQ(messages.Asked().size(), 1u);
    EXPECT_EQ(messages.Asked()[0].text, "Find Computer is not available on this system.");
    Konfig = {};
}

TEST_F(ToolsActions, EachModeEntryPassesAZeroedRecordWithOnlyItsDimension)
{
    struct Entry {
        const char* component;
        DWORD bits, width, height;
    };
    const Entry entries[] = {{"TPMSwitchto640x480", 0, 640, 480},   {"TPMSwitchto800x600", 0, 800, 600},
                             {"TPMSwitchto1024x768", 0, 1024, 768}, {"TPMSwitchto1280x1024", 0, 1280, 1024},
                             {"TPMSwitchto8Bit", 8, 0, 0},          {"TPMSwitchto16bit", 16, 0, 0},
                             {"TPMSwitchTo24bit", 24, 0, 0},        {"TPMSwitchTo32bit", 32, 0, 0}};
    for (const Entry& e : entries) Click(e.component);
    ASSERT_EQ(system.modes.size(), 8u);
    for (size_t i = 0; i < 8; ++i) {
        DEVMODEA expected{};
        expected.dmSize = 156;
        expected.dmBitsPerPel = entries[i].bits;
        expected.dmPelsWidth = entries[i].width;
        expected.dmPelsHeight = entries[i].height;
        expected.dmFields = entries[i].bits ? DM_BITSPERPEL : DM_PELSWIDTH | DM_PELSHEIGHT;
        EXPECT_EQ(std::memcmp(&system.modes[i], &expected, sizeof(DEVMODEA)), 0) << entries[i].component;
        EXPECT_EQ(system.calls[i], "ChangeDisplaySettingsA 1");
    }
    EXPECT_TRUE(messages.Asked().empty()) << "success shows nothing";

    for (LONG result : {LONG{DISP_CHANGE_BADMODE}, LONG{DISP_CHANGE_RESTART}, LONG{-5}}) {
        system.displayResult = result;
        Click("TPMSwitchto800x600");
    }
    auto error = [&](const char* text) {
        // Owned by the main window, which this fixture does not make.
        return MessageRequest{.form = MessageForm::SystemBox,
                              .kind = MessageKind::Error,
                              .owner = nullptr,
                              .caption = "Marigoldwick - Resolution Change Error",
                              .text = text};
    };
    EXPECT_EQ(messages.Asked(),
              (std::vector{error("The graphics mode is not supported."),
                           error("The computer must be restarted in order for the graphics mode to work."),
                           error("Unknown error.")}));
}

class ToolsConfigureScreensaver : public ToolsTest {
protected:
    void SetUp() override
    {
        ToolsTest::SetUp();
        windows = TempFolder::Create();
        ASSERT_TRUE(windows);
        // Without its trailing backslash, as a Windows directory usually is.
        system.windowsDirectory = windows->Path().substr(0, windows->Path().size() - 1);
    }
    // Runs the entry with that [boot] line and gives the plain notice shown, if any.
    std::string Configure(std::optional<std::string_view> boot)
    {
        if (boot) {
            EXPECT_TRUE(windows->Write("system.ini", Ini({"[boot]", *boot})));
        }
        size_t before = messages.Asked().size();
        Click("TPMConfigureScreensaver1");
        if (messages.Asked().size() == before) return "";
        const MessageRequest& r = messages.Asked().back();
        EXPECT_EQ(r.form, MessageForm::StandardDialog);
        EXPECT_EQ(MessageBoxType(r), static_cast<UINT>(MB_OK));
        EXPECT_EQ(r.caption, "Marigoldwick");
        return r.text;
    }
    std::optional<TempFolder> windows;
};

TEST_F(ToolsConfigureScreensaver, EachStepThatCanStopItHasItsNotice)
{
    EXPECT_EQ(Configure(std::nullopt), windows->Path() + "system.ini not found.");
    const std::string none = "Screensaver entry not found in system.ini. Seems like no screensaver is set.";
    EXPECT_EQ(Configure("shell=Explorer.exe"), none);
    EXPECT_EQ(Configure("SCRNSAVE.EXE="), none);
    EXPECT_TRUE(system.calls.empty());

    const std::pair<UINT, std::string> failures[] = {
        {0, "The system is out of memory or resources."},
        {2, "The specified file was not found."},
        {3, "The specified path was not found."},
        {11, "The .EXE file is invalid (non-Win32 .EXE or error in .EXE image)."},
        {31, "Error executing screensaver."},
        {32, ""}};
    for (const auto& [result, text] : failures) {
        system.runResult = result;
        EXPECT_EQ(Configure("SCRNSAVE.EXE=ssstars.scr"), text);
    }
    EXPECT_EQ(system.calls.back(), "WinExec " + windows->Path() + "ssstars.scr /c 5");
}

TEST_F(ToolsConfigureScreensaver, PathsAreKeptUnquotedAndTheUserSettingStandsInForAnEmptyProfile)
{
    EXPECT_EQ(Configure("SCRNSAVE.EXE=D:savers\\Night Sky.scr"), "");
    system.windowsDirectory = windows->Path();
    system.userSaver = "mystify.scr";
    EXPECT_EQ(Configure("Shell=Explorer.exe"), "");
    EXPECT_EQ(Joined(system.calls),
              "WinExec D:savers\\Night Sky.scr /c 5|WinExec " + windows->Path() + "mystify.scr /c 5");
}

// ---- reached from the main window ----

class ToolsFromTheMainWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = TempFolder::Create();
        ASSERT_TRUE(folder);
        ASSERT_TRUE(folder->Write("mgoldwk.ini", Ini({"[GLOBAL]", "SelfAutostart=0", "AskBeforeQuit=1",
                                                      "UseToolsMenu=1", "ToolsMenuCfg=4", "MenuCount=1", "[M0]",
                                                      "MenuName=Only", "ItemCount=0"})));
        haupt = THaupt::Create({folder->Path()});
        ASSERT_TRUE(haupt);
    }
    void TearDown() override
    {
        haupt.reset();
        ReleaseMenus(MenuList);
        Konfig = {};
        TakeQuitMessage();
    }
    void PopUp(WPARAM menu) { PopUpAndClose(haupt->Handle(), menu); }
    void Command(std::string_view component) { SendCommand(haupt->Handle(), *ToolsMenu::CommandOf(component)); }

    FakeMessages messages;
    RecordingSystem system;
    ScopedSystemActions systemScope{system};
    std::optional<TempFolder> folder;
    std::unique_ptr<THaupt> haupt;
};

TEST_F(ToolsFromTheMainWindow, ItsCommandsRunOnlyAfterTheToolsMenuPoppedUp)
{
    ASSERT_TRUE(haupt->Tools());
    PopUp(0);
    Command("TPMLogOff1");
    EXPECT_TRUE(system.calls.empty()) << "not the tools menu's turn";

    PopUp(ToolsMenuIndex);
    EXPECT_EQ(Captions(haupt->Tools()->PopUpToolsMenu()), "Re&boot|-|&Settings...|&Quit Marigoldwick")
        << "prepared from the loaded options";
    EXPECT_EQ(haupt->ActiveMenuIndex, static_cast<int>(ToolsMenuIndex));
    Command("TPMLogOff1");
    EXPECT_EQ(Joined(system.calls), "ExitWindowsEx 0");
    EXPECT_EQ(haupt->ActiveMenuIndex, -1);

    messages.Answer(IDNO);
    PopUp(ToolsMenuIndex);
    Command("TPMQuitMarigoldwick1");
    ASSERT_EQ(messages.Asked().size(), 1u);
    EXPECT_EQ(messages.Asked()[0].text, "Really quit Marigoldwick ?");
    EXPECT_TRUE(IsWindow(haupt->Handle()));
}

}  // namespace
