// The icon picker of the real program, used from outside: the item mask's browse button and
// the menu properties dialog open the program's own picker (Wine's shows nothing), real
// keys choose an icon, and "OK - Minimize" writes the choice.
#include "app_test.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <string>

namespace {

const std::string Library = "C:\\windows\\system32\\shell32.dll";

class IconPickE2e : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        if (!GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version")) GTEST_SKIP() << "Wine's picker only";
        Launch(Ini({"[GLOBAL]", "SelfAutostart=0", "AskBeforeQuit=0", "MenuCount=1", "[M0]", "MenuName=Tools",
                    "IconPfad=" + Library, "IconNum=1", "ItemCount=1", "[M0I1]", "Pfad=C:\\windows\\notepad.exe",
                    "IconPfad=" + Library, "IconNum=1"}));
        ASSERT_TRUE(ChooseMenuCommand(main, 0, 1900));
        settings = app->WaitForSettings();
        ASSERT_NE(settings, nullptr);
        // A click on the first menu of the "Menus" list selects it.
        HWND menus = ChildAt(settings, {7 + 8 + 12, 8 + 16 + 8}, "SysListView32");
        ASSERT_NE(menus, nullptr);
        ASSERT_TRUE(Post(menus, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(12, 8)));
        ASSERT_TRUE(Post(menus, WM_LBUTTONUP, 0, MAKELPARAM(12, 8)));
        ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(FindChild(settings, "Button", "&Add")) != FALSE; }));
    }

    // The picker shown over `owner` with the icon `owner` had preselected; keys typed as a
    // user types them choose icon 2 and Enter closes the picker.
    void PickThird(HWND owner, int preselected)
    {
        HWND picker = app->WaitForWindow({"TfrmIconPick", "Change Icon", true});
        ASSERT_NE(picker, nullptr);
        EXPECT_FALSE(IsWindowEnabled(owner)) << "modal to the window that opened it";
        HWND list = FindWindowExA(picker, nullptr, "SysListView32", nullptr);
        ASSERT_NE(list, nullptr);
        auto selected = [&] {
            return static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
        };
        EXPECT_EQ(static_cast<UINT>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)),
                  ExtractIconExA(Library.c_str(), -1, nullptr, nullptr, 0));
        EXPECT_EQ(selected(), preselected);
        // The keys go where the user's would: to the focus, once the list has it.
        ASSERT_TRUE(WaitUntil([&] {
            GUITHREADINFO info{};
            info.cbSize = sizeof(info);
            return GetForegroundWindow() == picker &&
                   GetGUIThreadInfo(GetWindowThreadProcessId(picker, nullptr), &info) && info.hwndFocus == list;
        }));
        // End goes to the last icon, Home back to the first, and right twice to the third.
        int last = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)) - 1;
        PressKeys({VK_END});
        EXPECT_TRUE(WaitUntil([&] { return selected() == last; })) << selected();
        for (WORD key : {VK_HOME, VK_RIGHT, VK_RIGHT}) PressKeys({key});
        EXPECT_TRUE(WaitUntil([&] { return selected() == 2; })) << selected();
        PressKeys({VK_RETURN});
        ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(picker); }));
        ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(owner) != FALSE; }));
    }

    // "&OK - Minimize", quit, and the file as it is then.
    std::string OkAndQuit() { return SaveAndClose(settings); }

    HWND settings = nullptr;
};

TEST_F(IconPickE2e, TheItemMasksBrowseButtonChoosesAnIconThatModifyAndOkSave)
{
    // The first item: Home in the item list.
    HWND items = ChildAt(settings, {7 + 8 + 12, 128 + 33 + 12}, "SysListView32");
    ASSERT_NE(items, nullptr);
    ASSERT_TRUE(Post(items, WM_KEYDOWN, VK_HOME, 0));
    HWND iconPath = EditAt(settings, {7 + 184 + 80, 128 + 32 + 54});
    ASSERT_TRUE(WaitUntil([&] { return WindowText(iconPath) == Library; }));

    HWND browse = ChildAt(settings, {7 + 184 + 288 + 5, 128 + 32 + 50 + 5}, "Button");
    ASSERT_NE(browse, nullptr);
    ASSERT_TRUE(
        Post(settings, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(browse), BN_CLICKED), reinterpret_cast<LPARAM>(browse)));
    PickThird(settings, 1);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(WindowText(iconPath), Library);
    ASSERT_TRUE(ClickButton(settings, "&Modify"));

    std::string saved = OkAndQuit();
    size_t item = saved.find("[M0I1]\r\n");
    ASSERT_NE(item, std::string::npos) << saved;
    EXPECT_NE(saved.find("\r\nIconPfad=" + Library + "\r\nIconNum=2\r\n", item), std::string::npos) << saved;
    EXPECT_NE(saved.find("\r\nIconPfad=" + Library + "\r\nIconNum=1\r\n"), std::string::npos) << "menu: " << saved;
}

TEST_F(IconPickE2e, TheMenuDialogsBrowseButtonChoosesTheTrayIcon)
{
    ASSERT_TRUE(ClickButton(settings, "M&odify"));
    HWND dialog = app->WaitForWindow({"TfrmEditMenu", "", true});
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(ClickButton(dialog, "..."));
    PickThird(dialog, 1);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(ClickButton(dialog, "&OK"));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(dialog); }));

    std::string saved = OkAndQuit();
    EXPECT_LT(saved.find("\r\nIconPfad=" + Library + "\r\nIconNum=2\r\n"), saved.find("[M0I1]")) << saved;
}

}  // namespace
