// The real mgoldwk.exe from outside: start, single instance, welcome, settings cycle,
// quitting, configuration errors and autostart, driven the way a user would.
#include "app_test.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <optional>
#include <string>

namespace {

constexpr char WelcomeText[] =
    "Welcome to Marigoldwick.\rPlease create at least one menu by pressing the top 'Add' button. After that you "
    "can easily add items to the menu by dragging items from the desktop or explorer and dropping them on the "
    "item list.";
constexpr WORD CmdSettings = 1900;
constexpr WORD CmdQuit = 1901;

// One empty menu, so no welcome; the file lacks most GLOBAL keys on purpose.
std::string OneMenu(std::string_view askBeforeQuit = "1")
{
    return Ini({"[GLOBAL]", "SelfAutostart=0", std::string("AskBeforeQuit=") + std::string(askBeforeQuit),
                "MenuCount=1", "[M0]", "MenuName=Tools", "ItemCount=0"});
}

class Spine : public AppTest {
protected:
    // These tests end the program themselves; what is left is killed.
    void TearDown() override {}

    HWND OpenSettings()
    {
        EXPECT_TRUE(ChooseMenuCommand(main, 0, CmdSettings));
        return app->WaitForSettings();
    }

    // Answers the box and waits until it is gone.
    void Answer(const MessageBoxInfo& box, int buttonId)
    {
        ASSERT_TRUE(AnswerMessageBox(box.hwnd, buttonId));
        ASSERT_TRUE(app->WaitForMessageBoxGone(box.hwnd));
    }

    void CloseMainAndExpectExit()
    {
        ASSERT_TRUE(Post(main, WM_CLOSE));
        EXPECT_EQ(app->WaitForExit(), 0u);
    }

};

// ---- one copy per logon ----

using SpineSingleInstance = Spine;

TEST_F(SpineSingleInstance, SecondStartFromElsewhereShowsTheFirstCopysSettingsAndEnds)
{
    Launch(OneMenu());
    std::optional<MgwSandbox> elsewhere = MgwSandbox::Create();
    ASSERT_TRUE(elsewhere);
    std::unique_ptr<AppProcess> second = elsewhere->Start();
    ASSERT_TRUE(second);
    EXPECT_EQ(second->WaitForExit(), 0u);
    EXPECT_FALSE(elsewhere->HasIni());

    EXPECT_TRUE(app->IsRunning());
    HWND settings = app->WaitForSettings();
    ASSERT_NE(settings, nullptr);
    EXPECT_TRUE(app->NoMessageBoxFor(300));
    ASSERT_TRUE(Post(settings, WM_SYSCOMMAND, SC_CLOSE));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(settings); }));
    CloseMainAndExpectExit();
}

// ---- the first start ----

using SpineWelcome = Spine;

TEST_F(SpineWelcome, WithoutConfigurationWelcomeThenSettingsAndNoFileWritten)
{
    Launch(std::nullopt);
    std::optional<MessageBoxInfo> welcome = app->WaitForMessageBox();
    ASSERT_TRUE(welcome);
    EXPECT_EQ(welcome->caption, "Marigoldwick");
    EXPECT_EQ(welcome->text, WelcomeText);
    EXPECT_EQ(app->FindTopWindow({"TfrmKonfig", "", true}), nullptr) << "the settings follow the welcome";
    Answer(*welcome, IDOK);

    HWND settings = app->WaitForSettings();
    ASSERT_NE(settings, nullptr);
    RECT client{};
    GetClientRect(settings, &client);
    EXPECT_EQ(client.right, 518);
    EXPECT_EQ(client.bottom, 487);

    ASSERT_TRUE(Post(settings, WM_SYSCOMMAND, SC_CLOSE));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(settings); }));
    EXPECT_TRUE(app->NoMessageBoxFor(300));
    EXPECT_TRUE(app->IsRunning());
    EXPECT_FALSE(sandbox->HasIni());

    CloseMainAndExpectExit();
    EXPECT_FALSE(sandbox->HasIni());
}

// ---- quitting ----

using SpineQuit = Spine;

TEST_F(SpineQuit, QuestionNoKeepsRunningYesEndsWithExitCodeZero)
{
    std::string ini = OneMenu("1");
    Launch(ini);
    ASSERT_TRUE(ChooseMenuCommand(main, 0, CmdQuit));
    std::optional<MessageBoxInfo> question = app->WaitForMessageBox();
    ASSERT_TRUE(question);
    EXPECT_EQ(question->caption, "Confirm");
    EXPECT_EQ(question->text, "Really quit Marigoldwick ?");
    EXPECT_NE(GetDlgItem(question->hwnd, IDYES), nullptr);
    EXPECT_NE(GetDlgItem(question->hwnd, IDNO), nullptr);
    EXPECT_NE(GetDlgItem(question->hwnd, IDCANCEL), nullptr);
    Answer(*question, IDNO);
    EXPECT_FALSE(app->WaitForExit(300).has_value()) << "No keeps the program";

    ASSERT_TRUE(ChooseMenuCommand(main, 0, CmdQuit));
    question = app->WaitForMessageBox();
    ASSERT_TRUE(question);
    ASSERT_TRUE(AnswerMessageBox(question->hwnd, IDYES));
    EXPECT_EQ(app->WaitForExit(), 0u);
    EXPECT_EQ(sandbox->ReadIni(), ini);
}

TEST_F(SpineQuit, WithoutAskBeforeQuitEndsWithoutQuestion)
{
    Launch(OneMenu("0"));
    ASSERT_TRUE(ChooseMenuCommand(main, 0, CmdQuit));
    EXPECT_EQ(app->WaitForExit(), 0u);
}

