// The options dialog in-process: the real window, driven as a user would while it runs
// modally, with Konfig checked afterwards.
#include "config/model.h"
#include "config/theme_win.h"
#include "menu_pictures.h"
#include "settings/hotkey_value.h"
#include "settings/options_win.h"
#include "settings/quick_folder_win.h"
#include "fake_messages.h"
#include "win/dpi.h"
#include "form_driver.h"
#include "while_shown.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

class OptionsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Konfig = {};
        Konfig.IconSize = 16;
        Konfig.ToolsMenuCfg = 16777215;
        form = TfrmOptions::Create(nullptr);
        ASSERT_TRUE(form);
        ui.emplace(*form);
    }
    void TearDown() override
    {
        Konfig = {};
        static_cast<void>(RefreshTheme());
    }

    ModalResult Run(std::function<void()> user, const char* button = "BtnOK")
    {
        WhileShown([=, this] {
            user();
            if (button) ui->QueueClick(button);
        });
        return form->Execute(nullptr);
    }

    std::unique_ptr<TfrmOptions> form;
    std::optional<FormDriver> ui;
};

TEST_F(OptionsTest, LayoutFollowsTheTable)
{
    // Wider only where a caption needs more room in the system's message font.
    EXPECT_GE(ui->ClientSize().cx, 315);
    EXPECT_EQ(ui->ClientSize().cy, 423);
    EXPECT_EQ(ui->Place("CheckAutorun").left, 17);
    EXPECT_EQ(form->Text(OptionsControl::CheckWrapMenu), "Wrap menus");
    EXPECT_EQ(ui->Place("BtnOK").top, 396);
    EXPECT_LT(ui->Place("RadioThemeDark").bottom, ui->Place("BtnOK").top);
    EXPECT_GE(ui->Place("BtnCancel").left, 240);
    // The page's controls sit on the page, below its tab and inside the page control.
    RECT page = ui->Place("PageControlExtraMenus"), list = ui->Place("ToolsCbList");
    EXPECT_EQ(list.left, ui->Place("TabSheet1").left + 72);
    EXPECT_GT(list.top, page.top + 15);
    EXPECT_LE(ui->Place("BtnToolsSelectNone").right, page.right);
    EXPECT_EQ(ui->Cell("ToolsCbList", 4), "Screensaver");
}

// Moved to a screen of 150 or 200 % scaling and back, the tools list's one column still
// spans the list: no second, empty column and no cut names.
TEST_F(OptionsTest, TheToolsColumnSpansTheListAtEveryDpi)
{
    HWND list = ui->Control("ToolsCbList");
    auto spans = [&] {
        RECT client{};
        GetClientRect(list, &client);
        return static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0)) - static_cast<int>(client.right);
    };
    EXPECT_EQ(spans(), 0);
    const UINT first = form->Dpi();
    for (UINT dpi : {144u, 192u, first}) {
        RECT suggested{0, 0, 800, 700};
        SendMessageA(form->Handle(), WmDpiChanged, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        EXPECT_EQ(spans(), 0) << dpi;
    }
}

TEST_F(OptionsTest, TheEnableCheckBoxLiesOnThePageInThePagesColourBesideTheList)
{
    EXPECT_LE(ui->Place("CheckToolsMenu").right, ui->Place("ToolsCbList").left);
    WhileShown([&] {
        // The check box's blank end and the page just after it.
        HWND tabs = ui->Control("PageControlExtraMenus");
        std::unique_ptr<menu_pictures::Surface> page = menu_pictures::ScreenShot(tabs);
        RECT check = ui->Place("CheckToolsMenu"), origin = ui->Place("PageControlExtraMenus");
        OffsetRect(&check, -origin.left, -origin.top);
        int y = (check.top + check.bottom) / 2;
        EXPECT_EQ(page->At(check.right - 2, y), page->At(check.right + 1, y));
        EXPECT_EQ(page->At(check.right - 2, check.top + 1), page->At(check.right + 1, check.top + 1));
        ui->QueueClick("BtnCancel");
    });
    form->Execute(nullptr);
}

TEST_F(OptionsTest, OkWithoutChangesStores31WithOkFocused)
{
    Konfig.IconSize = 32;
    Konfig.AskBeforeQuit = true;
    HWND focus = nullptr;
    EXPECT_EQ(Run([&] {
                  focus = GetFocus();
                  for (int i = 0; i < 5; ++i) EXPECT_TRUE(form->ToolsRowChecked(i));
                  EXPECT_EQ(form->IconSizeIndex(), 1);
              }),
              ModalResult::Ok);
    EXPECT_EQ(focus, ui->Control("BtnOK"));
    EXPECT_EQ(Konfig.ToolsMenuCfg, 31);
    EXPECT_EQ(Konfig.IconSize, 32);
    EXPECT_TRUE(Konfig.AskBeforeQuit);
    EXPECT_FALSE(form->IsShown());
}

