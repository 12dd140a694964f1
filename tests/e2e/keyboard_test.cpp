// The settings window without a mouse: keys typed through SendInput from this process, the
// focus and the lists' selection read from outside, the saved file read back.
#include "app_test.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class KeyboardE2e : public AppTest {
protected:
    HWND Focus() const
    {
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        return GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info) ? info.hwndFocus : nullptr;
    }
    bool FocusBecomes(HWND control) const { return WaitUntil([&] { return Focus() == control; }, 3000); }
    // Tab (Shift+Tab backwards) until the control has the focus; the captions of the buttons
    // passed on the way.
    std::vector<std::string> TabTo(HWND control, bool backwards = false) const
    {
        std::vector<std::string> passed;
        for (int presses = 0; presses < 30 && Focus() != control; ++presses) {
            HWND before = Focus();
            if (backwards) PressKeys({VK_SHIFT, VK_TAB});
            else PressKeys({VK_TAB});
            WaitUntil([&] { return Focus() != before; }, 1000);
            if (WindowClass(Focus()) == "Button") passed.push_back(WindowText(Focus()));
        }
        return passed;
    }
    static void TypeText(const std::wstring& text)
    {
        std::vector<INPUT> inputs;
        for (wchar_t c : text)
            for (DWORD up : {DWORD{0}, DWORD{KEYEVENTF_KEYUP}}) {
                INPUT in{};
                in.type = INPUT_KEYBOARD;
                in.ki.wScan = c;
                in.ki.dwFlags = KEYEVENTF_UNICODE | up;
                inputs.push_back(in);
            }
        SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    }
    static int Selected(HWND list)
    {
        return static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    }
};

TEST_F(KeyboardE2e, TabEnterEscAndCtrlArrowsAloneAddMoveAndSaveAnEntry)
{
    const std::string ini = Ini({"[GLOBAL]", "SelfAutostart=0", "AskBeforeQuit=0", "MenuCount=2", "[M0]",
                                 "MenuName=Keys", "ItemCount=2", "[M0I1]", "Pfad=C:\\windows\\notepad.exe",
                                 "Description=First", "[M0I2]", "Pfad=C:\\windows\\regedit.exe", "Description=Second",
                                 "[M1]", "MenuName=Other", "ItemCount=0"});
    Launch(ini);
    ASSERT_TRUE(ChooseMenuCommand(main, 0, 1900));
    HWND settings = app->WaitForSettings();
    ASSERT_NE(settings, nullptr);
    HWND menus = ChildAt(settings, {7 + 8 + 20, 8 + 16 + 10}, "SysListView32"), items = SettingsItemList(settings);
    HWND path = EditAt(settings, {7 + 184 + 80, 128 + 32 + 12});
    HWND description = EditAt(settings, {7 + 184 + 80, 128 + 32 + 193});
    ASSERT_TRUE(menus && items && path && description);
    ASSERT_TRUE(FocusBecomes(items)) << "the window opens with the focus in the item list";

    // The list's own buttons come first, then the mask; every control on the way is reachable.
    EXPECT_EQ(TabTo(path), (std::vector<std::string>{"Move &Up", "Move D&n", "&Insert Separator"}));
    ASSERT_EQ(Focus(), path);
    TypeText(L"C:\\windows\\notepad.exe");
    TabTo(description);
    ASSERT_EQ(Focus(), description);
    TypeText(L"Typed");
    std::vector<std::string> toAdd = TabTo(FindChild(settings, "Button", "&Add"));
    EXPECT_EQ(toAdd.front(), "...") << "the mask reads top down";
    ASSERT_GE(toAdd.size(), 2u);
    EXPECT_EQ(toAdd[toAdd.size() - 2], "...") << "the working folder's browse button is the mask's last";
    PressKeys({VK_RETURN});
    ASSERT_TRUE(WaitUntil([&] { return Selected(items) == 2; })) << "Enter pressed the focused Add";
    EXPECT_TRUE(FocusBecomes(items));

    PressKeys({VK_CONTROL, VK_UP});
    EXPECT_TRUE(WaitUntil([&] { return Selected(items) == 1; }));
    PressKeys({VK_CONTROL, VK_UP});
    EXPECT_TRUE(WaitUntil([&] { return Selected(items) == 0; }));
    PressKeys({VK_CONTROL, VK_UP});
    Sleep(200);
    EXPECT_EQ(Selected(items), 0) << "the first stays first";
    EXPECT_EQ(Focus(), items);

    TabTo(menus, true);
    ASSERT_EQ(Focus(), menus);
    PressKeys({VK_CONTROL, VK_RIGHT});
    EXPECT_TRUE(WaitUntil([&] { return Selected(menus) == 1; }));
    EXPECT_TRUE(FocusBecomes(menus));
    PressKeys({VK_CONTROL, VK_LEFT});
    EXPECT_TRUE(WaitUntil([&] { return Selected(menus) == 0; }));
    PressKeys({VK_CONTROL, VK_DOWN});
    EXPECT_TRUE(WaitUntil([&] { return Selected(menus) == 1; }));

    // Esc in a dialog cancels it; Enter in the window is OK, which saves.
    TabTo(FindChild(settings, "Button", "Option&s"));
    PressKeys({VK_RETURN});
    HWND options = app->WaitForWindow({"TfrmOptions", "Options", true}, 5000);
    ASSERT_NE(options, nullptr);
    PressKeys({VK_ESCAPE});
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(options); }));
    PressKeys({VK_RETURN});
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(settings); }));
    std::optional<std::string> saved = sandbox->ReadIni();
    ASSERT_TRUE(saved);
    EXPECT_NE(saved->find("[M0]\r\nMenuName=Other\r\nItemCount=0"), std::string::npos) << "the menus changed places";
    EXPECT_NE(saved->find("[M1]\r\nMenuName=Keys\r\nItemCount=3"), std::string::npos);
    auto section = [&](const std::string& name) {
        size_t at = saved->find("[" + name + "]\r\n");
        return at == std::string::npos ? std::string() : saved->substr(at, saved->find("\r\n[", at) - at);
    };
    const char* entries[][3] = {{"M1I1", "notepad", "Typed"}, {"M1I2", "notepad", "First"}, {"M1I3", "regedit", "Second"}};
    for (const auto& e : entries) {
        const std::string text = section(e[0]);
        EXPECT_NE(text.find(std::string("Pfad=C:\\windows\\") + e[1] + ".exe\r\n"), std::string::npos) << text;
        EXPECT_NE(text.find(std::string("Description=") + e[2] + "\r\n"), std::string::npos) << text;
    }

    // Esc in the window is its close box: the file stays as it is.
    ASSERT_TRUE(ChooseMenuCommand(main, 1, 1900));
    ASSERT_EQ(app->WaitForSettings(), settings);
    ASSERT_TRUE(FocusBecomes(items));
    PressKeys({VK_HOME});
    ASSERT_TRUE(WaitUntil([&] { return Selected(items) == 0; }));
    PressKeys({VK_CONTROL, VK_DOWN});
    EXPECT_TRUE(WaitUntil([&] { return Selected(items) == 1; }));
    PressKeys({VK_ESCAPE});
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(settings); }));
    EXPECT_TRUE(app->NoMessageBoxFor(200));
    EXPECT_EQ(sandbox->ReadIni(), saved);
}

}  // namespace
