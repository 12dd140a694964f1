// The real program's message dialogs in English, read from outside, and a hotkey field
// that takes Ctrl+Alt+Space from real keys, saves it and then answers to it.
#include "app_test.h"

#include <gtest/gtest.h>

namespace {

std::string Button(const MessageBoxInfo& box, int id) { return WindowText(GetDlgItem(box.hwnd, id)); }

using TextsE2e = AppTest;

TEST_F(TextsE2e, DialogsSpeakEnglishAndAHotkeyFieldTakesCtrlAltSpaceThatThenOpensQuickLaunch)
{
    Launch(Ini({"[GLOBAL]", "SelfAutostart=0", "MenuCount=1", "[M0]", "MenuName=Tools"}));
    ASSERT_TRUE(ChooseMenuCommand(main, 0, 1900));
    HWND settings = app->WaitForSettings();
    ASSERT_TRUE(settings && ClickButton(settings, "Ad&d"));  // the new menu is the selected one
    HWND properties = app->WaitForWindow({"TfrmEditMenu", "New menu", true});
    ASSERT_TRUE(properties && ClickButton(properties, "&OK"));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(properties); }) && ClickButton(settings, "C&lear"));
    std::optional<MessageBoxInfo> box = app->WaitForMessageBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->caption + Button(*box, IDYES) + Button(*box, IDNO) + Button(*box, IDCANCEL), "Confirm&Yes&NoCancel");
    ASSERT_TRUE(AnswerMessageBox(box->hwnd, IDCANCEL) && app->WaitForMessageBoxGone(box->hwnd));

    // This copy has no readme beside it: the error names the file.
    ASSERT_TRUE(ClickButton(settings, "A&bout"));
    HWND about = app->WaitForWindow({"TfrmAbout", "", true});
    ASSERT_TRUE(about && ClickButton(about, "&View readme.txt") && (box = app->WaitForMessageBox()));
    EXPECT_EQ(box->caption + Button(*box, IDOK), "ErrorOK");
    EXPECT_EQ(box->text.rfind("Unable to open " + sandbox->Folder().File("readme.txt") + ":\r", 0), 0u) << box->text;
    ASSERT_TRUE(AnswerMessageBox(box->hwnd, IDOK) && app->WaitForMessageBoxGone(box->hwnd));
    ASSERT_TRUE(ClickButton(about, "&OK") && ClickButton(settings, "Option&s"));

    // Clicked into the hotkey field (again when a click misses), where Alt+C is a hotkey, not "&Cancel".
    HWND options = app->WaitForWindow({"TfrmOptions", "Options", true});
    HWND field = FindWindowExA(options, nullptr, "msctls_hotkey32", nullptr);
    auto focused = [&] {
        GUITHREADINFO f{.cbSize = sizeof(f)};
        return GetGUIThreadInfo(GetWindowThreadProcessId(field, nullptr), &f) && f.hwndFocus == field;
    };
    INPUT click[2] = {{.type = INPUT_MOUSE, .mi = {.dwFlags = MOUSEEVENTF_LEFTDOWN}},
                      {.type = INPUT_MOUSE, .mi = {.dwFlags = MOUSEEVENTF_LEFTUP}}};
    for (int i = 0; field && i < 5 && !focused(); ++i, WaitUntil(focused, 500))
        SetCursorPos(ScreenPlace(field).left + 8, ScreenPlace(field).top + 8), SendInput(2, click, sizeof(INPUT));
    auto shows = [&](LRESULT v) { return WaitUntil([&] { return SendMessageA(field, HKM_GETHOTKEY, 0, 0) == v; }, 3000); };
    PressKeys({VK_MENU, 'C'});
    EXPECT_TRUE(shows(0x0443));
    PressKeys({VK_CONTROL, VK_MENU, VK_SPACE});
    EXPECT_TRUE(shows(0x0620));
    ASSERT_TRUE(ClickButton(options, "&OK") && ClickButton(settings, "&OK - Minimize"));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(settings); }));
    EXPECT_NE(sandbox->ReadIni().value_or("").find("QuickLaunchHotkey=49184"), std::string::npos);

    // The hotkeys are registered right after the icons come back.
    EXPECT_NE(app->WaitForWindow({"MarigoldwickTrayIcon", "Tools", false}, 5000), nullptr);
    Sleep(300);
    PressKeys({VK_CONTROL, VK_MENU, VK_SPACE});
    EXPECT_NE(app->WaitForWindow({"TQuickBox", "", true}, 5000), nullptr);
}

}  // namespace