TEST_F(OptionsTest, OkStoresEveryControlAndTheListIndependentOfEnable)
{
    EXPECT_EQ(Run([&] {
                  ui->Click("BtnToolsSelectNone");
                  ui->Click("BtnToolsSelectAll");
                  EXPECT_EQ(Konfig.ToolsMenuCfg, 16777215);
                  ui->ToggleRow("ToolsCbList", 2);  // Reboot
                  ui->Click("CheckAutorun");
                  ui->Click("CheckSingleLeftClick");
                  ui->Click("CheckWrapMenu");
                  ui->Click("RadioIconSize2");
              }),
              ModalResult::Ok);
    EXPECT_EQ(Konfig.ToolsMenuCfg, 27);
    EXPECT_EQ(Konfig.IconSize, 64);
    EXPECT_TRUE(Konfig.SelfAutostart && Konfig.SingleLeftClick && Konfig.MenuBreakIfPossible);
    EXPECT_FALSE(Konfig.UseToolsMenu || Konfig.AskBeforeQuit);
}

TEST_F(OptionsTest, CancelAndEscKeepKonfigEnterPressesOkF1AsksForHelp)
{
    Konfig.AskBeforeQuit = true;
    int helpAsked = 0;
    form->OnHelp = [&] { ++helpAsked; };
    auto changeAll = [&] {
        ui->Click("BtnToolsSelectNone");
        ui->Click("CheckAutorun");
        ui->Click("CheckAskBeforeQuit");
        ui->Click("RadioIconSize2");
    };
    EXPECT_EQ(Run(changeAll, "BtnCancel"), ModalResult::Cancel);
    // Keys go to the focused OK button by name: GetFocus() is empty whenever another
    // process briefly holds the foreground, and the key would be lost.
    auto escape = [&] { changeAll(), ui->QueueKeyDown("BtnOK", VK_ESCAPE); };
    EXPECT_EQ(Run(escape, nullptr), ModalResult::Cancel);
    EXPECT_EQ(Konfig.ToolsMenuCfg, 16777215);
    EXPECT_EQ(Konfig.IconSize, 16);
    EXPECT_TRUE(!Konfig.SelfAutostart && Konfig.AskBeforeQuit);
    auto enter = [&] {
        EXPECT_TRUE(form->ToolsRowChecked(3) && form->IsChecked(OptionsControl::CheckAskBeforeQuit));
        EXPECT_EQ(form->IconSizeIndex(), 0);
        ui->QueueKeyUp("BtnOK", VK_F1);
        ui->QueueKeyDown("BtnOK", VK_RETURN);
    };
    EXPECT_EQ(Run(enter, nullptr), ModalResult::Ok);
    EXPECT_EQ(helpAsked, 1);
}

TEST_F(OptionsTest, QuickLaunchHotkeyIsShownTypedAndStoredOnlyByOk)
{
    Konfig.QuickLaunchHotkey = 'Q' + HotkeyCtrl + HotkeyAlt;
    auto retype = [&] {
        EXPECT_EQ(SendMessageA(ui->Control("QuickLaunchHotKey"), HKM_GETHOTKEY, 0, 0), 0x0651);
        ui->PressKeys("QuickLaunchHotKey", {VK_CONTROL, VK_SHIFT, VK_F5});
    };
    EXPECT_EQ(Run(retype, "BtnCancel"), ModalResult::Cancel);
    EXPECT_EQ(Konfig.QuickLaunchHotkey, 'Q' + HotkeyCtrl + HotkeyAlt);
    EXPECT_EQ(Run(retype), ModalResult::Ok);
    EXPECT_EQ(Konfig.QuickLaunchHotkey, VK_F5 + HotkeyCtrl + HotkeyShift);
    // Shift alone is dropped, as for the menus' hotkeys.
    EXPECT_EQ(Run([&] { ui->PressKeys("QuickLaunchHotKey", {VK_SHIFT, 'A'}); }), ModalResult::Ok);
    EXPECT_EQ(Konfig.QuickLaunchHotkey, 'A');
    // Its row lies between the page control and the buttons, label before control.
    RECT label = ui->Place("LabelQuickLaunch"), hotkey = ui->Place("QuickLaunchHotKey");
    EXPECT_LE(label.right, hotkey.left);
    EXPECT_GE(hotkey.top, ui->Place("PageControlExtraMenus").bottom);
    EXPECT_LE(hotkey.bottom, ui->Place("BtnOK").top);
}

TEST_F(OptionsTest, IconSizeWithoutChoiceKeepsTheRadioGroupAsItWas)
{
    Konfig.IconSize = 48;
    EXPECT_EQ(Run([&] { EXPECT_EQ(form->IconSizeIndex(), -1); }), ModalResult::Ok);
    EXPECT_EQ(Konfig.IconSize, 48);
    Konfig.IconSize = 32;
    EXPECT_EQ(Run([] {}), ModalResult::Ok);
    Konfig.IconSize = 48;
    EXPECT_EQ(Run([&] { EXPECT_EQ(form->IconSizeIndex(), 1); }), ModalResult::Ok);
    EXPECT_EQ(Konfig.IconSize, 32);
}

