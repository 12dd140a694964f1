// The main controller in-process: the real hidden window and settings window, driven
// with messages, with the message seam answered by a script.
#include "app/haupt_win.h"
#include "app_test.h"
#include "config/model.h"
#include "launch/launch_win.h"
#include "menus/menus_win.h"
#include "driver.h"
#include "fake_messages.h"
#include "main_window_driver.h"
#include "menu_pictures.h"
#include "settings/konfig_win.h"
#include "while_shown.h"
#include "win/application.h"
#include "win/command_ids.h"
#include "win/text_conversion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <shellapi.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr char WelcomeText[] =
    "Welcome to Marigoldwick.\rPlease create at least one menu by pressing the top 'Add' button. After that you "
    "can easily add items to the menu by dragging items from the desktop or explorer and dropping them on the "
    "item list.";

// Two menus whose first entries name files that do not exist, so starting one shows
// which entry was started.
std::string TwoMenus(std::string_view askBeforeQuit = "1")
{
    return Ini({"[GLOBAL]", "SelfAutostart=0", std::string("AskBeforeQuit=") + std::string(askBeforeQuit),
                "MenuCount=2", "[M0]", "MenuName=First", "ItemCount=2", "[M0I1]",
                "Pfad=C:\\windows\\mgw-missing-editor.exe", "Description=Editor", "Startmode=1", "[M0I2]",
                "Pfad=MarigoldwickCommand{-}", "Description=Separator", "[M1]", "MenuName=Second", "ItemCount=1",
                "[M1I1]", "Pfad=C:\\windows\\mgw-missing-viewer.exe", "Description=Viewer", "Startmode=1"});
}

constexpr char SaveQuestion[] = "The settings have changed since they were last saved.\rSave them before quitting?";

bool HasAppWindowStyle(HWND hwnd) { return (GetWindowLongPtrA(hwnd, GWL_EXSTYLE) & WS_EX_APPWINDOW) != 0; }

class HauptTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = TempFolder::Create();
        ASSERT_TRUE(folder);
    }

    void TearDown() override
    {
        settings.reset();
        haupt.reset();
        ReleaseMenus(MenuList);
        Konfig = {};
        TakeQuitMessage();
    }

    void Start(const std::optional<std::string>& ini = std::nullopt)
    {
        if (ini) {
            ASSERT_TRUE(folder->Write("mgoldwk.ini", *ini));
        }
        haupt = THaupt::Create({folder->Path()});
        ASSERT_TRUE(haupt);
        settings = TfrmKonfig::Create(haupt->Handle(), SettingsHost(*haupt));
        ASSERT_TRUE(settings);
        haupt->AttachSettings(settings.get());
    }

    HWND Main() const { return haupt->Handle(); }
    HWND Settings() const { return settings->Handle(); }

    // Clicks meant for the settings are queued after the popup's WM_CANCELMODE.
    void PopUp(int menu) { PopUpAndClose(Main(), static_cast<WPARAM>(menu)); }
    void Command(WORD command) { SendCommand(Main(), command); }
    // A popup menu choice.
    void Choose(int menu, WORD command)
    {
        PopUp(menu);
        Command(command);
    }

    // Queued for the settings window's own message loop, so they run once it is open.
    void QueueClick(std::string_view caption) { ASSERT_TRUE(ClickButton(Settings(), caption)); }
    void QueueCloseBox() { ASSERT_TRUE(Post(Settings(), WM_SYSCOMMAND, SC_CLOSE, 0)); }

    FakeMessages messages;
    std::optional<TempFolder> folder;
    std::unique_ptr<THaupt> haupt;
    std::unique_ptr<TfrmKonfig> settings;
};

// ---- start-up ----

using HauptStartup = HauptTest;

TEST_F(HauptStartup, FilesLiveInTheProgramFolderAndAMissingFileAsksNothing)
{
    Start();
    EXPECT_EQ(IniFile, folder->Path() + "mgoldwk.ini");
    EXPECT_EQ(HelpFile, folder->Path() + "mgoldwk.chm");
    EXPECT_EQ(ReadmeFile, folder->Path() + "readme.txt");
    EXPECT_TRUE(messages.Asked().empty());
    EXPECT_TRUE(MenuList.empty());
    EXPECT_FALSE(folder->Exists("mgoldwk.ini"));

    EXPECT_EQ(WindowClass(Main()), "THaupt");
    EXPECT_EQ(WindowText(Main()), "Marigoldwick");
    EXPECT_FALSE(IsWindowVisible(Main()));
    EXPECT_EQ(GetAncestor(Main(), GA_PARENT), GetDesktopWindow()) << "a message-only window misses broadcasts";
    EXPECT_EQ(MainWindow(), Main());
    EXPECT_NE(haupt->DesktopFolder(), nullptr);
    EXPECT_NE(haupt->Canvas(), nullptr);

    // A second main window in the same process prefixes the bare names once, not twice.
    settings.reset();
    haupt.reset();
    auto other = TempFolder::Create();
    ASSERT_TRUE(other);
    folder = std::move(other);
    Start();
    EXPECT_EQ(IniFile, folder->Path() + "mgoldwk.ini");
    EXPECT_EQ(HelpFile, folder->Path() + "mgoldwk.chm");
}

