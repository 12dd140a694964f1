// The real mgoldwk.exe's notification icons, popup menus and hotkeys from outside: its
// icon windows found, the shell's mouse notifications posted to them, keys typed.
#include "app_test.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr char IconClass[] = "MarigoldwickTrayIcon";
constexpr UINT CtrlAltF11 = 0x4000 | 0x8000 | VK_F11;
constexpr UINT CtrlAltF12 = 0x4000 | 0x8000 | VK_F12;

class TrayE2e : public AppTest {
protected:

    // The icon windows' captions are the icons' tips.
    std::vector<std::string> IconTips() const
    {
        std::vector<std::string> tips;
        for (HWND hwnd : app->TopWindows())
            if (WindowClass(hwnd) == IconClass) tips.push_back(WindowText(hwnd));
        std::sort(tips.begin(), tips.end());
        return tips;
    }
    // Start-up may still be adding icons when the main window shows up.
    HWND IconWindow(std::string_view tip) const { return app->WaitForWindow({IconClass, tip, false}, 5000); }
    bool IconTipsBecome(const std::vector<std::string>& tips) const
    {
        return WaitUntil([&] { return IconTips() == tips; }, 5000);
    }
    HWND Popup() const { return app->Popup(); }
    HWND WaitForPopup() const { return app->WaitForPopup(); }
    bool PopupGone() const { return app->WaitForPopupGone(); }
    bool RecordHas(size_t times) const
    {
        return WaitUntil([&] {
            std::optional<std::string> text = sandbox->Folder().Read("record.txt");
            return text && Count(*text, "x") == times;
        });
    }
    // An entry whose start appends an "x" to record.txt in the sandbox.
    std::string RecorderEntry() const
    {
        return "[M0I1]\r\nPfad=C:\\windows\\system32\\cmd.exe\r\nParameters=/c echo x>>\"" +
               sandbox->Folder().File("record.txt") + "\"\r\nDescription=Recorder\r\nStartmode=0\r\n";
    }

};

// ---- which icons exist ----

using TrayIcons = TrayE2e;

TEST_F(TrayIcons, OneIconWindowPerMenuAndOneForTheToolsWhenSwitchedOn)
{
    Launch(Ini({"[GLOBAL]", "SelfAutostart=0", "AskBeforeQuit=0", "UseToolsMenu=1", "MenuCount=2", "[M0]",
                "MenuName=First", "ItemCount=0", "[M1]", "MenuName=Second", "ItemCount=0"}));
    EXPECT_TRUE(IconTipsBecome({"First", "Marigoldwick Tools", "Second"}));
    Sleep(200);
    EXPECT_EQ(IconTips(), (std::vector<std::string>{"First", "Marigoldwick Tools", "Second"}));
    for (HWND hwnd : app->TopWindows())
        if (WindowClass(hwnd) == IconClass) {
            EXPECT_FALSE(IsWindowVisible(hwnd));
        }
    ASSERT_TRUE(Post(main, WM_CLOSE));
    EXPECT_EQ(app->WaitForExit(), 0u);

    Launch(Ini({"[GLOBAL]", "SelfAutostart=0", "AskBeforeQuit=0", "UseToolsMenu=0", "MenuCount=2", "[M0]",
                "MenuName=First", "ItemCount=0", "[M1]", "MenuName=Second", "ItemCount=0"}));
    EXPECT_TRUE(IconTipsBecome({"First", "Second"}));
    Sleep(200);
    EXPECT_EQ(IconTips(), (std::vector<std::string>{"First", "Second"}));
}

TEST_F(TrayIcons, WithoutAMenuOnlyTheProgramsOwnIconNotTheTools)
{
    Launch(Ini({"[GLOBAL]", "SelfAutostart=0", "UseToolsMenu=1", "MenuCount=0"}));
    std::optional<MessageBoxInfo> welcome = app->WaitForMessageBox();
    ASSERT_TRUE(welcome);
    EXPECT_EQ(IconTips(), std::vector<std::string>{"Marigoldwick"});
    ASSERT_TRUE(AnswerMessageBox(welcome->hwnd, IDOK));
    HWND settings = app->WaitForSettings();
    ASSERT_NE(settings, nullptr);
    ASSERT_TRUE(Post(settings, WM_SYSCOMMAND, SC_CLOSE));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(settings); }));
    EXPECT_TRUE(IconTipsBecome({"Marigoldwick"})) << "the rebuild after the settings adds no other";
}

TEST_F(TrayIcons, TheSettingsTakeIconsAndHotkeysAwayUntilTheyClose)
{
    Launch(Ini({"[GLOBAL]", "SelfAutostart=0", "AskBeforeQuit=0", "MenuCount=1", "[M0]", "MenuName=Cycle",
                "Hotkey=" + std::to_string(CtrlAltF12), "ItemCount=0"}));
    ASSERT_TRUE(IconTipsBecome({"Cycle"}));
    UniqueWindow holder(CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr));
    EXPECT_FALSE(RegisterHotKey(holder.get(), 1, MOD_CONTROL | MOD_ALT, VK_F12)) << "the program holds it";

    ASSERT_TRUE(ChooseMenuCommand(main, 0, 1900));
    HWND settings = app->WaitForSettings();
    ASSERT_NE(settings, nullptr);
    EXPECT_TRUE(IconTipsBecome({"Marigoldwick"})) << "only the program's own icon";
    ASSERT_TRUE(RegisterHotKey(holder.get(), 1, MOD_CONTROL | MOD_ALT, VK_F12)) << "free while the settings are open";
    ASSERT_TRUE(UnregisterHotKey(holder.get(), 1));

    ASSERT_TRUE(Post(settings, WM_SYSCOMMAND, SC_CLOSE));
    EXPECT_TRUE(IconTipsBecome({"Cycle"}));
    EXPECT_TRUE(app->NoMessageBoxFor(200));
    EXPECT_FALSE(RegisterHotKey(holder.get(), 1, MOD_CONTROL | MOD_ALT, VK_F12)) << "registered again";
}