// ---- the settings cycle ----

using SpineSettings = Spine;

TEST_F(SpineSettings, OkMinimizeWritesTheFileAndTheProgramRunsOn)
{
    Launch(OneMenu());
    HWND settings = OpenSettings();
    ASSERT_NE(settings, nullptr);
    ASSERT_TRUE(ClickButton(settings, "&OK - Minimize"));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(settings); }));

    std::optional<std::string> saved = sandbox->ReadIni();
    ASSERT_TRUE(saved);
    EXPECT_NE(saved->find("IconSize=32"), std::string::npos) << *saved;
    EXPECT_NE(saved->find("MenuName=Tools"), std::string::npos) << *saved;
    EXPECT_TRUE(app->IsRunning());
    EXPECT_TRUE(app->NoMessageBoxFor(200));
    CloseMainAndExpectExit();
}

TEST_F(SpineSettings, QuitAsksThenEndsTheProgramWithoutSaving)
{
    std::string ini = OneMenu();
    Launch(ini);
    HWND settings = OpenSettings();
    ASSERT_NE(settings, nullptr);

    ASSERT_TRUE(ClickButton(settings, "&Quit"));
    std::optional<MessageBoxInfo> question = app->WaitForMessageBox();
    ASSERT_TRUE(question);
    EXPECT_EQ(question->caption, "Confirm");
    EXPECT_EQ(question->text, "Really quit Marigoldwick ?\rConfiguration changes will get lost.");
    Answer(*question, IDNO);
    EXPECT_TRUE(IsWindowVisible(settings));
    EXPECT_TRUE(app->IsRunning());

    ASSERT_TRUE(ClickButton(settings, "&Quit"));
    question = app->WaitForMessageBox();
    ASSERT_TRUE(question);
    ASSERT_TRUE(AnswerMessageBox(question->hwnd, IDYES));
    EXPECT_EQ(app->WaitForExit(), 0u);
    EXPECT_EQ(sandbox->ReadIni(), ini);
}

// ---- configuration errors ----

using SpineConfig = Spine;

TEST_F(SpineConfig, MalformedIdentifierListIsReportedAndTheProgramGoesOn)
{
    std::string ini = Ini({"[GLOBAL]", "SelfAutostart=0", "MenuCount=1", "[M0]", "MenuName=Shell", "ItemCount=1",
                           "[M0I1]", "IsPIDL=1", "Pfad={abc}", "Description=Broken"});
    ASSERT_TRUE(sandbox->WriteIni(ini));
    app = sandbox->Start();
    ASSERT_TRUE(app);
    std::optional<MessageBoxInfo> error = app->WaitForMessageBox();
    ASSERT_TRUE(error);
    EXPECT_EQ(error->caption, "Marigoldwick");
    EXPECT_EQ(error->text, "Error loading configuration data.");
    Answer(*error, IDOK);

    main = app->WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(app->NoMessageBoxFor(500)) << "the menu read before the bad entry stays: no welcome";
    EXPECT_TRUE(app->IsRunning());
    CloseMainAndExpectExit();
    EXPECT_EQ(sandbox->ReadIni(), ini);
}

// ---- autostart ----

using SpineAutostart = Spine;

TEST_F(SpineAutostart, AnAutostartEntryStartsAtEveryStart)
{
    std::string record = sandbox->Folder().File("autostart.txt");
    Launch(Ini({"[GLOBAL]", "SelfAutostart=0", "AskBeforeQuit=0", "MenuCount=1", "[M0]", "ItemCount=1", "[M0I1]",
                "Pfad=C:\\windows\\system32\\cmd.exe", "Parameters=/c echo started>>\"" + record + "\"",
                "Description=Recorder", "Autostart=1", "AutoStartmode=0", "Startmode=1"}));
    auto started = [&](size_t times) {
        return WaitUntil([&] {
            std::optional<std::string> text = sandbox->Folder().Read("autostart.txt");
            return text && Count(*text, "started") == times;
        });
    };
    EXPECT_TRUE(started(1));
    EXPECT_TRUE(app->NoMessageBoxFor(200));
    CloseMainAndExpectExit();

    Launch(std::nullopt);
    EXPECT_TRUE(started(2));
    CloseMainAndExpectExit();
}

TEST_F(SpineAutostart, FailuresAreReportedOneAfterTheOther)
{
    Launch(Ini({"[GLOBAL]", "SelfAutostart=0", "MenuCount=1", "[M0]", "ItemCount=2", "[M0I1]",
                "Pfad=C:\\windows\\mgw-missing-one.exe", "Description=One", "Autostart=1", "[M0I2]",
                "Pfad=C:\\windows\\mgw-missing-two.exe", "Description=Two", "Autostart=1"}));
    auto visibleBoxes = [&] {
        size_t n = 0;
        for (HWND hwnd : app->TopWindows())
            if (IsWindowVisible(hwnd) && WindowClass(hwnd) == "#32770") ++n;
        return n;
    };
    std::optional<MessageBoxInfo> first = app->WaitForMessageBox();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->caption, "Marigoldwick");
    EXPECT_EQ(first->text, "Execution of 'One' failed.\rThe specified file was not found.");
    Sleep(200);
    EXPECT_EQ(visibleBoxes(), 1u) << "the next entry waits for the user";
    Answer(*first, IDOK);

    std::optional<MessageBoxInfo> second = app->WaitForMessageBox();
    ASSERT_TRUE(second);
    EXPECT_EQ(second->text, "Execution of 'Two' failed.\rThe specified file was not found.");
    Answer(*second, IDOK);
    EXPECT_TRUE(app->NoMessageBoxFor(300));
    EXPECT_TRUE(app->IsRunning());
}

}  // namespace