TEST_F(HauptStartup, TheSettingsWindowIsMadeAfterStartUpUnlessNeededSooner)
{
    ASSERT_TRUE(folder->Write("mgoldwk.ini", TwoMenus()));
    haupt = THaupt::Create({folder->Path()});
    ASSERT_TRUE(haupt);
    int made = 0;
    haupt->AttachSettings([&] {
        ++made;
        settings = TfrmKonfig::Create(Main(), SettingsHost(*haupt));
        return settings.get();
    });
    SendMessageA(Main(), WmStartupDone, 0, 0);
    EXPECT_EQ(made, 0) << "messages already queued, a popup request say, come first";
    MSG msg;
    while (PeekMessageA(&msg, Main(), 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    EXPECT_EQ(made, 1);
    ASSERT_NE(settings, nullptr);
    EXPECT_FALSE(settings->IsShown());

    // Without menus the welcome needs the window at once.
    settings.reset();
    haupt.reset();
    ReleaseMenus(MenuList);
    ASSERT_TRUE(folder->Write("mgoldwk.ini", ""));
    haupt = THaupt::Create({folder->Path()});
    ASSERT_TRUE(haupt);
    made = 0;
    haupt->AttachSettings([&] {
        ++made;
        settings = TfrmKonfig::Create(Main(), SettingsHost(*haupt));
        WhileShown([this] { PostMessageA(settings->Handle(), WM_CLOSE, 0, 0); });
        return settings.get();
    });
    SendMessageA(Main(), WmStartupDone, 0, 0);
    EXPECT_EQ(made, 1);
    ASSERT_EQ(messages.Asked().size(), 1u) << "the welcome";
    while (PeekMessageA(&msg, Main(), 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    EXPECT_EQ(made, 1) << "made once";
}

TEST_F(HauptStartup, MalformedIdentifierListIsReportedAndStartupGoesOn)
{
    Start(Ini({"[GLOBAL]", "SelfAutostart=0", "MenuCount=1", "[M0]", "MenuName=Shell", "ItemCount=1", "[M0I1]",
               "IsPIDL=1", "Pfad={abc}", "Description=Broken"}));
    ASSERT_EQ(messages.Asked().size(), 1u);
    EXPECT_EQ(messages.Asked()[0], (MessageRequest{.form = MessageForm::SystemBox,
                                                   .kind = MessageKind::Error,
                                                   .owner = Main(),
                                                   .caption = "Marigoldwick",
                                                   .text = "Error loading configuration data."}));

    // What was read before the bad entry stays; the program runs on with it.
    ASSERT_EQ(MenuList.size(), 1u);
    EXPECT_EQ(MenuList[0]->MenuName, "Shell");
    EXPECT_TRUE(MenuList[0]->Items.empty());
    EXPECT_TRUE(IsWindow(Main()));
    SendMessageA(Main(), WmStartupDone, 0, 0);
    EXPECT_EQ(messages.Asked().size(), 1u) << "a menu exists, so no welcome";
}

TEST_F(HauptStartup, EveryEntryGetsAPictureInItsMenusImageList)
{
    Start(TwoMenus());
    ASSERT_EQ(MenuList.size(), 2u);
    TOneMenu& first = *MenuList[0];
    ASSERT_TRUE(first.Images);
    EXPECT_EQ(first.Images->Count(), 2);
    EXPECT_EQ(first.Items[0]->ImageIndex, 0);
    EXPECT_EQ(first.Items[1]->ImageIndex, 1);
    ASSERT_TRUE(MenuList[1]->Images);
    EXPECT_EQ(MenuList[1]->Images->Count(), 1);
    EXPECT_NE(haupt->ImgIconLeer(), nullptr);
    EXPECT_NE(haupt->ImgIconSeparator(), nullptr);
}

TEST_F(HauptStartup, AutostartEntriesStartInListOrderEachFailureReported)
{
    Start(Ini({"[GLOBAL]", "SelfAutostart=0", "MenuCount=2", "[M0]", "ItemCount=2", "[M0I1]",
               "Pfad=C:\\windows\\mgw-missing-one.exe", "Description=One", "Autostart=1", "[M0I2]",
               "Pfad=C:\\windows\\mgw-missing-quiet.exe", "Description=Quiet", "Autostart=0", "[M1]",
               "ItemCount=1", "[M1I1]", "Pfad=C:\\windows\\mgw-missing-two.exe", "Description=Two",
               "Autostart=1"}));
    auto failure = [](const char* description) {
        return MessageRequest{.form = MessageForm::SystemBox,
                              .kind = MessageKind::Error,
                              .owner = nullptr,
                              .caption = "Marigoldwick",
                              .text = "Execution of '" + std::string(description) +
                                      "' failed.\rThe specified file was not found."};
    };
    EXPECT_EQ(messages.Asked(), (std::vector{failure("One"), failure("Two")}));
}

// ---- welcome and the settings cycle ----

using HauptWelcome = HauptTest;

TEST_F(HauptWelcome, WithoutMenusGreetsThenOpensTheSettingsModally)
{
    Start();
    struct Seen {
        bool settingsVisible, taskbarButton, mainEnabled;
    };
    std::vector<Seen> seen;
    messages.WhileShown = [&](const MessageRequest&) {
        seen.push_back({IsWindowVisible(Settings()) != 0, HasAppWindowStyle(Settings()), IsWindowEnabled(Main()) != 0});
    };
    QueueClick("&OK - Minimize");  // no menu yet: refused with a warning
    QueueCloseBox();
    SendMessageA(Main(), WmStartupDone, 0, 0);

    ASSERT_EQ(messages.Asked().size(), 2u);
    EXPECT_EQ(messages.Asked()[0], (MessageRequest{.form = MessageForm::SystemBox,
                                                   .kind = MessageKind::Information,
                                                   .owner = Main(),
                                                   .caption = "Marigoldwick",
                                                   .text = WelcomeText}));
    EXPECT_FALSE(seen[0].settingsVisible) << "the settings open after the welcome";

    EXPECT_EQ(messages.Asked()[1], (MessageRequest{.form = MessageForm::SystemBox,
                                                   .kind = MessageKind::Warning,
                                                   .owner = Settings(),
                                                   .caption = "Marigoldwick",
                                                   .text = "You need to create at least one menu."}));
    EXPECT_TRUE(seen[1].settingsVisible);
    EXPECT_TRUE(seen[1].taskbarButton) << "the settings carry the taskbar button while open";
    EXPECT_FALSE(seen[1].mainEnabled) << "modal: the owner is disabled";

    EXPECT_FALSE(IsWindowVisible(Settings()));
    EXPECT_FALSE(HasAppWindowStyle(Settings()));
    EXPECT_TRUE(IsWindowEnabled(Main()));
    EXPECT_FALSE(folder->Exists("mgoldwk.ini")) << "refused OK and the close box write nothing";
    EXPECT_FALSE(TakeQuitMessage());
}

TEST_F(HauptWelcome, WithMenusNothingHappens)
{
    Start(TwoMenus());
    QueueCloseBox();  // would end a settings run; stays queued when none starts
    SendMessageA(Main(), WmStartupDone, 0, 0);
    EXPECT_TRUE(messages.Asked().empty());
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, Settings(), WM_SYSCOMMAND, WM_SYSCOMMAND, PM_REMOVE)) << "the settings never ran";
}

TEST_F(HauptWelcome, OpeningTheSettingsAgainWhileOpenOnlyBringsThemToFront)
{
    Start();
    bool stillOpen = false;
    messages.WhileShown = [&](const MessageRequest& r) {
        if (r.owner != Settings()) return;
        haupt->ShowSettings();
        stillOpen = IsWindowVisible(Settings()) && HasAppWindowStyle(Settings());
    };
    QueueClick("&OK - Minimize");
    QueueCloseBox();
    SendMessageA(Main(), WmStartupDone, 0, 0);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(messages.Asked().size(), 2u);
}

// ---- popup menu commands ----

using HauptCommands = HauptTest;

TEST_F(HauptCommands, EntryCommandStartsThatEntryOfTheActiveMenu)
{
    Start(TwoMenus());
    Choose(1, 0);
    ASSERT_EQ(messages.Asked().size(), 1u);
    EXPECT_EQ(messages.Asked()[0].text, "Execution of 'Viewer' failed.\rThe specified file was not found.");
    EXPECT_EQ(haupt->ActiveMenuIndex, -1);

    Choose(0, 0);
    ASSERT_EQ(messages.Asked().size(), 2u);
    EXPECT_EQ(messages.Asked()[1].text, "Execution of 'Editor' failed.\rThe specified file was not found.");
    EXPECT_EQ(haupt->ActiveMenuIndex, -1);
}

TEST_F(HauptCommands, NotificationsAndCommandsWithoutActiveMenuAreIgnored)
{
    Start(TwoMenus());
    EXPECT_EQ(haupt->ActiveMenuIndex, -1);
    SendMessageA(Main(), WM_COMMAND, MAKEWPARAM(0, 0), 0);
    SendMessageA(Main(), WM_COMMAND, MAKEWPARAM(CmdQuit, 0), 0);

    PopUp(0);
    EXPECT_EQ(haupt->ActiveMenuIndex, 0);
    SendMessageA(Main(), WM_COMMAND, MAKEWPARAM(CmdQuit, 1), 0);
    SendMessageA(Main(), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED + 1), 0);
    EXPECT_EQ(haupt->ActiveMenuIndex, 0) << "an ignored command leaves the active menu";

    EXPECT_TRUE(messages.Asked().empty());
    EXPECT_TRUE(IsWindow(Main()));
    EXPECT_EQ(MenuList.size(), 2u);
}

TEST_F(HauptCommands, UnknownEntryIdentifierStartsNothing)
{
    Start(TwoMenus());
    Choose(1, 5);
    Choose(0, 1990);
    EXPECT_TRUE(messages.Asked().empty());
    EXPECT_EQ(haupt->ActiveMenuIndex, -1);
}

TEST_F(HauptCommands, SettingsCommandRunsTheSettingsAndOkSavesTheFile)
{
    Start(TwoMenus());
    PopUp(0);
    QueueClick("&OK - Minimize");
    Command(CmdSettings);
    EXPECT_TRUE(messages.Asked().empty());
    EXPECT_EQ(haupt->ActiveMenuIndex, -1);
    EXPECT_FALSE(IsWindowVisible(Settings()));
    EXPECT_FALSE(HasAppWindowStyle(Settings()));
    std::optional<std::string> saved = folder->Read("mgoldwk.ini");
    ASSERT_TRUE(saved);
    EXPECT_NE(saved->find("IconSize=32"), std::string::npos) << *saved;
    EXPECT_NE(saved->find("MenuCount=2"), std::string::npos) << *saved;
    EXPECT_EQ(MenuList.size(), 2u);
}

// ---- quitting ----

using HauptQuit = HauptTest;

// A Yes/No/Cancel question captioned "Confirm" with that text and owner.
void ExpectQuestion(const MessageRequest& question, std::string_view text, HWND owner)
{
    EXPECT_EQ(question, (MessageRequest{.form = MessageForm::SystemBox,
                                        .kind = MessageKind::Confirmation,
                                        .buttons = MessageButtons::YesNoCancel,
                                        .owner = owner,
                                        .caption = "Confirm",
                                        .text = std::string(text)}));
}

TEST_F(HauptQuit, NoAndCancelKeepEverything)
{
    Start(TwoMenus());
    messages.Answer(IDNO);
    messages.Answer(IDCANCEL);
    Choose(0, CmdQuit);
    Choose(1, CmdQuit);
    ASSERT_EQ(messages.Asked().size(), 2u);
    ExpectQuestion(messages.Asked()[0], "Really quit Marigoldwick ?", Main());
    EXPECT_TRUE(IsWindow(Main()));
    EXPECT_EQ(MenuList.size(), 2u);
    EXPECT_FALSE(TakeQuitMessage());
}

TEST_F(HauptQuit, YesClosesTheMainWindowReleasesTheModelAndEndsTheLoop)
{
    Start(TwoMenus());
    HWND main = Main();
    messages.Answer(IDYES);
    Choose(0, CmdQuit);
    EXPECT_EQ(messages.Asked().size(), 1u);
    EXPECT_FALSE(IsWindow(main));
    EXPECT_TRUE(MenuList.empty());
    EXPECT_TRUE(TakeQuitMessage());
    EXPECT_EQ(folder->Read("mgoldwk.ini"), TwoMenus()) << "quitting never writes the file";
}

TEST_F(HauptQuit, CloseQueryReleasesTheModel)
{
    Start(TwoMenus());
    HWND main = Main();
    SendMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(messages.Asked().empty());
    EXPECT_TRUE(MenuList.empty());
    EXPECT_FALSE(IsWindow(main));
    EXPECT_TRUE(TakeQuitMessage());
}

TEST_F(HauptQuit, ACancelledLogoffKeepsEverythingAndAnEndedOneClosesTheWindow)
{
    Start(TwoMenus());
    HWND main = Main();
    EXPECT_TRUE(SendMessageA(main, WM_QUERYENDSESSION, 0, 0));
    EXPECT_TRUE(haupt->ShutdownPending);
    SendMessageA(main, WM_ENDSESSION, FALSE, 0);
    EXPECT_EQ(MenuList.size(), 2u);
    EXPECT_EQ(TrayEntryList.size(), 2u) << "a cancelled logoff leaves the icons";
    messages.Answer(IDNO);
    Choose(0, CmdQuit);
    EXPECT_EQ(messages.Asked().size(), 1u) << "quitting asks again";
    SendMessageA(main, WM_ENDSESSION, TRUE, 0);
    EXPECT_FALSE(IsWindow(main));
}

TEST_F(HauptQuit, QuitFromTheSettingsAsksThenEndsWithoutSaving)
{
    std::string ini = TwoMenus();
    Start(ini);
    messages.Answer(IDNO);
    messages.Answer(IDYES);
    PopUp(0);
    QueueClick("&Quit");
    QueueClick("&Quit");
    Command(CmdSettings);

    ASSERT_EQ(messages.Asked().size(), 2u);
    ExpectQuestion(messages.Asked()[0], "Really quit Marigoldwick ?\rConfiguration changes will get lost.",
                   Settings());
    EXPECT_TRUE(TakeQuitMessage());
    EXPECT_EQ(folder->Read("mgoldwk.ini"), ini);
    EXPECT_FALSE(IsWindowVisible(Settings()));
}

TEST_F(HauptQuit, QuitFromTheSettingsDuringShutdownAsksNothing)
{
    Start(TwoMenus());
    haupt->ShutdownPending = true;
    PopUp(0);
    QueueClick("&Quit");
    Command(CmdSettings);
    EXPECT_TRUE(messages.Asked().empty());
    EXPECT_TRUE(TakeQuitMessage());
}

// Edits kept in memory (as the settings window's close box leaves them) against the file.
TEST_F(HauptQuit, ChangedSettingsAreOfferedForSavingAndEachAnswerDoesWhatItSays)
{
    const std::string ini = TwoMenus("0");
    Start(ini);
    MenuList[1]->MenuName = "Renamed";
    messages.Answer(IDCANCEL);
    messages.Answer(IDNO);
    Choose(0, CmdQuit);
    ASSERT_EQ(messages.Asked().size(), 1u) << "asked although AskBeforeQuit is off";
    ExpectQuestion(messages.Asked()[0], SaveQuestion, Main());
    EXPECT_TRUE(IsWindow(Main())) << "Cancel keeps running";
    EXPECT_FALSE(TakeQuitMessage());

    HWND main = Main();
    haupt->TPMQuitMarigoldwick1Click();
    EXPECT_EQ(messages.Asked().size(), 2u);
    EXPECT_FALSE(IsWindow(main)) << "No quits";
    EXPECT_TRUE(TakeQuitMessage());
    EXPECT_EQ(folder->Read("mgoldwk.ini"), ini);
}

TEST_F(HauptQuit, YesSavesThenQuitsAndAFailedSaveKeepsRunning)
{
    Start(TwoMenus());
    MenuList[1]->MenuName = "Renamed";
    const std::string path = folder->File("mgoldwk.ini");
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    messages.Answer(IDYES);
    Choose(0, CmdQuit);
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL));
    ASSERT_EQ(messages.Asked().size(), 2u);
    EXPECT_EQ(messages.Asked()[1].text, "Error saving configuration data.");
    EXPECT_TRUE(IsWindow(Main()));
    EXPECT_FALSE(TakeQuitMessage());

    HWND main = Main();
    messages.Answer(IDYES);
    Choose(0, CmdQuit);
    EXPECT_EQ(messages.Asked().size(), 3u) << "after the save no second question";
    EXPECT_FALSE(IsWindow(main));
    std::optional<std::string> saved = folder->Read("mgoldwk.ini");
    ASSERT_TRUE(saved);
    EXPECT_NE(saved->find("MenuName=Renamed"), std::string::npos) << *saved;
}

