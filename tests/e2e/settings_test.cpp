// The settings window of the real program, used as a first-time user does: the welcome
// leads in, a menu and an item are made by typing, OK saves them and the tray shows them.
#include "app_test.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <string>

namespace {

void Type(HWND edit, const char* text)
{
    ASSERT_NE(edit, nullptr);
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

class SettingsE2e : public AppTest {
protected:
    // "Ad&d", the properties dialog with its name typed, OK; the new menu is selected.
    void AddMenu(HWND settings, const char* name)
    {
        ASSERT_TRUE(ClickButton(settings, "Ad&d"));
        HWND dialog = app->WaitForWindow({"TfrmEditMenu", "New menu", true});
        ASSERT_NE(dialog, nullptr);
        Type(FindChild(dialog, "Edit", "New Menu"), name);
        ASSERT_TRUE(ClickButton(dialog, "&OK"));
        ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(dialog); }));
    }
};

TEST_F(SettingsE2e, FirstRunMakesAMenuWithAnItemThatOkSavesAndTheTrayShows)
{
    Launch(std::nullopt);
    std::optional<MessageBoxInfo> welcome = app->WaitForMessageBox();
    ASSERT_TRUE(welcome);
    ASSERT_TRUE(AnswerMessageBox(welcome->hwnd, IDOK));
    HWND settings = app->WaitForSettings();
    ASSERT_NE(settings, nullptr);

    AddMenu(settings, "Work");
    // The item mask: "Item:" and "Description:" lie in the Items group's panel.
    Type(EditAt(settings, {7 + 184 + 80, 128 + 32 + 12}), "C:\\windows\\notepad.exe");
    Type(EditAt(settings, {7 + 184 + 80, 128 + 32 + 207}), "Editor");
    ASSERT_TRUE(ClickButton(settings, "&Add"));
    ASSERT_TRUE(ClickButton(settings, "&OK - Minimize"));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(settings); }));
    EXPECT_TRUE(app->NoMessageBoxFor(200));

    std::optional<std::string> saved = sandbox->ReadIni();
    ASSERT_TRUE(saved);
    for (const char* line : {"MenuCount=1", "MenuName=Work", "ItemCount=1", "[M0I1]", "Pfad=C:\\windows\\notepad.exe",
                             "Description=Editor", "IconNum=-99"})
        EXPECT_NE(saved->find(line), std::string::npos) << line << " in\n" << *saved;
    EXPECT_NE(app->WaitForWindow({"MarigoldwickTrayIcon", "Work", false}, 5000), nullptr) << "the tray shows the menu";
    ASSERT_TRUE(Post(main, WM_CLOSE));
    EXPECT_EQ(app->WaitForExit(), 0u);
}

TEST_F(SettingsE2e, QuitAfterEditsAndNoEndsTheProgramAndTheFileStaysAsItWas)
{
    std::string ini = Ini({"[GLOBAL]", "SelfAutostart=0", "AskBeforeQuit=0", "MenuCount=1", "[M0]",
                           "MenuName=Tools", "ItemCount=0"});
    Launch(ini);
    ASSERT_TRUE(ChooseMenuCommand(main, 0, 1900));
    HWND settings = app->WaitForSettings();
    ASSERT_NE(settings, nullptr);
    AddMenu(settings, "Unsaved");
    ASSERT_TRUE(ClickButton(settings, "&Quit"));
    // The edits are offered for saving; No drops them.
    std::optional<MessageBoxInfo> question = app->WaitForMessageBox();
    ASSERT_TRUE(question);
    ASSERT_TRUE(AnswerMessageBox(question->hwnd, IDNO));
    EXPECT_EQ(app->WaitForExit(), 0u);
    EXPECT_EQ(sandbox->ReadIni(), ini);
}