// ---- clicks ----

using TrayPopup = TrayE2e;

TEST_F(TrayPopup, ARightClickPopsUpTheMenuEvenWhenALeftClickDoesNothing)
{
    Launch(Ini({"[GLOBAL]", "SelfAutostart=0", "SingleLeftClick=1", "MenuCount=1", "[M0]", "MenuName=Quiet",
                "LCB=1", "ItemCount=0"}));
    HWND icon = IconWindow("Quiet");
    ASSERT_NE(icon, nullptr);
    ASSERT_TRUE(Post(icon, 1027, 0, WM_LBUTTONUP));
    Sleep(300);
    EXPECT_EQ(Popup(), nullptr) << "left-click behaviour 1 does nothing";

    ASSERT_TRUE(SetCursorPos(300, 200));
    ASSERT_TRUE(Post(icon, 1027, 0, WM_RBUTTONUP));
    HWND popup = WaitForPopup();
    ASSERT_NE(popup, nullptr);
    RECT rect{};
    GetWindowRect(popup, &rect);
    EXPECT_EQ(rect.left, 300) << "the popup opens at the cursor";
    EXPECT_EQ(rect.top, 200);

    ASSERT_TRUE(Post(main, WM_CANCELMODE));
    EXPECT_TRUE(PopupGone());
    EXPECT_TRUE(app->IsRunning());
    EXPECT_TRUE(app->NoMessageBoxFor(200));
}

TEST_F(TrayPopup, LeftClickBehaviourThreeStartsTheFirstEntry)
{
    Launch(Ini({"[GLOBAL]", "SelfAutostart=0", "SingleLeftClick=1", "MenuCount=1", "[M0]", "MenuName=Starter",
                "LCB=3", "ItemCount=1"}) +
           RecorderEntry());
    HWND icon = IconWindow("Starter");
    ASSERT_NE(icon, nullptr);
    ASSERT_TRUE(Post(icon, 1027, 0, WM_LBUTTONUP));
    EXPECT_TRUE(RecordHas(1));
    EXPECT_EQ(Popup(), nullptr);
    EXPECT_TRUE(app->NoMessageBoxFor(200));
}

TEST_F(TrayPopup, AnEntryChosenWithTheKeyboardStarts)
{
    Launch(Ini({"[GLOBAL]", "SelfAutostart=0", "MenuCount=1", "[M0]", "MenuName=Keys", "LCB=1", "ItemCount=1"}) +
           RecorderEntry());
    ASSERT_TRUE(Post(IconWindow("Keys"), 1027, 0, WM_RBUTTONUP));
    ASSERT_NE(WaitForPopup(), nullptr);
    PressKeys({VK_DOWN});
    PressKeys({VK_RETURN});
    EXPECT_TRUE(RecordHas(1));
    EXPECT_TRUE(PopupGone());
}

TEST_F(TrayPopup, QuittingWhileThePopupIsOpenEndsTheProgram)
{
    Launch(Ini({"[GLOBAL]", "SelfAutostart=0", "MenuCount=1", "[M0]", "MenuName=Open", "ItemCount=0"}));
    ASSERT_TRUE(Post(IconWindow("Open"), 1027, 0, WM_RBUTTONUP));
    ASSERT_NE(WaitForPopup(), nullptr);
    ASSERT_TRUE(Post(main, WM_CLOSE));
    EXPECT_EQ(app->WaitForExit(), 0u);
}

// ---- hotkeys ----

using TrayHotkey = TrayE2e;

TEST_F(TrayHotkey, TheHotkeyPopsUpItsMenu)
{
    Launch(Ini({"[GLOBAL]", "SelfAutostart=0", "MenuCount=1", "[M0]", "MenuName=Keyed",
                "Hotkey=" + std::to_string(CtrlAltF12), "ItemCount=0"}));
    EXPECT_TRUE(app->NoMessageBoxFor(200));
    PressKeys({VK_CONTROL, VK_MENU, VK_F12});
    EXPECT_NE(WaitForPopup(), nullptr);
}

TEST_F(TrayHotkey, AHotkeyTakenByAnotherProgramNamesTheMenuAndTheIconStillWorks)
{
    UniqueWindow holder(CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(RegisterHotKey(holder.get(), 7, MOD_CONTROL | MOD_ALT, VK_F11));
    ScopeGuard release([&] { UnregisterHotKey(holder.get(), 7); });

    Launch(Ini({"[GLOBAL]", "SelfAutostart=0", "MenuCount=1", "[M0]", "MenuName=Clash",
                "Hotkey=" + std::to_string(CtrlAltF11), "ItemCount=0"}));
    std::optional<MessageBoxInfo> error = app->WaitForMessageBox();
    ASSERT_TRUE(error);
    EXPECT_EQ(error->caption, "Marigoldwick");
    EXPECT_EQ(error->text, "Unable to register hotkey for 'Clash'.\rMaybe it's already used by another application.");
    ASSERT_TRUE(AnswerMessageBox(error->hwnd, IDOK));
    ASSERT_TRUE(app->WaitForMessageBoxGone(error->hwnd));

    HWND icon = IconWindow("Clash");
    ASSERT_NE(icon, nullptr);
    ASSERT_TRUE(Post(icon, 1027, 0, WM_RBUTTONUP));
    EXPECT_NE(WaitForPopup(), nullptr);
}

}  // namespace