// The choice is shown and stored by OK. Where the system has no dark controls (Wine) the
// dark theme still colours the list and the dialog works; light again, the list is as before.
TEST_F(OptionsTest, ThemeIsShownStoredByOkAndColoursTheList)
{
    const struct {
        uint8_t theme;
        const char* shown;
        COLORREF list;
        const char* chosen;
    } cases[] = {{2, "RadioThemeDark", DarkPalette().field, "RadioThemeLight"},
                 {1, "RadioThemeLight", GetSysColor(COLOR_WINDOW), "RadioThemeSystem"}};
    for (const auto& c : cases) {
        Konfig.Theme = c.theme;
        // The dark title bar is asked for where the window manager has the call; Wine's
        // answers without one, and nothing else changes.
        EXPECT_TRUE(ApplyWindowTheme(form->Handle(), c.theme == 2).has_value()) << c.shown;
        EXPECT_EQ(Run([&] {
                      EXPECT_TRUE(ui->Checked(c.shown));
                      const auto list = SendMessageW(ui->Control("ToolsCbList"), LVM_GETBKCOLOR, 0, 0);
                      EXPECT_EQ(static_cast<COLORREF>(list), c.list) << c.shown;
                      ui->Click(c.chosen);
                  }),
                  ModalResult::Ok);
        EXPECT_EQ(Konfig.Theme, c.theme - 1);
    }
}

// The second page: the folder dialog refuses what makes no folder, Del removes, Cancel keeps
// Konfig and OK stores and says so; the history is cleared once, after a yes.
TEST_F(OptionsTest, QuickLaunchFoldersAreEditedOnTheirPageAndTheHistoryClearedAfterAYes)
{
    Konfig.QuickFolders = {{"C:\\windows", 0, "*.exe"}};
    FakeMessages messages;
    FormDriver folder(form->FolderDialog());
    form->FolderDialog().ChooseFolder = [](HWND, std::string& chosen) { return chosen = "C:\\windows\\system32", true; };
    int cleared = 0;
    ClearQuickHistory = [&] { ++cleared; };
    auto addAndDelete = [&] {
        HWND tabs = ui->Control("PageControlExtraMenus");
        RECT second{};
        SendMessageW(tabs, TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&second));
        SendMessageW(tabs, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(second.left + 5, second.top + 5));
        SendMessageW(tabs, WM_LBUTTONUP, 0, MAKELPARAM(second.left + 5, second.top + 5));
        EXPECT_TRUE(IsWindowVisible(ui->Control("QuickFoldersList")) && !IsWindowVisible(ui->Control("ToolsCbList")));
        EXPECT_EQ(ui->Cell("QuickFoldersList", 0, 2), "*.exe");
        WhileShown([&] {
            folder.Click("BtnBrowseFolder");
            folder.Type("EdDepth", "7");
            folder.Click("BtnOK");
            folder.Type("EdDepth", "2");
            folder.Type("EdMasks", " *.exe ;; *.lnk ");
            folder.QueueClick("BtnOK");
        });
        ui->Click("BtnQuickFolderAdd");
        ASSERT_EQ(ui->Rows("QuickFoldersList"), 2);
        EXPECT_EQ(ui->SelectedRow("QuickFoldersList"), 1);
        const std::string added[] = {"C:\\windows\\system32", "2", "*.exe;*.lnk"};
        for (int column : {0, 1, 2}) EXPECT_EQ(ui->Cell("QuickFoldersList", 1, column), added[column]);
        ui->PressKeys("QuickFoldersList", {VK_DELETE});
        EXPECT_EQ(ui->Rows("QuickFoldersList"), 1);
    };
    EXPECT_EQ(Run(addAndDelete, "BtnCancel"), ModalResult::Cancel);
    ASSERT_EQ(messages.Asked().size(), 1u);
    EXPECT_TRUE(messages.Asked()[0].text.find("depth") != std::string::npos && !form->QuickFoldersChanged());

    messages.Answer(IDNO);
    messages.Answer(IDYES);
    auto removeAndClear = [&] {
        ui->Click("BtnQuickFolderRemove");
        EXPECT_FALSE(ui->Usable("BtnQuickFolderEdit") || ui->Usable("BtnQuickFolderRemove"));
        ui->Click("BtnClearQuickHistory");
        EXPECT_TRUE(cleared == 0 && ui->Usable("BtnClearQuickHistory"));
        ui->Click("BtnClearQuickHistory");
        EXPECT_TRUE(cleared == 1 && !ui->Usable("BtnClearQuickHistory"));
    };
    EXPECT_EQ(Run(removeAndClear), ModalResult::Ok);
    EXPECT_TRUE(Konfig.QuickFolders.empty() && form->QuickFoldersChanged());
    ClearQuickHistory = nullptr;
}

}  // namespace