TEST_F(HauptQuit, TheSettingsWindowsQuitOffersChangesForSavingToo)
{
    Start(TwoMenus());
    MenuList[0]->Items.pop_back();
    messages.Answer(IDYES);
    PopUp(0);
    QueueClick("&Quit");
    Command(CmdSettings);
    ASSERT_EQ(messages.Asked().size(), 1u);
    ExpectQuestion(messages.Asked()[0], SaveQuestion, Settings());
    EXPECT_TRUE(TakeQuitMessage());
    std::optional<std::string> saved = folder->Read("mgoldwk.ini");
    ASSERT_TRUE(saved);
    EXPECT_NE(saved->find("MenuName=First\r\nItemCount=1\r\n"), std::string::npos) << *saved;
}

TEST_F(HauptQuit, UnchangedWithoutAskBeforeQuitQuitsSilently)
{
    Start(TwoMenus("0"));
    HWND main = Main();
    Choose(0, CmdQuit);
    EXPECT_TRUE(messages.Asked().empty());
    EXPECT_FALSE(IsWindow(main));
}

// ---- display changes ----

// A menu of `entries` 16-pixel entries.
std::string LongMenu(int entries)
{
    std::string text = Ini({"[GLOBAL]", "SelfAutostart=0", "AskBeforeQuit=0", "IconSize=16", "MenuCount=1", "[M0]",
                            "MenuName=Long", "ItemCount=" + std::to_string(entries)});
    for (int k = 1; k <= entries; ++k)
        text += Ini({"[M0I" + std::to_string(k) + "]", "Pfad=C:\\e" + std::to_string(k) + ".exe"});
    return text;
}

