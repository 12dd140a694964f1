// Without a mouse: the shell's keyboard events posted to an icon, and the settings window
// driven by keys typed through SendInput, its focus and lists read from outside.
#include "app_test.h"

#include <gtest/gtest.h>

namespace {

class KeyboardE2e : public AppTest {
protected:
    HWND Focus() const
    {
        GUITHREADINFO info{sizeof(GUITHREADINFO)};
        return GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info) ? info.hwndFocus : nullptr;
    }
    // Tab (Shift+Tab) until the control has the focus: the captions of the buttons passed.
    std::string TabTo(HWND control, bool backwards = false) const
    {
        std::string passed;
        for (int presses = 0; presses < 30 && Focus() != control; ++presses) {
            backwards ? PressKeys({VK_SHIFT, VK_TAB}) : PressKeys({VK_TAB});
            Sleep(60);
            if (WindowClass(Focus()) == "Button") passed += WindowText(Focus()) + "|";
        }
        return passed;
    }
    static bool SelectedBecomes(HWND list, int row)
    {
        return WaitUntil([&] { return SendMessageW(list, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED) == row; }, 3000);
    }
    // The popup the icon's events open, closed again with Esc: where it was.
    RECT PopupAfter(HWND icon, std::initializer_list<std::pair<WPARAM, LPARAM>> events) const
    {
        for (auto [anchor, event] : events) EXPECT_TRUE(Post(icon, 1027, anchor, event));
        const RECT place = app->WaitForPopup() ? ScreenPlace(app->Popup()) : RECT{};
        PressKeys({VK_ESCAPE});
        EXPECT_TRUE(app->WaitForPopupGone());
        return place;
    }
};

TEST_F(KeyboardE2e, KeysOnTheIconOpenItsMenuOrTheToolsAndTheSettingsAddMoveAndSaveAnEntry)
{
    Launch(Ini({"[GLOBAL]", "SelfAutostart=0", "UseToolsMenu=1", "ToolsMenuCfg=8", "MenuCount=2", "[M0]",
                "MenuName=Keys", "ItemCount=2", "[M0I1]", "Pfad=C:\\windows\\notepad.exe", "Description=First", "[M0I2]",
                "Pfad=C:\\windows\\regedit.exe", "Description=Second", "[M1]", "MenuName=Other", "ItemCount=0"}));
    HWND icon = app->WaitForWindow({"MarigoldwickTrayIcon", "Keys", false}, 5000);
    ASSERT_TRUE(icon && SetCursorPos(40, 30));
    const RECT menu = PopupAfter(icon, {{MAKEWPARAM(300, 200), 0x0401}});  // NIN_KEYSELECT
    EXPECT_TRUE(menu.left == 300 && menu.top == 200) << "at the icon, not at the cursor";
    const RECT echo = PopupAfter(icon, {{0, WM_RBUTTONUP}, {0, WM_CONTEXTMENU}});
    EXPECT_EQ(echo.bottom - echo.top, menu.bottom - menu.top) << "a right click and its echo: the menu";
    const RECT tools = PopupAfter(icon, {{MAKEWPARAM(320, 220), WM_CONTEXTMENU}});
    EXPECT_TRUE(tools.left == 320 && tools.bottom - tools.top != menu.bottom - menu.top) << "the key: the tools";
    ASSERT_TRUE(ChooseMenuCommand(main, 0, 1900));
    HWND settings = app->WaitForSettings(), menus = ChildAt(settings, {35, 34}, "SysListView32");
    HWND items = SettingsItemList(settings);
    ASSERT_TRUE(WaitUntil([&] { return Focus() == items; }));
    PressKeys({VK_END});  // the mask shows "Second"; Add makes a copy of it
    const std::string order = "Move &Up|Move D&n|&Insert Separator|...|...|Use default Icon|";
    EXPECT_EQ(TabTo(FindChild(settings, "Button", "&Add")).substr(0, order.size()), order) << "the list's, then the mask's";
    PressKeys({VK_RETURN});
    ASSERT_TRUE(SelectedBecomes(items, 2)) << "Enter pressed the focused Add";
    for (int row : {1, 0}) {
        PressKeys({VK_CONTROL, VK_UP});
        EXPECT_TRUE(SelectedBecomes(items, row) && Focus() == items);
    }
    TabTo(menus, true);
    PressKeys({VK_CONTROL, VK_RIGHT});
    EXPECT_TRUE(SelectedBecomes(menus, 1) && WaitUntil([&] { return Focus() == menus; }));
    PressKeys({VK_RETURN});
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(settings); })) << "Enter is OK";
    const std::string saved = sandbox->ReadIni().value_or("");
    size_t at = saved.find("[M0]\r\nMenuName=Other\r\n");
    for (const char* line : {"[M1]\r\nMenuName=Keys\r\nItemCount=3", "Second", "[M1I2]", "First", "[M1I3]", "Second"})
        at = at == std::string::npos ? at : saved.find(line, at);
    EXPECT_NE(at, std::string::npos) << saved;

    ASSERT_TRUE(ChooseMenuCommand(main, 1, 1900) && WaitUntil([&] { return Focus() == items; }));
    PressKeys({VK_HOME});
    PressKeys({VK_CONTROL, VK_DOWN});
    PressKeys({VK_ESCAPE});
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(settings); })) << "Esc is the close box";
    EXPECT_EQ(sandbox->ReadIni(), saved) << "which saves nothing";
}

}  // namespace
