// A menu set to follow a folder in the real program: the menu properties dialog reached by
// its mnemonic refuses a missing folder, takes an existing one, the settings window then
// shows the menu's own entries read-only, and OK writes the folder beside them.
#include "app_test.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

namespace {

using MenuFolderE2e = AppTest;

// The control of the window's thread that has the keyboard focus.
HWND FocusOf(HWND window)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

bool IsEdit(HWND control)
{
    char name[16] = {};
    GetClassNameA(control, name, sizeof(name));
    return std::string(name) == "Edit";
}

TEST_F(MenuFolderE2e, AMenuFollowsAFolderChosenInItsPropertiesAndKeepsItsEntries)
{
    const std::string folder = sandbox->Folder().File("Shown Folder");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    Launch(Ini({"[GLOBAL]", "SelfAutostart=0", "AskBeforeQuit=0", "MenuCount=1", "[M0]", "MenuName=Places",
                "ItemCount=1", "[M0I1]", "Pfad=C:\\windows\\notepad.exe", "Description=Editor"}));
    ASSERT_TRUE(ChooseMenuCommand(main, 0, 1900));
    HWND settings = app->WaitForSettings();
    ASSERT_NE(settings, nullptr);
    ASSERT_TRUE(Post(ChildAt(settings, {7 + 8 + 20, 8 + 16 + 10}, "SysListView32"), WM_KEYDOWN, VK_HOME, 1));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(FindChild(settings, "Button", "&Add")) != FALSE; }));

    ASSERT_TRUE(ClickButton(settings, "M&odify"));
    HWND dialog = app->WaitForWindow({"TfrmEditMenu", "Modify menu", true});
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == dialog; }, 3000));
    PressKeys({VK_MENU, 'F'});
    HWND field = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (field = FocusOf(dialog)) && IsEdit(field) && WindowText(field).empty(); }))
        << "Alt+F leads to the empty folder field";

    SendMessageA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>((folder + "\\missing").c_str()));
    ASSERT_TRUE(ClickButton(dialog, "&OK"));
    std::optional<MessageBoxInfo> refusal = app->WaitForMessageBox();
    ASSERT_TRUE(refusal);
    EXPECT_NE(refusal->text.find("missing\" does not exist"), std::string::npos) << refusal->text;
    ASSERT_TRUE(AnswerMessageBox(refusal->hwnd, IDOK));
    ASSERT_TRUE(app->WaitForMessageBoxGone(refusal->hwnd));
    EXPECT_TRUE(IsWindowVisible(dialog)) << "a refused folder keeps the dialog open";

    SendMessageA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>((" \"" + folder + "\\\"  ").c_str()));
    ASSERT_TRUE(ClickButton(dialog, "&OK"));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(dialog); }));
    EXPECT_TRUE(app->NoMessageBoxFor(200));

    // The entries stay, read-only, with a note naming the folder in the mask's place.
    HWND note = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        note = FindChild(settings, "Static", "This menu shows the contents of\n" + folder +
                                                 "\n\nIts own entries are kept but not shown. To edit them, "
                                                 "clear the folder in the menu's properties (Modify).");
        return note && IsWindowVisible(note);
    }, 3000));
    EXPECT_FALSE(IsWindowEnabled(FindChild(settings, "Button", "&Add")));
    EXPECT_FALSE(IsWindowEnabled(FindChild(settings, "Button", "&Remove")));
    EXPECT_EQ(ListView_GetItemCount(SettingsItemList(settings)), 1);

    const std::string saved = SaveAndClose(settings);
    const size_t menu = saved.find("[M0]\r\n"), entry = saved.find("[M0I1]\r\n");
    const size_t line = saved.find("\r\nMenuFolder=" + folder + "\r\n");
    EXPECT_TRUE(menu < line && line < entry) << saved;
    EXPECT_NE(saved.find("Pfad=C:\\windows\\notepad.exe", entry), std::string::npos) << saved;
    EXPECT_EQ(saved.find("FolderMenu"), std::string::npos) << saved;
}

}  // namespace