// The entries of menu 0's popup that start a column.
std::vector<UINT> ColumnBreaks()
{
    std::vector<UINT> breaks;
    HMENU popup = PopupMenuOf(0);
    for (int pos = 0; pos < GetMenuItemCount(popup); ++pos) {
        MENUITEMINFOA info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_ID;
        if (GetMenuItemInfoA(popup, static_cast<UINT>(pos), TRUE, &info) && (info.fType & MFT_MENUBARBREAK))
            breaks.push_back(info.wID);
    }
    return breaks;
}

class HauptDisplay : public HauptTest {
protected:
    void SetUp() override
    {
        HauptTest::SetUp();
        ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &screen, 0));
    }
    void TearDown() override
    {
        SystemParametersInfoA(SPI_SETWORKAREA, 0, &screen, 0);
        HauptTest::TearDown();
    }
    // Sets the work area's height: `rows` entries of 18 pixels fit in a column, within the
    // popup's frame.
    void SetWorkRows(int rows)
    {
        RECT work = screen;
        work.bottom = work.top + rows * 18 + 1 + 2 * GetSystemMetrics(SM_CYFIXEDFRAME);
        ASSERT_TRUE(SystemParametersInfoA(SPI_SETWORKAREA, 0, &work, 0));
    }
    RECT screen{};
};

