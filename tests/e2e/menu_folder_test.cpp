// A menu set to follow a folder in the real program: its properties, reached by the
// mnemonic, refuse a missing folder and take an existing one; the entries stay, read-only.
#include "app_test.h"

#include <gtest/gtest.h>

namespace {

using MenuFolderE2e = AppTest;

TEST_F(MenuFolderE2e, AMenuFollowsAFolderChosenInItsPropertiesAndKeepsItsEntries)
{
    const std::string folder = sandbox->Folder().File("Shown Folder");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    Launch(Ini({"[GLOBAL]", "SelfAutostart=0", "AskBeforeQuit=0", "MenuCount=1", "[M0]", "MenuName=Places",
                "ItemCount=1", "[M0I1]", "Pfad=C:\\windows\\notepad.exe"}));
    ASSERT_TRUE(ChooseMenuCommand(main, 0, 1900));
    HWND settings = app->WaitForSettings();
    ASSERT_TRUE(Post(ChildAt(settings, {7 + 8 + 20, 8 + 16 + 10}, "SysListView32"), WM_KEYDOWN, VK_HOME, 1));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(FindChild(settings, "Button", "&Add")) != FALSE; }));
    ASSERT_TRUE(ClickButton(settings, "M&odify"));
    HWND dialog = app->WaitForWindow({"TfrmEditMenu", "Modify menu", true});
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == dialog; }, 3000));
    PressKeys({VK_MENU, 'F'});
    GUITHREADINFO focus{};
    focus.cbSize = sizeof(focus);
    char name[8] = {};  // the focus moves from the name to the empty folder field
    ASSERT_TRUE(WaitUntil([&] { return GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &focus) &&
        GetClassNameA(focus.hwndFocus, name, 8) && std::string(name) == "Edit" && WindowText(focus.hwndFocus).empty(); }));

    for (const std::string& typed : {folder + "\\missing", " \"" + folder + "\\\" "}) {
        SendMessageA(focus.hwndFocus, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()));
        ASSERT_TRUE(ClickButton(dialog, "&OK"));
        if (std::optional<MessageBoxInfo> refusal = app->WaitForMessageBox(1000)) {
            EXPECT_NE(refusal->text.find("missing\" does not exist"), std::string::npos) << refusal->text;
            ASSERT_TRUE(AnswerMessageBox(refusal->hwnd, IDOK));
        }
        EXPECT_EQ(WaitUntil([&] { return !IsWindowVisible(dialog); }, 1000), typed[0] == ' ') << typed;
    }
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(FindChild(settings, "Static", "This menu shows the contents of\n" +
        folder + "\n\nIts own entries are kept but not shown. To edit them, clear the folder in the menu's properties (Modify).")); }));
    EXPECT_FALSE(IsWindowEnabled(FindChild(settings, "Button", "&Remove")));

    const std::string saved = SaveAndClose(settings);
    const size_t line = saved.find("\r\nMenuFolder=" + folder + "\r\n");
    EXPECT_TRUE(saved.find("[M0]") < line && line < saved.find("[M0I1]\r\nPfad=C:\\windows\\notepad.exe")) << saved;
}

}  // namespace
