// The settings window of the real program, used as a first-time user does: the welcome
// leads in, a menu and an item are made by typing, OK saves them and the tray shows them.
#include "app_test.h"

#include <gtest/gtest.h>

#include <string>

namespace {

void Type(HWND edit, const char* text)
{
    ASSERT_NE(edit, nullptr);
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

class SettingsE2e : public AppTest {
protected:
    // "Ad&d", the properties dialog with its name typed, OK; the new menu is selected.
    void AddMenu(HWND settings, const char* name)
    {
        ASSERT_TRUE(ClickButton(settings, "Ad&d"));
        HWND dialog = app->WaitForWindow({"TfrmEditMenu", "New menu", true});
        ASSERT_NE(dialog, nullptr);
        Type(FindChild(dialog, "Edit", "New Menu"), name);
        ASSERT_TRUE(ClickButton(dialog, "&OK"));
        ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(dialog); }));
    }
};

TEST_F(SettingsE2e, FirstRunMakesAMenuWithAnItemThatOkSavesAndTheTrayShows)
{
    Launch(std::nullopt);
    std::optional<MessageBoxInfo> welcome = app->WaitForMessageBox();
    ASSERT_TRUE(welcome);
    ASSERT_TRUE(AnswerMessageBox(welcome->hwnd, IDOK));
    HWND settings = app->WaitForSettings();
    ASSERT_NE(settings, nullptr);

    AddMenu(settings, "Work");
    // The item mask: "Item:" and "Description:" lie in the Items group's panel.
    Type(EditAt(settings, {7 + 184 + 80, 112 + 32 + 12}), "C:\\windows\\notepad.exe");
    Type(EditAt(settings, {7 + 184 + 80, 112 + 32 + 207}), "Editor");
    ASSERT_TRUE(ClickButton(settings, "&Add"));
    ASSERT_TRUE(ClickButton(settings, "&OK - Minimize"));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(settings); }));
    EXPECT_TRUE(app->NoMessageBoxFor(200));

    std::optional<std::string> saved = sandbox->ReadIni();
    ASSERT_TRUE(saved);
    for (const char* line : {"MenuCount=1", "MenuName=Work", "ItemCount=1", "[M0I1]", "Pfad=C:\\windows\\notepad.exe",
                             "Description=Editor", "IconNum=-99"})
        EXPECT_NE(saved->find(line), std::string::npos) << line << " in\n" << *saved;
    EXPECT_NE(app->WaitForWindow({"MarigoldwickTrayIcon", "Work", false}, 5000), nullptr) << "the tray shows the menu";
    ASSERT_TRUE(Post(main, WM_CLOSE));
    EXPECT_EQ(app->WaitForExit(), 0u);
}

TEST_F(SettingsE2e, QuitAfterEditsAndNoEndsTheProgramAndTheFileStaysAsItWas)
{
    std::string ini = Ini({"[GLOBAL]", "SelfAutostart=0", "AskBeforeQuit=0", "MenuCount=1", "[M0]",
                           "MenuName=Tools", "ItemCount=0"});
    Launch(ini);
    ASSERT_TRUE(ChooseMenuCommand(main, 0, 1900));
    HWND settings = app->WaitForSettings();
    ASSERT_NE(settings, nullptr);
    AddMenu(settings, "Unsaved");
    ASSERT_TRUE(ClickButton(settings, "&Quit"));
    // The edits are offered for saving; No drops them.
    std::optional<MessageBoxInfo> question = app->WaitForMessageBox();
    ASSERT_TRUE(question);
    ASSERT_TRUE(AnswerMessageBox(question->hwnd, IDNO));
    EXPECT_EQ(app->WaitForExit(), 0u);
    EXPECT_EQ(sandbox->ReadIni(), ini);
}

}  // namespace