TEST_F(HauptDisplay, ANewWorkAreaOrScreenSizeRebuildsTheColumns)
{
    // The last column has room left for the commands below the entries.
    SetWorkRows(20);
    Start(LongMenu(25));
    EXPECT_EQ(ColumnBreaks(), std::vector<UINT>{20});

    SetWorkRows(10);
    SendMessageA(Main(), WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    EXPECT_EQ(ColumnBreaks(), (std::vector<UINT>{10, 20}));

    SetWorkRows(15);
    SendMessageA(Main(), WM_SETTINGCHANGE, SPI_SETDESKWALLPAPER, 0);
    EXPECT_EQ(ColumnBreaks(), (std::vector<UINT>{10, 20})) << "other settings leave the menus";
    SendMessageA(Main(), WM_DISPLAYCHANGE, 32, MAKELPARAM(screen.right, 15 * 18 + 7));
    EXPECT_EQ(ColumnBreaks(), std::vector<UINT>{15});
    EXPECT_TRUE(IsWindow(TrayEntryList[0].Icon.Window())) << "the icons stay";
}

// The notification area's DPI changes, the settings change, the shell comes back: the
// icons are made for the DPI each time, and the popups' entries follow it.
TEST_F(HauptDisplay, ADpiChangeRemakesTheIconsAndRescalesThePopupsAsDoesTheShellsReturn)
{
    SetWorkRows(20);
    Start(LongMenu(30));
    using menu_pictures::DeleteIcon;
    using menu_pictures::IconPresent;
    auto iconSide = [] { return menu_pictures::IconSide(TrayEntryList[0].Icon.Record().hIcon); };
    auto entryHeight = [&] {
        MEASUREITEMSTRUCT m{};
        m.CtlType = ODT_MENU;
        m.itemData = reinterpret_cast<ULONG_PTR>(&TrayEntryList[0].Entries.front());
        SendMessageA(Main(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&m));
        return m.itemHeight;
    };
    // The test program has no icon of its own to stand in: the menu's icon is a real one.
    MenuList[0]->IconPfad = BinFolder() + "mgoldwk.exe";
    EXPECT_EQ(entryHeight(), 18u);
    EXPECT_EQ(ColumnBreaks(), std::vector<UINT>{20});

    constexpr UINT WmDpiChanged = 0x02E0;
    RECT suggested{0, 0, 300, 0};
    SendMessageA(Main(), WmDpiChanged, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(iconSide(), 24);
    EXPECT_TRUE(IconPresent(TrayEntryList[0].Icon.Record())) << "changed in place";
    EXPECT_EQ(entryHeight(), 28u);
    EXPECT_EQ(ColumnBreaks(), (std::vector<UINT>{12, 24})) << "entries of 28 pixels in 361";

    // Back to the DPI Wine gives every window.
    SendMessageA(Main(), WM_SETTINGCHANGE, 0, 0);
    EXPECT_EQ(iconSide(), 16);
    EXPECT_EQ(entryHeight(), 18u);
    EXPECT_EQ(ColumnBreaks(), std::vector<UINT>{20});

    SendMessageA(Main(), WmDpiChanged, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
    ASSERT_TRUE(DeleteIcon(TrayEntryList[0].Icon.Record()));
    SendMessageA(Main(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(IconPresent(TrayEntryList[0].Icon.Record())) << "added again";
    EXPECT_EQ(iconSide(), 16) << "made for the DPI the window has now";
    EXPECT_EQ(entryHeight(), 18u);
}

// Another menu font at the same scale: the popups take it and are measured in it.
TEST_F(HauptDisplay, AMenuFontChangedAtTheSameScaleRemakesThePopupsFontAndWidths)
{
    Start(Ini({"[GLOBAL]", "SelfAutostart=0", "AskBeforeQuit=0", "MenuCount=1", "[M0]", "MenuName=Named",
               "ItemCount=2", "[M0I1]", "Pfad=C:\\e1.exe", "Description=A much longer description", "[M0I2]",
               "Pfad=C:\\e2.exe", "Description=Short"}));
    NONCLIENTMETRICSA before{};
    before.cbSize = sizeof(before);
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(before), &before, 0));
    ScopeGuard restore([&] { SystemParametersInfoA(SPI_SETNONCLIENTMETRICS, sizeof(before), &before, 0); });
    auto fontHeight = [] {
        LOGFONTA font{};
        return GetObjectA(MenuFont(), sizeof(font), &font) ? font.lfHeight : 0;
    };
    const LONG height = fontHeight();
    const int widest = MenuList[0]->MaxTextWidth;

    NONCLIENTMETRICSA larger = before;
    larger.lfMenuFont.lfHeight = 2 * before.lfMenuFont.lfHeight;
    ASSERT_TRUE(SystemParametersInfoA(SPI_SETNONCLIENTMETRICS, sizeof(larger), &larger, 0));
    SendMessageA(Main(), WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS, 0);
    EXPECT_EQ(fontHeight(), 2 * height);
    EXPECT_GT(MenuList[0]->MaxTextWidth, widest * 3 / 2) << "the descriptions measured in the new font";
}

TEST_F(HauptDisplay, AChangeWhileAPopupIsOpenRebuildsOnceItCloses)
{
    SetWorkRows(20);
    Start(LongMenu(25));
    SetWorkRows(10);
    // Handled inside the popup's menu loop, before the queued WM_CANCELMODE closes it.
    PostMessageA(Main(), WM_DISPLAYCHANGE, 32, 0);
    PopUp(0);
    EXPECT_EQ(ColumnBreaks(), (std::vector<UINT>{10, 20}));
    EXPECT_TRUE(messages.Asked().empty());
}

// ---- the program's icons ----

struct IconPixels {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    bool operator==(const IconPixels&) const = default;
};

IconPixels PixelsOf(HICON icon)
{
    IconPixels result;
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info)) return result;
    UniqueGdiObject color(info.hbmColor), mask(info.hbmMask);
    BITMAP bm{};
    GetObjectA(info.hbmColor, sizeof(bm), &bm);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = bm.bmWidth;
    bi.bmiHeader.biHeight = -bm.bmHeight;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    result.width = bm.bmWidth;
    result.height = bm.bmHeight;
    result.pixels.resize(static_cast<size_t>(bm.bmWidth * bm.bmHeight));
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, info.hbmColor, 0, static_cast<UINT>(bm.bmHeight), result.pixels.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return result;
}

TEST(HauptResources, ProgramIconsAreReachableByIndexInTheirOrder)
{
    std::string exe = BinFolder() + "mgoldwk.exe";
    HINSTANCE self = GetModuleHandleA(nullptr);
    auto count = reinterpret_cast<UINT_PTR>(ExtractIconA(self, exe.c_str(), static_cast<UINT>(-1)));
    EXPECT_EQ(count, 16u) << "14 program icons and the two pictures";

    HMODULE module = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    ScopeGuard unload([module] { FreeLibrary(module); });
    const char* names[] = {"MAINICON", "ZA1",     "ZBRILLE", "ZCD",   "ZCOMPUTER", "ZDESKTOP2", "ZERDE",
                           "ZEXEC",    "ZFDRCOMP", "ZLINK",  "ZNOTEN", "ZNWGLOBE", "ZZAHNRAD",  "ZZEICHNEN",
                           MAKEINTRESOURCEA(100), MAKEINTRESOURCEA(101)};
    std::vector<IconPixels> seen;
    for (UINT i = 0; i < std::size(names); ++i) {
        UniqueIcon byIndex(ExtractIconA(self, exe.c_str(), i));
        UniqueIcon byName(static_cast<HICON>(LoadImageA(module, names[i], IMAGE_ICON, 32, 32, 0)));
        ASSERT_TRUE(byIndex) << i;
        ASSERT_TRUE(byName) << i;
        IconPixels pixels = PixelsOf(byIndex.get());
        EXPECT_EQ(pixels, PixelsOf(byName.get())) << "icon " << i << " is not the resource of that position";
        for (const IconPixels& earlier : seen) EXPECT_NE(pixels, earlier) << "icon " << i << " repeats";
        seen.push_back(std::move(pixels));
    }
}

}  // namespace

