// The running program can always be found again: its own notification icon while no menu
// icon shows, and a later start that brings up the running copy instead of ending unseen.
#include "app_test.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr char IconClass[] = "MarigoldwickTrayIcon";
constexpr UINT OwnIconMessage = 1078;

class Reachable : public AppTest {
protected:
    std::vector<std::string> IconTips() const
    {
        std::vector<std::string> tips;
        for (HWND hwnd : app->TopWindows())
            if (WindowClass(hwnd) == IconClass) tips.push_back(WindowText(hwnd));
        std::sort(tips.begin(), tips.end());
        return tips;
    }
    bool IconTipsBecome(const std::vector<std::string>& tips) const
    {
        return WaitUntil([&] { return IconTips() == tips; }, 5000);
    }
    HWND Settings() const { return app->FindTopWindow({"TfrmKonfig", "Marigoldwick - Settings", true}); }
    void CloseWithCloseBox(HWND window)
    {
        ASSERT_TRUE(Post(window, WM_SYSCOMMAND, SC_CLOSE));
        ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(window); }));
    }
    // The program started again from its own file, as the Start menu does, while another
    // window is in front (unless a popup menu is open): it ends at once.
    void StartAgain(bool fromElsewhere = true)
    {
        ASSERT_TRUE(elsewhere);
        if (fromElsewhere) {
            ShowWindow(elsewhere.get(), SW_SHOW);
            SetForegroundWindow(elsewhere.get());
            ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == elsewhere.get(); }, 2000));
        }
        DWORD start = GetTickCount();
        std::unique_ptr<AppProcess> second = sandbox->Start();
        ASSERT_TRUE(second);
        EXPECT_EQ(second->WaitForExit(5000), 0u);
        EXPECT_LT(GetTickCount() - start, 3000u);
    }
    // The shorter of the settings window's two list views.
    static HWND MenuList(HWND settings)
    {
        HWND items = SettingsItemList(settings);
        for (HWND c = FindWindowExW(settings, nullptr, L"SysListView32", nullptr); c;
             c = FindWindowExW(settings, c, L"SysListView32", nullptr))
            if (c != items) return c;
        return nullptr;
    }
    UniqueWindow elsewhere{CreateWindowExA(0, "STATIC", "Elsewhere", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                           nullptr, nullptr, nullptr)};
};

TEST_F(Reachable, OwnIconAndALaterStartLeadBackToTheSettingsUntilAMenuExists)
{
    Launch(std::nullopt);
    std::optional<MessageBoxInfo> welcome = app->WaitForMessageBox();
    ASSERT_TRUE(welcome);
    EXPECT_EQ(IconTips(), std::vector<std::string>{"Marigoldwick"}) << "the own icon, never the tools";
    // While the welcome waits, a later start brings it forward and opens nothing beside it.
    ASSERT_NO_FATAL_FAILURE(StartAgain());
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == welcome->hwnd; }, 2000));
    EXPECT_EQ(Settings(), nullptr);
    ASSERT_TRUE(AnswerMessageBox(welcome->hwnd, IDOK));
    HWND settings = app->WaitForSettings();
    ASSERT_NE(settings, nullptr);
    EXPECT_TRUE(app->NoMessageBoxFor(200)) << "one welcome only";

    ASSERT_NO_FATAL_FAILURE(CloseWithCloseBox(settings));
    HWND icon = app->WaitForWindow({IconClass, "Marigoldwick", false}, 5000);
    ASSERT_NE(icon, nullptr) << "still in the notification area";
    EXPECT_TRUE(app->IsRunning());
    struct Opening {
        const char* how;
        UINT event;
    };
    // A click, and Enter on the icon as the newer shells report it.
    for (Opening opening : {Opening{"click", WM_LBUTTONUP}, Opening{"Enter", WM_USER + 1}}) {
        ASSERT_TRUE(Post(icon, OwnIconMessage, 0, opening.event));
        EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(settings); }, 5000)) << opening.how;
        ASSERT_NO_FATAL_FAILURE(CloseWithCloseBox(settings));
    }

    ASSERT_NO_FATAL_FAILURE(StartAgain());
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(settings); }, 5000)) << "the first copy's settings";
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == settings; }, 2000)) << "in front";
    ASSERT_NO_FATAL_FAILURE(StartAgain());
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == settings; }, 2000)) << "brought forward";

    // A menu, saved: its icon replaces the own one.
    ASSERT_TRUE(ClickButton(settings, "Ad&d"));
    HWND dialog = app->WaitForWindow({"TfrmEditMenu", "New menu", true});
    ASSERT_NE(dialog, nullptr);
    ASSERT_NO_FATAL_FAILURE(StartAgain());
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == dialog; }, 2000)) << "the dialog, not the settings";
    EXPECT_TRUE(IsWindowVisible(dialog) && !IsWindowEnabled(settings));
    SendMessageA(FindChild(dialog, "Edit", "New Menu"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Work"));
    ASSERT_TRUE(ClickButton(dialog, "&OK"));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(dialog); }));
    ASSERT_TRUE(ClickButton(settings, "&OK - Minimize"));
    EXPECT_TRUE(IconTipsBecome({"Work"}));

    // An open popup menu gives way to the settings window.
    ASSERT_TRUE(Post(app->WaitForWindow({IconClass, "Work", false}, 5000), 1027, 0, WM_RBUTTONUP));
    ASSERT_NE(app->WaitForPopup(), nullptr);
    ASSERT_NO_FATAL_FAILURE(StartAgain(false));
    EXPECT_TRUE(app->WaitForPopupGone());
    ASSERT_NE(app->WaitForSettings(), nullptr);

    // The last menu removed (OK asks for one menu at least; the close box keeps the change
    // until the next start): the own icon is back.
    EXPECT_TRUE(IconTipsBecome({"Marigoldwick"})) << "while the settings window is open";
    HWND menus = MenuList(settings);
    ASSERT_TRUE(Post(menus, WM_KEYDOWN, VK_HOME, 1));
    ASSERT_TRUE(Post(menus, WM_KEYDOWN, VK_SPACE, 1));
    ASSERT_TRUE(WaitUntil([&] { return SendMessageA(menus, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED) == 0; }));
    ASSERT_TRUE(ClickButton(settings, "R&emove"));
    ASSERT_TRUE(WaitUntil([&] { return SendMessageA(menus, LVM_GETITEMCOUNT, 0, 0) == 0; }));
    ASSERT_NO_FATAL_FAILURE(CloseWithCloseBox(settings));
    EXPECT_TRUE(IconTipsBecome({"Marigoldwick"}));
    EXPECT_TRUE(app->NoMessageBoxFor(200));

    // Its popup quits, asking first about the removal that was never saved.
    icon = app->WaitForWindow({IconClass, "Marigoldwick", false}, 5000);
    ASSERT_TRUE(SetCursorPos(300, 200));
    ASSERT_TRUE(Post(icon, OwnIconMessage, 0, WM_RBUTTONUP));
    ASSERT_NE(app->WaitForPopup(), nullptr);
    PressKeys({'Q'});
    std::optional<MessageBoxInfo> question = app->WaitForMessageBox();
    ASSERT_TRUE(question);
    ASSERT_TRUE(AnswerMessageBox(question->hwnd, IDNO));
    EXPECT_EQ(app->WaitForExit(), 0u);
    EXPECT_NE(sandbox->ReadIni().value_or("").find("MenuName=Work"), std::string::npos) << "kept as saved";
}

}  // namespace
