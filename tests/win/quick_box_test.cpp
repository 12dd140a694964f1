// The quick-launch box in-process: the real window over a small model, typed into and
// driven by the keys a user presses, with what it starts recorded.
#include "config/model.h"
#include "form_driver.h"
#include "menus/menus_win.h"
#include "quick/quick_box_win.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

struct Started {
    int menu, item;
    bool asAdministrator;
    bool operator==(const Started&) const = default;
};

class QuickBoxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ReleaseMenus(MenuList);
        AddMenu("Tools", {{"&Notepad", "C:\\windows\\notepad.exe"}, {"", SeparatorMarker},
                          {"Word Pad", "C:\\apps\\wordpad.exe"}});
        AddMenu("Games", {{"Solitaire", "C:\\games\\sol.exe"}, {"&Notepad clone", "C:\\apps\\clone.exe"}});
        box = QuickBox::Create(nullptr, [this](int m, int i, bool admin) { started.push_back({m, i, admin}); });
        ASSERT_TRUE(box);
        ui.emplace(*box);
    }
    void TearDown() override
    {
        box.reset();
        ReleaseMenus(MenuList);
    }

    static void AddMenu(const char* name, std::vector<std::pair<std::string, std::string>> entries)
    {
        TOneMenu& menu = NewMenu(MenuList, nullptr);
        menu.MenuName = name;
        for (auto& [description, path] : entries) {
            auto item = std::make_unique<TOneItem>();
            item->Description = description;
            item->Pfad = path;
            AddItem(menu, std::move(item));
        }
    }

    std::vector<std::pair<int, int>> Rows() const
    {
        std::vector<std::pair<int, int>> rows;
        for (int r = 0; r < box->RowCount(); ++r) rows.emplace_back(box->RowAt(r).menu, box->RowAt(r).item);
        EXPECT_EQ(SendMessageW(ui->Control("ListQuick"), LB_GETCOUNT, 0, 0), box->RowCount()) << "list and rows agree";
        return rows;
    }

    void Key(WORD key, bool control = false) const
    {
        BYTE keys[256]{};
        GetKeyboardState(keys);
        const BYTE before = keys[VK_CONTROL];
        keys[VK_CONTROL] = control ? 0x80 : 0;
        SetKeyboardState(keys);
        ui->PressKeys("EditQuick", {key});
        keys[VK_CONTROL] = before;
        SetKeyboardState(keys);
    }

    std::unique_ptr<QuickBox> box;
    std::optional<FormDriver> ui;
    std::vector<Started> started;
};

using Pairs = std::vector<std::pair<int, int>>;

TEST_F(QuickBoxTest, OpensEmptyOnTopFocusedNearTheCentreOfTheCursorsScreen)
{
    ui->Type("EditQuick", "left over");
    SetCursorPos(100, 100);
    box->Open();
    EXPECT_TRUE(IsWindowVisible(box->Handle()));
    EXPECT_TRUE(GetWindowLongW(box->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(GetFocus(), ui->Control("EditQuick"));
    EXPECT_EQ(ui->Text("EditQuick"), "");
    // Every entry but the separator, in menu order.
    EXPECT_EQ(Rows(), (Pairs{{0, 0}, {0, 2}, {1, 0}, {1, 1}}));
    EXPECT_EQ(box->SelectedRow(), 0);

    RECT place{};
    GetWindowRect(box->Handle(), &place);
    const RECT work = WorkAreaOf(MonitorFromPoint({100, 100}, MONITOR_DEFAULTTONEAREST));
    EXPECT_NEAR((place.left + place.right) / 2, (work.left + work.right) / 2, 1);
    EXPECT_GE(place.top, work.top);
    EXPECT_LT(place.top, (work.top + work.bottom) / 2);
}

TEST_F(QuickBoxTest, TypedLettersNarrowTheListAndDeletingWidensItAgain)
{
    box->Open();
    ui->TypeAtEnd("EditQuick", "n");
    EXPECT_EQ(Rows(), (Pairs{{0, 0}, {1, 1}}));
    ui->TypeAtEnd("EditQuick", "pc");
    EXPECT_EQ(Rows(), (Pairs{{1, 1}}));
    ui->Type("EditQuick", "np");
    EXPECT_EQ(Rows(), (Pairs{{0, 0}, {1, 1}}));
    // The path's file name is searched too.
    ui->Type("EditQuick", "sol.e");
    EXPECT_EQ(Rows(), (Pairs{{1, 0}}));
    ui->Type("EditQuick", "xyz");
    EXPECT_EQ(Rows(), Pairs{});
    EXPECT_EQ(box->SelectedRow(), -1);
    Key(VK_RETURN);
    EXPECT_TRUE(started.empty()) << "nothing to start";
    EXPECT_TRUE(IsWindowVisible(box->Handle())) << "open for another try";
}

TEST_F(QuickBoxTest, ArrowsMoveEnterStartsCtrlEnterAsAdministratorEscCloses)
{
    box->Open();
    ui->TypeAtEnd("EditQuick", "np");
    Key(VK_DOWN);
    EXPECT_EQ(box->SelectedRow(), 1);
    Key(VK_DOWN);
    EXPECT_EQ(box->SelectedRow(), 1) << "the last row stays chosen";
    Key(VK_RETURN);
    EXPECT_EQ(started, (std::vector<Started>{{1, 1, false}}));
    EXPECT_FALSE(IsWindowVisible(box->Handle()));

    box->Open();
    Key(VK_DOWN);
    Key(VK_UP);
    Key(VK_RETURN, true);
    EXPECT_EQ(started.back(), (Started{0, 0, true}));
    EXPECT_EQ(ui->Text("EditQuick"), "") << "Ctrl+Enter types no line break";

    box->Open();
    Key(VK_ESCAPE);
    EXPECT_FALSE(IsWindowVisible(box->Handle()));
    EXPECT_EQ(started.size(), 2u);
}

TEST_F(QuickBoxTest, AClickChoosesARowAndADoubleClickStartsIt)
{
    box->Open();
    HWND list = ui->Control("ListQuick");
    RECT client{};
    GetClientRect(list, &client);
    Key(VK_DOWN);
    Key(VK_DOWN);
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 2) << "readable as a list box's choice";
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 1));
    EXPECT_EQ(box->SelectedRow(), 0);
    // Four rows do not fill the list: below them there is nothing to choose.
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, client.bottom - 1));
    EXPECT_EQ(box->SelectedRow(), 0);
    EXPECT_EQ(GetFocus(), ui->Control("EditQuick")) << "typing goes on in the edit field";
    EXPECT_TRUE(started.empty());
    SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 1));
    EXPECT_EQ(started, (std::vector<Started>{{0, 0, false}}));
    EXPECT_FALSE(IsWindowVisible(box->Handle()));
}

TEST_F(QuickBoxTest, AnotherWindowTakingTheFocusClosesTheBox)
{
    box->Open();
    ASSERT_TRUE(IsWindowVisible(box->Handle()));
    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                                 nullptr, nullptr);
    ASSERT_NE(other, nullptr);
    SetActiveWindow(other);
    EXPECT_FALSE(IsWindowVisible(box->Handle()));
    DestroyWindow(other);
    EXPECT_TRUE(started.empty());
}

}  // namespace