namespace {

// The picture drawn over a magenta background, as 0xRRGGBB per pixel, top row first.
std::vector<uint32_t> DrawnOverMagenta(HICON icon)
{
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = 32;
    bi.bmiHeader.biHeight = -32;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueGdiObject dib(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    UniqueMemoryDC dc(CreateCompatibleDC(nullptr));
    if (!dib || !dc) return {};
    HGDIOBJ old = SelectObject(dc.get(), dib.get());
    auto* pixels = static_cast<uint32_t*>(bits);
    std::fill(pixels, pixels + 32 * 32, 0xFF00FFu);
    DrawIconEx(dc.get(), 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL);
    GdiFlush();
    std::vector<uint32_t> result(pixels, pixels + 32 * 32);
    SelectObject(dc.get(), old);
    for (uint32_t& p : result) p &= 0xFFFFFF;
    return result;
}

}  // namespace

TEST(HauptResources, PlaceholderIsTransparentAndSeparatorIsAnEtchedLine)
{
    std::string exe = BinFolder() + "mgoldwk.exe";
    HMODULE module = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    ScopeGuard unload([module] { FreeLibrary(module); });
    UniqueIcon leer(static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(100), IMAGE_ICON, 32, 32, 0)));
    UniqueIcon separator(static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(101), IMAGE_ICON, 32, 32, 0)));
    ASSERT_TRUE(leer);
    ASSERT_TRUE(separator);

    std::vector<uint32_t> empty = DrawnOverMagenta(leer.get());
    ASSERT_EQ(empty.size(), 32u * 32u);
    EXPECT_EQ(std::count(empty.begin(), empty.end(), 0xFF00FFu), 32 * 32) << "every pixel is masked";

    std::vector<uint32_t> line = DrawnOverMagenta(separator.get());
    ASSERT_EQ(line.size(), 32u * 32u);
    for (int row = 0; row < 32; ++row)
        for (int col = 0; col < 32; ++col) {
            uint32_t want = 0xC0C0C0;
            if (col >= 2 && col <= 29 && row == 15) want = 0x808080;
            if (col >= 2 && col <= 29 && row == 16) want = 0xFFFFFF;
            ASSERT_EQ(line[static_cast<size_t>(row * 32 + col)], want) << "row " << row << " column " << col;
        }
}

