// The options' quick-launch page of the real program, used with the keyboard from outside:
// a folder added through its dialog reaches the file with the settings' OK, and the
// history is cleared after a yes.
#include "app_test.h"

#include <gtest/gtest.h>

namespace {

class QuickFoldersE2e : public AppTest {
protected:
    HWND Focus() const
    {
        GUITHREADINFO info{sizeof(GUITHREADINFO)};
        return GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info) ? info.hwndFocus : nullptr;
    }
    // The window's one shown list view, or null.
    static HWND ShownList(HWND window)
    {
        HWND shown = nullptr;
        for (HWND c = FindWindowExW(window, nullptr, L"SysListView32", nullptr); c;
             c = FindWindowExW(window, c, L"SysListView32", nullptr))
            if (IsWindowVisible(c)) shown = shown ? nullptr : c;
        return shown;
    }
};

TEST_F(QuickFoldersE2e, AFolderAddedWithKeysIsSavedByOkAndClearAsksThenDisablesItself)
{
    const std::string portable = sandbox->Folder().File("Portable apps");
    ASSERT_TRUE(CreateDirectoryW(Wide(portable).c_str(), nullptr));
    Launch(Ini({"[GLOBAL]", "SelfAutostart=0", "AskBeforeQuit=0", "MenuCount=1", "[M0]", "MenuName=Tools",
                "ItemCount=0"}));
    ASSERT_TRUE(ChooseMenuCommand(main, 0, 1900));
    HWND settings = app->WaitForSettings();
    ASSERT_TRUE(settings && ClickButton(settings, "Option&s"));
    HWND options = app->WaitForWindow({"TfrmOptions", "Options", true});
    HWND tools = ShownList(options);
    ASSERT_TRUE(tools && !ClickButton(options, "&Add...")) << "the second page's buttons stay hidden on the first";

    SetForegroundWindow(options);
    ASSERT_TRUE(WaitUntil([&] { return Focus() == FindChild(options, "Button", "&OK"); }));
    PressKeys({VK_CONTROL, VK_TAB});
    ASSERT_TRUE(WaitUntil([&] { return ShownList(options) && ShownList(options) != tools; })) << "Ctrl+Tab turns the page";
    HWND folders = ShownList(options);
    PressKeys({VK_MENU, 'A'});
    HWND dialog = app->WaitForWindow({"TfrmQuickFolder", "Add Quick-launch Folder", true});
    ASSERT_TRUE(dialog && WaitUntil([&] { return Focus() == EditAt(dialog, {74, 18}); })) << "the folder first";
    SendMessageW(EditAt(dialog, {74, 18}), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(portable).c_str()));
    PressKeys({VK_MENU, 'D'});
    PressKeys({VK_UP});
    PressKeys({VK_MENU, 'L'});
    ASSERT_TRUE(WaitUntil([&] { return Focus() == EditAt(dialog, {74, 78}); }));
    SendMessageW(Focus(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"*.exe"));
    PressKeys({VK_RETURN});
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(dialog); }));
    EXPECT_TRUE(WaitUntil([&] { return SendMessageW(folders, LVM_GETITEMCOUNT, 0, 0) == 1; }));
    EXPECT_TRUE(IsWindowEnabled(FindChild(options, "Button", "&Remove"))) << "the new row is selected";

    HWND clear = FindChild(options, "Button", "Clear quick-launch &history");
    ASSERT_TRUE(ClickButton(options, "Clear quick-launch &history"));
    std::optional<MessageBoxInfo> question = app->WaitForMessageBox();
    ASSERT_TRUE(question && question->text.rfind("Clear the quick-launch history?", 0) == 0);
    EXPECT_TRUE(IsWindowEnabled(clear)) << "nothing happens before the answer";
    ASSERT_TRUE(AnswerMessageBox(question->hwnd, IDYES));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowEnabled(clear); }));

    ASSERT_TRUE(ClickButton(options, "&OK"));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(options); }));
    EXPECT_EQ(sandbox->ReadIni()->find("QuickFolder"), std::string::npos) << "only the settings' OK saves";
    const std::string saved = SaveAndClose(settings);
    for (const std::string& line : {std::string("QuickFolderCount=1\r\n"), "QuickFolder0=" + portable + "\r\n",
                                    std::string("QuickFolderDepth0=2\r\n"), std::string("QuickFolderMasks0=*.exe\r\n")})
        EXPECT_NE(saved.find(line), std::string::npos) << line << " in\n" << saved;
}

}  // namespace
