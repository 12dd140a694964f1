// Quitting the real program after edits left in memory by the settings window's close
// box: the save question, from the popup menu (chosen with real keys) and from the
// settings window, each answer seen in the file and the process.
#include "app_test.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

namespace {

constexpr char SaveQuestion[] = "The settings have changed since they were last saved.\rSave them before quitting?";
constexpr char RestoreQuestion[] = "Settings you changed before Windows ended the session were not saved.\rRestore them?";

// AskBeforeQuit off: the save question comes all the same.
const std::string Saved = Ini({"[GLOBAL]", "SelfAutostart=0", "AskBeforeQuit=0", "MenuCount=1", "[M0]",
                               "MenuName=Tools", "ItemCount=0"});

class QuitE2e : public AppTest {
protected:
    // Settings, "Ad&d" a menu named "Added" through its dialog, then the close box: the
    // tray shows the new menu, the file does not hold it.
    HWND AddMenuInSettings(bool closeBox)
    {
        Launch(Saved);
        if (!ChooseMenuCommand(main, 0, 1900)) return nullptr;
        HWND settings = app->WaitForSettings();
        if (!settings || !ClickButton(settings, "Ad&d")) return nullptr;
        HWND dialog = app->WaitForWindow({"TfrmEditMenu", "New menu", true});
        if (!dialog) return nullptr;
        SendMessageA(FindChild(dialog, "Edit", "New Menu"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Added"));
        if (!ClickButton(dialog, "&OK") || !WaitUntil([&] { return !IsWindowVisible(dialog); })) return nullptr;
        if (!closeBox) return settings;
        if (!Post(settings, WM_SYSCOMMAND, SC_CLOSE, 0) || !WaitUntil([&] { return !IsWindowVisible(settings); }))
            return nullptr;
        EXPECT_NE(app->WaitForWindow({"MarigoldwickTrayIcon", "Added", false}, 5000), nullptr);
        EXPECT_EQ(sandbox->ReadIni(), Saved);
        return settings;
    }

    // The first menu's popup by a right click on its icon, then Q for "&Quit Marigoldwick".
    bool QuitFromPopup()
    {
        HWND icon = app->WaitForWindow({"MarigoldwickTrayIcon", "Tools", false}, 5000);
        if (!icon || !Post(icon, 1027, 0, WM_RBUTTONUP) || !app->WaitForPopup()) return false;
        PressKeys({'Q'});
        return true;
    }

    // What Windows sends when the session ends (or not); the program's answer.
    DWORD_PTR Session(UINT msg, WPARAM ends)
    {
        DWORD_PTR answer = 0;
        EXPECT_TRUE(SendMessageTimeoutW(main, msg, ends, 0, SMTO_ABORTIFHUNG, 5000, &answer));
        return answer;
    }
};

struct Answer {
    int button;
    bool quits;
    bool saves;
};

void PrintTo(const Answer& answer, std::ostream* out) { *out << "button " << answer.button; }

class QuitAfterCloseBox : public QuitE2e, public ::testing::WithParamInterface<Answer> {};

TEST_P(QuitAfterCloseBox, FromThePopupTheSaveQuestionIsAskedAndAnswered)
{
    ASSERT_NE(AddMenuInSettings(true), nullptr);
    ASSERT_TRUE(QuitFromPopup());
    std::optional<MessageBoxInfo> question = app->WaitForMessageBox();
    ASSERT_TRUE(question);
    EXPECT_EQ(question->caption, "Confirm");
    EXPECT_EQ(question->text, SaveQuestion);
    ASSERT_TRUE(AnswerMessageBox(question->hwnd, GetParam().button));

    if (GetParam().quits) {
        EXPECT_EQ(app->WaitForExit(), 0u);
    } else {
        ASSERT_TRUE(app->WaitForMessageBoxGone(question->hwnd));
        EXPECT_FALSE(app->WaitForExit(300).has_value());
    }
    std::optional<std::string> file = sandbox->ReadIni();
    ASSERT_TRUE(file);
    if (GetParam().saves) {
        EXPECT_NE(file->find("MenuCount=2"), std::string::npos) << *file;
        EXPECT_NE(file->find("MenuName=Added"), std::string::npos) << *file;
    } else {
        EXPECT_EQ(*file, Saved);
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, QuitAfterCloseBox,
                         ::testing::Values(Answer{IDYES, true, true}, Answer{IDNO, true, false},
                                           Answer{IDCANCEL, false, false}),
                         [](const auto& info) {
                             return std::string(info.param.button == IDYES  ? "Yes"
                                                : info.param.button == IDNO ? "No"
                                                                            : "Cancel");
                         });

TEST_F(QuitE2e, FromTheSettingsWindowYesSavesTheEditsAndEnds)
{
    HWND settings = AddMenuInSettings(false);
    ASSERT_NE(settings, nullptr);
    ASSERT_TRUE(ClickButton(settings, "&Quit"));
    std::optional<MessageBoxInfo> question = app->WaitForMessageBox();
    ASSERT_TRUE(question);
    EXPECT_EQ(question->text, SaveQuestion);
    EXPECT_EQ(GetWindow(question->hwnd, GW_OWNER), settings);
    ASSERT_TRUE(AnswerMessageBox(question->hwnd, IDYES));
    EXPECT_EQ(app->WaitForExit(), 0u);
    std::optional<std::string> file = sandbox->ReadIni();
    ASSERT_TRUE(file);
    EXPECT_NE(file->find("MenuName=Added"), std::string::npos) << *file;
}

TEST_F(QuitE2e, UnchangedItQuitsAsBeforeWithoutAQuestion)
{
    Launch(Saved);
    ASSERT_TRUE(QuitFromPopup());
    EXPECT_EQ(app->WaitForExit(), 0u);
    EXPECT_EQ(sandbox->ReadIni(), Saved);
}

// A logoff that another program cancels, then one that goes through with edits unsaved.
TEST_F(QuitE2e, ACancelledLogoffKeepsAllAndAnEndedSessionKeepsTheEditsBesideTheFileUntilRestored)
{
    ASSERT_NE(AddMenuInSettings(true), nullptr);
    EXPECT_TRUE(Session(WM_QUERYENDSESSION, 0));
    for (bool cancelled : {false, true}) {
        if (cancelled) Session(WM_ENDSESSION, FALSE);
        for (int menu : {0, 1}) {
            HWND icon = app->WaitForWindow({"MarigoldwickTrayIcon", menu ? "Added" : "Tools", false}, 2000);
            ASSERT_TRUE(icon && Post(icon, 1027 + menu, 0, WM_RBUTTONUP)) << menu;
            EXPECT_TRUE(app->WaitForPopup()) << menu;
            ASSERT_TRUE(Post(main, WM_CANCELMODE) && app->WaitForPopupGone());
        }
    }
    ASSERT_TRUE(QuitFromPopup());
    std::optional<MessageBoxInfo> question = app->WaitForMessageBox();
    ASSERT_TRUE(question && question->text == SaveQuestion && AnswerMessageBox(question->hwnd, IDCANCEL));

    ASSERT_TRUE(app->WaitForMessageBoxGone(question->hwnd) && ChooseMenuCommand(main, 0, 1900));
    ASSERT_NE(app->WaitForSettings(), nullptr);
    EXPECT_TRUE(Session(WM_QUERYENDSESSION, 0));
    Session(WM_ENDSESSION, TRUE);
    EXPECT_EQ(app->WaitForExit(), 0u);
    EXPECT_EQ(sandbox->ReadIni(), Saved);
    EXPECT_TRUE(sandbox->Folder().Exists("mgoldwk.ini.unsaved"));

    Launch(std::nullopt);
    question = app->WaitForMessageBox();
    ASSERT_TRUE(question && question->text == RestoreQuestion && AnswerMessageBox(question->hwnd, IDYES));
    HWND settings = app->WaitForSettings();
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(SendMessageA(ChildAt(settings, {35, 34}, "SysListView32"), LVM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(sandbox->ReadIni(), Saved);
    EXPECT_NE(SaveAndClose(settings).find("MenuName=Added"), std::string::npos);
    EXPECT_FALSE(sandbox->Folder().Exists("mgoldwk.ini.unsaved"));
}

}  // namespace