// ---- folder menus ----

HWND MenuWindow(HMENU menu)
{
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, "#32768", nullptr)))
        if (IsWindowVisible(window) && reinterpret_cast<HMENU>(SendMessageA(window, 0x01E1, 0, 0)) == menu)
            return window;
    return nullptr;
}

// Keys reach the menu loop through the thread's queue, whichever of its windows they name.
void PostKeys(HMENU top, std::initializer_list<WORD> keys)
{
    for (WORD key : keys) {
        PostMessageA(MenuWindow(top), WM_KEYDOWN, key, 1);
        PostMessageA(MenuWindow(top), WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
    }
}

// Menu `menu`'s popup shown, with `steps` run inside its menu loop `every` milliseconds apart.
const std::vector<std::function<void()>>* PopupSteps = nullptr;
size_t NextPopupStep = 0;

void CALLBACK RunPopupStep(HWND, UINT, UINT_PTR, DWORD)
{
    if (NextPopupStep < PopupSteps->size()) (*PopupSteps)[NextPopupStep++]();
    else EndMenu();
}

void RunDuringPopup(HWND main, int menu, const std::vector<std::function<void()>>& steps, UINT every)
{
    PopupSteps = &steps;
    NextPopupStep = 0;
    const UINT_PTR timer = SetTimer(nullptr, 0, every, &RunPopupStep);
    SendMessageA(main, WmShowPopup, static_cast<WPARAM>(menu), 0);
    KillTimer(nullptr, timer);
    ProcessPendingMessages();  // the chosen command's message

}

// A folder read slowly opens its submenu with "Loading…"; once read, the open submenu is
// closed and opened again at the listing's size, and a file chosen in it starts.
TEST(HauptFolderMenus, ASlowFolderShowsLoadingThenItsListingInTheReopenedSubmenu)
{
    std::optional<TempFolder> folder = TempFolder::Create();
    ASSERT_TRUE(folder);
    ASSERT_TRUE(folder->Write("mgoldwk.ini", Ini({"[GLOBAL]", "SelfAutostart=0", "MenuCount=1", "[M0]",
                                                  "MenuName=Slow", "ItemCount=1", "[M0I1]",
                                                  "Pfad=" + folder->Path(), "Description=Folder", "FolderMenu=1"})));
    const FolderReader slow = [](const std::wstring&, FolderListing& into, std::atomic<uint32_t>&) {
        Sleep(6 * FolderPopups::WaitMillis);
        for (const char* name : {"b.txt", "a.txt", "c.txt", "d.txt"}) into.Add(name, false, false, false);
        return true;
    };
    std::vector<std::string> started;
    ScopedShellExecute shell([&](SHELLEXECUTEINFOW& info) {
        started.push_back(Utf8(info.lpFile ? info.lpFile : L""));
        return TRUE;
    });
    std::unique_ptr<THaupt> haupt = THaupt::Create({folder->Path(), std::nullopt, slow});
    ASSERT_TRUE(haupt);
    HMENU top = PopupMenuOf(0), submenu = GetSubMenu(top, 0);
    ASSERT_NE(submenu, nullptr);

    struct Seen {
        int items = 0;
        bool greyed = false;
        LONG height = 0;
    };
    std::vector<Seen> seen;
    auto look = [&] {
        RECT place{};
        GetWindowRect(MenuWindow(submenu), &place);
        seen.push_back({GetMenuItemCount(submenu), (GetMenuState(submenu, 2, MF_BYPOSITION) & MF_GRAYED) != 0,
                        place.bottom - place.top});
    };
    const std::vector<std::function<void()>> steps = {
        [&] { PostKeys(top, {VK_DOWN, VK_RIGHT}); }, look, [] {}, [] {}, [] {}, [] {}, look,
        [&] { PostKeys(top, {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}); }};
    RunDuringPopup(haupt->Handle(), 0, steps, FolderPopups::WaitMillis * 3 / 2);

    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].items, 3) << "Open folder, a separator, Loading…";
    EXPECT_TRUE(seen[0].greyed);
    EXPECT_EQ(seen[1].items, 6) << "Open folder, a separator, four files, in order";
    EXPECT_FALSE(seen[1].greyed);
    EXPECT_GT(seen[1].height, seen[0].height) << "the submenu opened again at its new size";
    ASSERT_EQ(started.size(), 1u);
    EXPECT_TRUE(EndsWith(started[0], "\\c.txt")) << started[0];
    haupt.reset();
    ReleaseMenus(MenuList);
    Konfig = {};
}
