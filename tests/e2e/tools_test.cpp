// The real mgoldwk.exe's tools menu from outside: the tools icon's right click, the
// menu chosen from with the keyboard, an action the display refuses, and a shell dialog
// the system only has as a stub.
#include "win/command_ids.h"
#include "app_test.h"
#include "tools/tools_menu_win.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using ToolsE2e = AppTest;

TEST_F(ToolsE2e, RightClickPopsUpTheToolsMenuAndARefusedModeIsReported)
{
    Launch(Ini({"[GLOBAL]", "SelfAutostart=0", "AskBeforeQuit=0", "UseToolsMenu=1", "ToolsMenuCfg=8", "MenuCount=1",
                "[M0]", "MenuName=First", "ItemCount=0"}));
    HWND icon = app->WaitForWindow({"MarigoldwickTrayIcon", "Marigoldwick Tools", false}, 5000);
    ASSERT_NE(icon, nullptr);
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);

    ASSERT_TRUE(SetCursorPos(300, 200));
    ASSERT_TRUE(Post(icon, 1077, 0, WM_RBUTTONUP));
    HWND popup = app->WaitForPopup();
    ASSERT_NE(popup, nullptr);
    RECT rect{};
    GetWindowRect(popup, &rect);
    EXPECT_EQ(rect.left, 300) << "the tools menu opens at the cursor";
    EXPECT_EQ(rect.top, 200);

    // "&Resolution", then "&4 Switch to 1280x1024": more than the test screen offers,
    // so nothing on the machine changes.
    PressKeys({'R'});
    Sleep(200);
    PressKeys({'4'});
    std::optional<MessageBoxInfo> box = app->WaitForMessageBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->caption, "Marigoldwick - Resolution Change Error");
    EXPECT_EQ(box->text, "The graphics mode is not supported.");
    EXPECT_TRUE(app->WaitForPopupGone());
    ASSERT_TRUE(AnswerMessageBox(box->hwnd, IDOK));
    EXPECT_TRUE(app->WaitForMessageBoxGone(box->hwnd));
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), width);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), height);
    EXPECT_TRUE(app->IsRunning());
}

// Under Wine the shell's Find Computer is a stub that ends any process calling it.
TEST_F(ToolsE2e, FindComputerWithoutTheSystemsDialogLeavesTheProgramRunningAndSaysWhy)
{
    Launch(Ini({"[GLOBAL]", "SelfAutostart=0", "AskBeforeQuit=0", "UseToolsMenu=1", "ToolsMenuCfg=2", "MenuCount=1",
                "[M0]", "MenuName=First", "ItemCount=0"}));
    HWND icon = app->WaitForWindow({"MarigoldwickTrayIcon", "Marigoldwick Tools", false}, 5000);
    ASSERT_NE(icon, nullptr);

    // "&Network", then "&Find Computer...": greyed, so the menu closes and nothing runs.
    ASSERT_TRUE(SetCursorPos(300, 200));
    ASSERT_TRUE(Post(icon, 1077, 0, WM_RBUTTONUP));
    ASSERT_NE(app->WaitForPopup(), nullptr);
    PressKeys({'N'});
    Sleep(200);
    PressKeys({'F'});
    EXPECT_TRUE(app->WaitForPopupGone());
    EXPECT_TRUE(app->NoMessageBoxFor(500));
    ASSERT_TRUE(app->IsRunning());

    // The command arriving anyway (from a menu shown before the system changed): a word instead.
    ASSERT_TRUE(ChooseMenuCommand(main, ToolsMenuIndex, *ToolsMenu::CommandOf("TPMFindComputer1")));
    std::optional<MessageBoxInfo> box = app->WaitForMessageBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->caption, "Marigoldwick");
    EXPECT_EQ(box->text, "Find Computer is not available on this system.");
    ASSERT_TRUE(AnswerMessageBox(box->hwnd, IDOK));
    EXPECT_TRUE(app->WaitForMessageBoxGone(box->hwnd));

    // Still running and answering: the tools menu pops up again.
    ASSERT_TRUE(app->IsRunning());
    ASSERT_TRUE(Post(icon, 1077, 0, WM_RBUTTONUP));
    EXPECT_NE(app->WaitForPopup(), nullptr);
    PressKeys({VK_ESCAPE});
    EXPECT_TRUE(app->WaitForPopupGone());
    EXPECT_TRUE(app->IsRunning());
}

}  // namespace
