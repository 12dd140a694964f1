// The real program's message dialogs in English, read from outside, and a hotkey field
// that takes Ctrl+Alt+Space from real keys, saves it and then answers to it.
#include "app_test.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A left click through SendInput in the middle of the window.
void ClickInside(HWND window)
{
    const RECT place = ScreenPlace(window);
    ASSERT_TRUE(SetCursorPos((place.left + place.right) / 2, (place.top + place.bottom) / 2));
    INPUT clicks[2] = {};
    clicks[0].type = clicks[1].type = INPUT_MOUSE;
    clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, clicks, sizeof(INPUT));
}

using TextsE2e = AppTest;

TEST_F(TextsE2e, DialogsSpeakEnglishAndAHotkeyFieldTakesCtrlAltSpaceThatThenOpensQuickLaunch)
{
    Launch(Ini({"[GLOBAL]", "SelfAutostart=0", "AskBeforeQuit=0", "MenuCount=1", "[M0]", "MenuName=Tools",
                "ItemCount=0"}));
    ASSERT_TRUE(ChooseMenuCommand(main, 0, 1900));
    HWND settings = app->WaitForSettings();
    ASSERT_NE(settings, nullptr);

    // A new menu is the selected one: "C&lear" asks to confirm with three buttons.
    ASSERT_TRUE(ClickButton(settings, "Ad&d"));
    HWND properties = app->WaitForWindow({"TfrmEditMenu", "New menu", true});
    ASSERT_NE(properties, nullptr);
    ASSERT_TRUE(ClickButton(properties, "&OK"));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(properties); }));
    ASSERT_TRUE(ClickButton(settings, "C&lear"));
    std::optional<MessageBoxInfo> question = app->WaitForMessageBox();
    ASSERT_TRUE(question);
    EXPECT_EQ(question->caption, "Confirm");
    EXPECT_EQ(question->text, "Do you really want to remove all items from the current menu ?");
    EXPECT_EQ(WindowText(GetDlgItem(question->hwnd, IDYES)), "&Yes");
    EXPECT_EQ(WindowText(GetDlgItem(question->hwnd, IDNO)), "&No");
    EXPECT_EQ(WindowText(GetDlgItem(question->hwnd, IDCANCEL)), "Cancel");
    ASSERT_TRUE(AnswerMessageBox(question->hwnd, IDCANCEL));
    ASSERT_TRUE(app->WaitForMessageBoxGone(question->hwnd));

    // The copy has no readme beside it: the error names the file and why.
    ASSERT_TRUE(ClickButton(settings, "A&bout"));
    HWND about = app->WaitForWindow({"TfrmAbout", "", true});
    ASSERT_NE(about, nullptr);
    ASSERT_TRUE(ClickButton(about, "&View readme.txt"));
    std::optional<MessageBoxInfo> error = app->WaitForMessageBox();
    ASSERT_TRUE(error);
    EXPECT_EQ(error->caption, "Error");
    EXPECT_EQ(error->text.rfind("Unable to open " + sandbox->Folder().File("readme.txt") + ":\r", 0), 0u)
        << error->text;
    EXPECT_EQ(WindowText(GetDlgItem(error->hwnd, IDOK)), "OK");
    ASSERT_TRUE(AnswerMessageBox(error->hwnd, IDOK));
    ASSERT_TRUE(app->WaitForMessageBoxGone(error->hwnd));
    ASSERT_TRUE(ClickButton(about, "&OK"));

    // Ctrl+Alt+Space typed into the quick-launch hotkey field.
    ASSERT_TRUE(ClickButton(settings, "Option&s"));
    HWND options = app->WaitForWindow({"TfrmOptions", "Options", true});
    ASSERT_NE(options, nullptr);
    HWND field = FindWindowExA(options, nullptr, "msctls_hotkey32", nullptr);
    ASSERT_NE(field, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == options; }, 3000))
        << WindowClass(GetForegroundWindow());
    // Clicked again while the focus stays elsewhere: a click right after the window shows can miss.
    auto focused = [&] {
        GUITHREADINFO focus{};
        focus.cbSize = sizeof(focus);
        return GetGUIThreadInfo(GetWindowThreadProcessId(field, nullptr), &focus) && focus.hwndFocus == field;
    };
    for (int attempt = 0; attempt < 5 && !focused(); ++attempt) {
        ClickInside(field);
        WaitUntil(focused, 500);
    }
    ASSERT_TRUE(focused());
    // Alt+C is a hotkey here, not the mnemonic of "&Cancel".
    PressKeys({VK_MENU, 'C'});
    EXPECT_TRUE(WaitUntil([&] { return SendMessageA(field, HKM_GETHOTKEY, 0, 0) == 0x0443; }, 3000));
    PressKeys({VK_CONTROL, VK_MENU, VK_SPACE});
    EXPECT_TRUE(WaitUntil([&] { return SendMessageA(field, HKM_GETHOTKEY, 0, 0) == 0x0620; }, 3000))
        << std::hex << SendMessageA(field, HKM_GETHOTKEY, 0, 0);
    EXPECT_TRUE(IsWindowVisible(options)) << "no key of the combination ended the dialog";
    ASSERT_TRUE(ClickButton(options, "&OK"));
    ASSERT_TRUE(ClickButton(settings, "&OK - Minimize"));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(settings); }));
    std::optional<std::string> saved = sandbox->ReadIni();
    ASSERT_TRUE(saved);
    EXPECT_NE(saved->find("QuickLaunchHotkey=" + std::to_string(VK_SPACE + 16384 + 32768)), std::string::npos)
        << *saved;

    // Registered once the settings are gone: then this process can no longer take it.
    EXPECT_TRUE(WaitUntil([] {
        const bool free = RegisterHotKey(nullptr, 1, MOD_CONTROL | MOD_ALT, VK_SPACE);
        if (free) UnregisterHotKey(nullptr, 1);
        return !free;
    }));
    PressKeys({VK_CONTROL, VK_MENU, VK_SPACE});
    EXPECT_NE(app->WaitForWindow({"TQuickBox", "", true}, 5000), nullptr) << "the hotkey opens the quick-launch box";
    EXPECT_TRUE(app->NoMessageBoxFor(200));
}

}  // namespace