TEST_F(SettingsE2e, OpensOnTheMenuUsedLastWhereClearTypingAndThePickerActAsAUserExpects)
{
    Launch(Ini({"[GLOBAL]", "SelfAutostart=0", "AskBeforeQuit=0", "MenuCount=2", "[M0]", "MenuName=Tools",
                "ItemCount=1", "[M0I1]", "Pfad=C:\\windows\\notepad.exe", "[M1]", "MenuName=Games", "ItemCount=2",
                "[M1I1]", "Pfad=C:\\windows\\regedit.exe", "Startmode=3", "[M1I2]", "Pfad=C:\\windows\\notepad.exe"}));
    // "Settings..." chosen in the second menu's popup: that menu is selected, its items listed.
    ASSERT_TRUE(ChooseMenuCommand(main, 1, 1900));
    HWND settings = app->WaitForSettings();
    ASSERT_NE(settings, nullptr);
    HWND menus = ChildAt(settings, {7 + 8 + 20, 8 + 16 + 10}, "SysListView32"), items = SettingsItemList(settings);
    HWND startMode = ChildAt(settings, {7 + 184 + 72 + 10, 128 + 32 + 104 + 5}, "ComboBox");
    HWND preview = ChildAt(settings, {7 + 184 + 219 + 25, 128 + 32 + 135 + 25}, "Static");
    HWND useDefault = FindChild(settings, "Button", "Use default Icon");
    HWND browse = ChildAt(settings, {7 + 184 + 288 + 5, 128 + 32 + 50 + 5}, "Button");
    ASSERT_TRUE(menus && items && startMode && preview && useDefault && browse);
    EXPECT_EQ(SendMessageA(menus, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 1);
    EXPECT_EQ(SendMessageA(items, LVM_GETITEMCOUNT, 0, 0), 2);

    // An item shown, then "Clear": a new item starts normally.
    ASSERT_TRUE(Post(items, WM_KEYDOWN, VK_HOME, 0));
    EXPECT_TRUE(WaitUntil([&] { return SendMessageA(startMode, CB_GETCURSEL, 0, 0) == 2; })) << "Maximized";
    ASSERT_TRUE(ClickButton(settings, "&Clear"));
    EXPECT_TRUE(WaitUntil([&] { return SendMessageA(items, LVM_GETSELECTEDCOUNT, 0, 0) == 0; }));
    EXPECT_EQ(SendMessageA(startMode, CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(WindowText(startMode), "Normal");

    // A typed path: the preview follows once typing pauses, not at each key.
    auto shown = [&] { return SendMessageA(preview, STM_GETICON, 0, 0); };
    ASSERT_TRUE(WaitUntil([&] { return shown() != 0; }));
    const LRESULT placeholder = shown();
    Type(EditAt(settings, {7 + 184 + 80, 128 + 32 + 12}), "C:\\windows\\notepad.exe");
    EXPECT_EQ(shown(), placeholder) << "the preview waits for a pause";
    EXPECT_TRUE(WaitUntil([&] { return shown() != placeholder; }, 3000));

    // The picker on the program's own file offers its icons, not its entry pictures.
    SendMessageA(useDefault, BM_CLICK, 0, 0);
    ASSERT_EQ(SendMessageA(useDefault, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    Type(EditAt(settings, {7 + 184 + 80, 128 + 32 + 54}), sandbox->ExePath().c_str());
    ASSERT_TRUE(
        Post(settings, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(browse), BN_CLICKED), reinterpret_cast<LPARAM>(browse)));
    // Windows shows its own picker; Wine's does nothing, so the program shows its own.
    HWND picker = app->WaitForWindow({"TfrmIconPick", "Change Icon", true}, 3000);
    if (GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version")) ASSERT_NE(picker, nullptr);
    if (picker) {
        const LRESULT icons = ExtractIconExA(sandbox->ExePath().c_str(), -1, nullptr, nullptr, 0);
        HWND list = FindWindowExA(picker, nullptr, "SysListView32", nullptr);
        EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), icons - 2) << "without the two entry pictures";
        ASSERT_TRUE(ClickButton(picker, "&Cancel") && WaitUntil([&] { return !IsWindowVisible(picker); }));
    }

    // Left on the second menu, opened again from the first one's popup: the popup wins.
    ASSERT_TRUE(Post(settings, WM_CLOSE));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(settings); }));
    ASSERT_TRUE(ChooseMenuCommand(main, 0, 1900));
    ASSERT_EQ(app->WaitForSettings(), settings);
    EXPECT_EQ(SendMessageA(menus, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 0);
    EXPECT_EQ(SendMessageA(items, LVM_GETITEMCOUNT, 0, 0), 1);
    ASSERT_TRUE(Post(main, WM_CLOSE));
    EXPECT_EQ(app->WaitForExit(), 0u);
}

// Entries of that icon view that fit in its client area, from its spacing.
int IconsThatFit(HWND list)
{
    RECT client{};
    GetClientRect(list, &client);
    auto spacing = static_cast<DWORD>(SendMessageA(list, LVM_GETITEMSPACING, FALSE, 0));
    int cx = LOWORD(spacing), cy = HIWORD(spacing);
    return cx > 0 && cy > 0 ? (client.right / cx) * (client.bottom / cy) : 0;
}

RECT PlaceOf(HWND control)
{
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

TEST_F(SettingsE2e, ResizedFromOutsideTheListsGrowTheItemListShowsMoreAndThePlaceIsKeptForTheRun)
{
    std::string ini = Ini({"[GLOBAL]", "SelfAutostart=0", "AskBeforeQuit=0", "MenuCount=1", "[M0]", "MenuName=Many",
                           "ItemCount=30"});
    for (int i = 1; i <= 30; ++i)
        ini += Ini({"[M0I" + std::to_string(i) + "]", "Pfad=C:\\windows\\notepad.exe",
                    "Description=Entry " + std::to_string(i)});
    Launch(ini);
    ASSERT_TRUE(ChooseMenuCommand(main, 0, 1900));
    HWND settings = app->WaitForSettings();
    ASSERT_NE(settings, nullptr);
    HWND list = ChildAt(settings, {7 + 8 + 20, 128 + 33 + 20}, "SysListView32");
    HWND edit = EditAt(settings, {7 + 184 + 80, 128 + 32 + 12});
    ASSERT_TRUE(list && edit);
    ASSERT_TRUE(Post(ChildAt(settings, {7 + 8 + 20, 8 + 16 + 10}, "SysListView32"), WM_KEYDOWN, VK_HOME, 1));
    ASSERT_TRUE(WaitUntil([&] { return SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == 30; }));
    RECT listBefore = PlaceOf(list), editBefore = PlaceOf(edit), window{};
    int fitBefore = IconsThatFit(list);
    GetWindowRect(settings, &window);

    ASSERT_TRUE(SetWindowPos(settings, nullptr, 0, 0, window.right - window.left + 240,
                             window.bottom - window.top + 200, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE));
    RECT listAfter = PlaceOf(list), editAfter = PlaceOf(edit);
    EXPECT_EQ(listAfter.right - listAfter.left, listBefore.right - listBefore.left + 240);
    EXPECT_EQ(listAfter.bottom - listAfter.top, listBefore.bottom - listBefore.top + 150);
    EXPECT_TRUE(editAfter.left == editBefore.left + 240 && editAfter.right == editBefore.right + 240);
    EXPECT_GE(IconsThatFit(list), 2 * fitBefore);
    EXPECT_EQ(OverlappingChildren(settings), (std::vector<std::pair<int, int>>{}));

    ASSERT_TRUE(Post(settings, WM_SYSCOMMAND, SC_MAXIMIZE));
    EXPECT_TRUE(WaitUntil([&] { return IsZoomed(settings) && PlaceOf(list).bottom > listAfter.bottom; }));
    SendMessageA(settings, WM_NULL, 0, 0);  // its thread is done laying out
    EXPECT_GT(PlaceOf(list).bottom, listAfter.bottom);
    EXPECT_EQ(OverlappingChildren(settings), (std::vector<std::pair<int, int>>{}));
    ASSERT_TRUE(Post(settings, WM_SYSCOMMAND, SC_RESTORE));
    ASSERT_TRUE(WaitUntil([&] { return IsZoomed(settings) == FALSE; }));

    // Closed and opened again it comes back where and as large as it was.
    GetWindowRect(settings, &window);
    ASSERT_TRUE(Post(settings, WM_CLOSE));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(settings); }));
    ASSERT_TRUE(ChooseMenuCommand(main, 0, 1900));
    ASSERT_EQ(app->WaitForSettings(), settings);
    RECT again{};
    GetWindowRect(settings, &again);
    EXPECT_TRUE(EqualRect(&window, &again));
    ASSERT_TRUE(Post(main, WM_CLOSE));
    EXPECT_EQ(app->WaitForExit(), 0u);
}

}  // namespace
