// The options dialog in-process: the real window, driven as a user would while it runs
// modally, with Konfig checked afterwards.
#include "config/model.h"
#include "settings/options_win.h"
#include "while_shown.h"

#include <gtest/gtest.h>

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
    }
    void TearDown() override { Konfig = {}; }

    HWND C(const char* name) const { return form->Control(name); }
    RECT Place(const char* name) const
    {
        RECT r{};
        GetWindowRect(C(name), &r);
        MapWindowPoints(nullptr, form->Handle(), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    void Click(const char* name) const { SendMessageA(C(name), BM_CLICK, 0, 0); }
    // What a click on a row's check box does.
    void ToggleRow(int row) const
    {
        LVITEMA item{};
        item.stateMask = LVIS_STATEIMAGEMASK;
        item.state = INDEXTOSTATEIMAGEMASK(form->ToolsRowChecked(row) ? 1 : 2);
        SendMessageA(C("ToolsCbList"), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    }
    ModalResult Run(std::function<void()> user, const char* button = "BtnOK")
    {
        WhileShown([=, this] {
            user();
            if (button) PostMessageA(C(button), BM_CLICK, 0, 0);
        });
        return form->Execute(nullptr);
    }

    std::unique_ptr<TfrmOptions> form;
};

TEST_F(OptionsTest, LayoutFollowsTheTable)
{
    RECT client{};
    GetClientRect(form->Handle(), &client);
    EXPECT_EQ(client.right, 315);
    EXPECT_EQ(client.bottom, 299);
    EXPECT_EQ(Place("CheckAutorun").left, 17);
    EXPECT_EQ(form->Text("CheckWrapMenu"), "Wrap menus (does not work on Win98)");
    EXPECT_EQ(Place("BtnOK").top, 272);
    EXPECT_EQ(Place("BtnCancel").left, 240);
    // The page's controls sit on the page, below its tab and inside the page control.
    RECT page = Place("PageControlExtraMenus"), list = Place("ToolsCbList");
    EXPECT_EQ(list.left, Place("TabSheet1").left + 72);
    EXPECT_GT(list.top, page.top + 15);
    EXPECT_LE(Place("BtnToolsSelectNone").right, page.right);
    char text[32] = {};
    LVITEMA row{};
    row.pszText = text;
    row.cchTextMax = sizeof(text);
    SendMessageA(C("ToolsCbList"), LVM_GETITEMTEXTA, 4, reinterpret_cast<LPARAM>(&row));
    EXPECT_STREQ(text, "Screensaver");
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
    EXPECT_EQ(focus, C("BtnOK"));
    EXPECT_EQ(Konfig.ToolsMenuCfg, 31);
    EXPECT_EQ(Konfig.IconSize, 32);
    EXPECT_TRUE(Konfig.AskBeforeQuit);
    EXPECT_FALSE(form->IsShown());
}

TEST_F(OptionsTest, OkStoresEveryControlAndTheListIndependentOfEnable)
{
    EXPECT_EQ(Run([&] {
                  Click("BtnToolsSelectNone");
                  Click("BtnToolsSelectAll");
                  EXPECT_EQ(Konfig.ToolsMenuCfg, 16777215);
                  ToggleRow(2);  // Reboot
                  Click("CheckAutorun");
                  Click("CheckSingleLeftClick");
                  Click("CheckWrapMenu");
                  Click("RadioIconSize2");
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
        Click("BtnToolsSelectNone");
        Click("CheckAutorun");
        Click("CheckAskBeforeQuit");
        Click("RadioIconSize2");
    };
    EXPECT_EQ(Run(changeAll, "BtnCancel"), ModalResult::Cancel);
    // Keys go to the focused OK button by name: GetFocus() is empty whenever another
    // process briefly holds the foreground, and the key would be lost.
    auto escape = [&] { changeAll(), PostMessageA(C("BtnOK"), WM_KEYDOWN, VK_ESCAPE, 0); };
    EXPECT_EQ(Run(escape, nullptr), ModalResult::Cancel);
    EXPECT_EQ(Konfig.ToolsMenuCfg, 16777215);
    EXPECT_EQ(Konfig.IconSize, 16);
    EXPECT_TRUE(!Konfig.SelfAutostart && Konfig.AskBeforeQuit);
    auto enter = [&] {
        EXPECT_TRUE(form->ToolsRowChecked(3) && form->IsChecked("CheckAskBeforeQuit"));
        EXPECT_EQ(form->IconSizeIndex(), 0);
        PostMessageA(C("BtnOK"), WM_KEYUP, VK_F1, 0);
        PostMessageA(C("BtnOK"), WM_KEYDOWN, VK_RETURN, 0);
    };
    EXPECT_EQ(Run(enter, nullptr), ModalResult::Ok);
    EXPECT_EQ(helpAsked, 1);
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

}  // namespace
