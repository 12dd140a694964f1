// The running program can always be found again: its own notification icon while no menu
// icon shows, and a later start that brings up the running copy instead of ending unseen.
#include "app_test.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr char IconClass[] = "MarigoldwickTrayIcon";
constexpr UINT OwnIconMessage = 1078;

class Reachable : public AppTest {
protected:
    // The icon windows' captions are the icons' tips.
    bool IconTipsBecome(const std::string& tips) const
    {
        return WaitUntil([&] {
            std::string all;
            for (HWND hwnd : app->TopWindows())
                if (WindowClass(hwnd) == IconClass) all += WindowText(hwnd);
            return all == tips;
        }, 5000);
    }
    bool InFront(HWND window) const
    {
        return WaitUntil([&] { return GetForegroundWindow() == window; }, 2000);
    }
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
            ASSERT_TRUE(InFront(elsewhere.get()));
        }
        DWORD start = GetTickCount();
        std::unique_ptr<AppProcess> second = sandbox->Start();
        ASSERT_TRUE(second);
        EXPECT_EQ(second->WaitForExit(5000), 0u);
        EXPECT_LT(GetTickCount() - start, 3000u);
    }
    UniqueWindow elsewhere{CreateWindowExA(0, "STATIC", "Elsewhere", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                           nullptr, nullptr, nullptr)};
};

TEST_F(Reachable, OwnIconAndALaterStartLeadBackToTheSettingsUntilAMenuExists)
{
    Launch(std::nullopt);
    std::optional<MessageBoxInfo> welcome = app->WaitForMessageBox();
    ASSERT_TRUE(welcome);
    EXPECT_TRUE(IconTipsBecome("Marigoldwick")) << "the own icon, never the tools";
    ASSERT_NO_FATAL_FAILURE(StartAgain());
    EXPECT_TRUE(InFront(welcome->hwnd)) << "the welcome comes forward, nothing opens beside it";
    ASSERT_TRUE(AnswerMessageBox(welcome->hwnd, IDOK));
    HWND settings = app->WaitForSettings();
    ASSERT_NE(settings, nullptr);
    ASSERT_NO_FATAL_FAILURE(CloseWithCloseBox(settings));

    HWND icon = app->WaitForWindow({IconClass, "Marigoldwick", false}, 5000);
    ASSERT_NE(icon, nullptr) << "still in the notification area";
    // A click, and Enter on the icon as the newer shells report it (NIN_KEYSELECT).
    for (UINT event : {UINT(WM_LBUTTONUP), UINT(WM_USER + 1)}) {
        ASSERT_TRUE(Post(icon, OwnIconMessage, 0, event));
        EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(settings); }, 5000)) << event;
        ASSERT_NO_FATAL_FAILURE(CloseWithCloseBox(settings));
    }

    ASSERT_NO_FATAL_FAILURE(StartAgain());
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(settings); }, 5000)) << "the first copy's settings";
    EXPECT_TRUE(InFront(settings));

    // A menu, saved: its icon replaces the own one. A later start meanwhile finds the dialog.
    ASSERT_TRUE(ClickButton(settings, "Ad&d"));
    HWND dialog = app->WaitForWindow({"TfrmEditMenu", "New menu", true});
    ASSERT_NE(dialog, nullptr);
    ASSERT_NO_FATAL_FAILURE(StartAgain());
    EXPECT_TRUE(InFront(dialog)) << "the dialog, not the settings";
    SendMessageA(FindChild(dialog, "Edit", "New Menu"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Work"));
    ASSERT_TRUE(ClickButton(dialog, "&OK"));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(dialog); }));
    ASSERT_TRUE(ClickButton(settings, "&OK - Minimize"));
    EXPECT_TRUE(IconTipsBecome("Work"));

    // An open popup menu gives way to the settings window.
    ASSERT_TRUE(Post(app->WaitForWindow({IconClass, "Work", false}, 5000), 1027, 0, WM_RBUTTONUP));
    ASSERT_NE(app->WaitForPopup(), nullptr);
    ASSERT_NO_FATAL_FAILURE(StartAgain(false));
    EXPECT_TRUE(app->WaitForPopupGone());
    ASSERT_NE(app->WaitForSettings(), nullptr);
    EXPECT_TRUE(IconTipsBecome("Marigoldwick")) << "while the settings window is open";

    // The last menu removed (OK asks for one menu at least; the close box keeps the change
    // until the next start): the own icon is back.
    HWND menus = FindWindowExW(settings, nullptr, L"SysListView32", nullptr);
    if (menus == SettingsItemList(settings)) menus = FindWindowExW(settings, menus, L"SysListView32", nullptr);
    ASSERT_TRUE(Post(menus, WM_KEYDOWN, VK_HOME, 1) && Post(menus, WM_KEYDOWN, VK_SPACE, 1));
    ASSERT_TRUE(WaitUntil([&] { return SendMessageA(menus, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED) == 0; }));
    ASSERT_TRUE(ClickButton(settings, "R&emove"));
    ASSERT_NO_FATAL_FAILURE(CloseWithCloseBox(settings));
    EXPECT_TRUE(IconTipsBecome("Marigoldwick"));

    // Its popup quits, asking first about the removal that was never saved.
    icon = app->WaitForWindow({IconClass, "Marigoldwick", false}, 5000);
    ASSERT_TRUE(SetCursorPos(300, 200) && Post(icon, OwnIconMessage, 0, WM_RBUTTONUP));
    ASSERT_NE(app->WaitForPopup(), nullptr);
    PressKeys({'Q'});
    std::optional<MessageBoxInfo> question = app->WaitForMessageBox();
    ASSERT_TRUE(question && AnswerMessageBox(question->hwnd, IDNO));
    EXPECT_EQ(app->WaitForExit(), 0u);
    EXPECT_NE(sandbox->ReadIni().value_or("").find("MenuName=Work"), std::string::npos) << "kept as saved";
}

}  // namespace
