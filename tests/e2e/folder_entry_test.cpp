// A folder as an entry of the real program: typed into the item mask, added, saved, and
// opened from the popup with the keyboard.
#include "app_test.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

namespace {

struct CaptionSearch {
    std::string part;
    HWND found = nullptr;
};

BOOL CALLBACK FindCaption(HWND window, LPARAM context)
{
    auto& search = *reinterpret_cast<CaptionSearch*>(context);
    if (IsWindowVisible(window) && WindowText(window).find(search.part) != std::string::npos) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

// A visible top-level window of any program whose caption holds `part`.
HWND WindowNaming(const std::string& part)
{
    CaptionSearch search{part};
    EnumWindows(FindCaption, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

using FolderEntryE2e = AppTest;

TEST_F(FolderEntryE2e, ATypedFolderIsAddedSavedAndOpensFromThePopup)
{
    std::string folder = sandbox->Folder().File("Folder Entry 4711");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    Launch(Ini({"[GLOBAL]", "SelfAutostart=0", "AskBeforeQuit=0", "MenuCount=1", "[M0]", "MenuName=Places",
                "LCB=1", "ItemCount=0"}));
    ASSERT_TRUE(ChooseMenuCommand(main, 0, 1900));
    HWND settings = app->WaitForSettings();
    ASSERT_NE(settings, nullptr);
    HWND items = ChildAt(settings, {7 + 8 + 20, 128 + 33 + 20}, "SysListView32");
    ASSERT_NE(items, nullptr);
    ASSERT_TRUE(Post(ChildAt(settings, {7 + 8 + 20, 8 + 16 + 10}, "SysListView32"), WM_KEYDOWN, VK_HOME, 1));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(FindChild(settings, "Button", "&Add")) != FALSE; }));

    SendMessageA(EditAt(settings, {7 + 184 + 80, 128 + 32 + 12}), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(folder.c_str()));
    SendMessageA(EditAt(settings, {7 + 184 + 80, 128 + 32 + 207}), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>("Documents"));
    ASSERT_TRUE(ClickButton(settings, "&Add"));
    EXPECT_TRUE(WaitUntil([&] { return SendMessageA(items, LVM_GETITEMCOUNT, 0, 0) == 1; }))
        << "refused with: " << (app->CurrentMessageBox() ? app->CurrentMessageBox()->text : "no box");
    ASSERT_TRUE(app->NoMessageBoxFor(300));
    ASSERT_TRUE(ClickButton(settings, "&OK - Minimize"));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(settings); }));
    std::optional<std::string> saved = sandbox->ReadIni();
    ASSERT_TRUE(saved);
    EXPECT_NE(saved->find("Pfad=" + folder + "\r\n"), std::string::npos) << *saved;

    HWND icon = app->WaitForWindow({"MarigoldwickTrayIcon", "Places", false}, 5000);
    ASSERT_NE(icon, nullptr);
    ASSERT_TRUE(Post(icon, 1027, 0, WM_RBUTTONUP));
    ASSERT_NE(app->WaitForPopup(), nullptr);
    PressKeys({VK_DOWN});
    PressKeys({VK_RETURN});
    EXPECT_TRUE(app->WaitForPopupGone());
    // The file manager shows the folder by its name.
    HWND shown = nullptr;
    EXPECT_TRUE(WaitUntil([&] { return (shown = WindowNaming("Folder Entry 4711")) != nullptr; }, 15000));
    EXPECT_TRUE(app->NoMessageBoxFor(500)) << app->CurrentMessageBox()->text;
    EXPECT_TRUE(app->IsRunning());
    if (shown) PostMessageA(shown, WM_CLOSE, 0, 0);
}

}  // namespace
