// The settings window's item list of the real program, read from outside: each item's
// rectangle comes through memory in the program's process, after every kind of change
// and across three settings sessions in one run.
#include "app_test.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

// A list view of another process. Its answers that need a buffer (rectangles, hit tests)
// are written into a page allocated in that process and read back from there.
class RemoteList {
public:
    explicit RemoteList(HWND list) : list_(list)
    {
        DWORD id = 0;
        GetWindowThreadProcessId(list, &id);
        process_.reset(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, id));
        if (process_) buffer_ = VirtualAllocEx(process_.get(), nullptr, 4096, MEM_COMMIT, PAGE_READWRITE);
    }
    RemoteList(const RemoteList&) = delete;
    RemoteList& operator=(const RemoteList&) = delete;
    ~RemoteList()
    {
        if (buffer_) VirtualFreeEx(process_.get(), buffer_, 0, MEM_RELEASE);
    }

    bool Usable() const { return buffer_ != nullptr; }
    HWND Handle() const { return list_; }
    int Count() const { return static_cast<int>(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0)); }
    int Selected() const
    {
        return static_cast<int>(SendMessageA(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    }
    std::optional<RECT> ItemRect(int index) const
    {
        RECT rect{};
        rect.left = LVIR_BOUNDS;
        if (!Put(rect) || !SendMessageA(list_, LVM_GETITEMRECT, static_cast<WPARAM>(index), Remote())) return {};
        return Get<RECT>();
    }
    int HitTest(POINT point) const
    {
        LVHITTESTINFO info{};
        info.pt = point;
        if (!Put(info)) return -2;
        return static_cast<int>(SendMessageA(list_, LVM_HITTEST, 0, Remote()));
    }
    void EnsureVisible(int index) const { SendMessageA(list_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), FALSE); }

private:
    LPARAM Remote() const { return reinterpret_cast<LPARAM>(buffer_); }
    template <class T>
    bool Put(const T& value) const
    {
        return WriteProcessMemory(process_.get(), buffer_, &value, sizeof(value), nullptr) != FALSE;
    }
    template <class T>
    std::optional<T> Get() const
    {
        T value{};
        if (!ReadProcessMemory(process_.get(), buffer_, &value, sizeof(value), nullptr)) return {};
        return value;
    }

    HWND list_;
    UniqueHandle process_;
    void* buffer_ = nullptr;
};

bool Inside(const RECT& inner, const RECT& outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

std::string Show(const RECT& r)
{
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

// Every item has a place of its own, comes into view when scrolled to and is the one a
// click on its middle hits; the selected one is in view as the change left it.
void ExpectEveryItemPlaced(const RemoteList& list, int count, const std::string& after)
{
    SCOPED_TRACE("after " + after);
    RECT client{};
    GetClientRect(list.Handle(), &client);
    // The program may answer between selecting and scrolling (a change notification
    // runs first): the selection must come into view soon after.
    auto settled = [&] {
        int chosen = list.Selected();
        std::optional<RECT> place = chosen >= 0 ? list.ItemRect(chosen) : std::nullopt;
        return list.Count() == count && (chosen < 0 || (place && Inside(*place, client)));
    };
    EXPECT_TRUE(WaitUntil(settled, 3000));
    ASSERT_EQ(list.Count(), count);
    int selected = list.Selected();
    if (selected >= 0) {
        std::optional<RECT> place = list.ItemRect(selected);
        ASSERT_TRUE(place);
        EXPECT_TRUE(Inside(*place, client)) << "selected item " << selected << " at " << Show(*place);
    }
    std::vector<RECT> places;
    for (int i = 0; i < count; ++i) {
        std::optional<RECT> place = list.ItemRect(i);
        ASSERT_TRUE(place) << "item " << i;
        EXPECT_FALSE(IsRectEmpty(&*place)) << "item " << i;
        places.push_back(*place);
    }
    for (int i = 0; i < count; ++i)
        for (int j = i + 1; j < count; ++j) {
            RECT common{};
            EXPECT_FALSE(IntersectRect(&common, &places[static_cast<size_t>(i)], &places[static_cast<size_t>(j)]))
                << "items " << i << " " << Show(places[static_cast<size_t>(i)]) << " and " << j << " "
                << Show(places[static_cast<size_t>(j)]);
        }
    for (int i = 0; i < count; ++i) {
        list.EnsureVisible(i);
        std::optional<RECT> place = list.ItemRect(i);
        ASSERT_TRUE(place);
        EXPECT_TRUE(Inside(*place, client)) << "item " << i << " scrolled to lies at " << Show(*place);
        POINT middle{(place->left + place->right) / 2, (place->top + place->bottom) / 2};
        EXPECT_EQ(list.HitTest(middle), i) << "a click on item " << i << " at " << Show(*place);
    }
    // Back to the top: the next change must bring its selection into view itself.
    if (count > 0) list.EnsureVisible(0);
}

class ItemListE2e : public AppTest {
protected:
    static constexpr POINT ItemListPoint{7 + 8 + 20, 128 + 33 + 20};
    static constexpr POINT MenuListPoint{7 + 8 + 20, 8 + 16 + 10};

    void OpenSettings()
    {
        ASSERT_TRUE(ChooseMenuCommand(main, 0, 1900));
        settings = app->WaitForSettings();
        ASSERT_NE(settings, nullptr);
        items.emplace(ChildAt(settings, ItemListPoint, "SysListView32"));
        ASSERT_TRUE(items->Usable());
        // The window opens with no menu chosen: the first is.
        ASSERT_NO_FATAL_FAILURE(PressIn(ChildAt(settings, MenuListPoint, "SysListView32"), VK_HOME));
        ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(FindChild(settings, "Button", "&Add")) != FALSE; }));
    }
    void CloseSettings()
    {
        ASSERT_TRUE(ClickButton(settings, "&OK - Minimize"));
        ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(settings); }));
        EXPECT_TRUE(app->NoMessageBoxFor(200));
        items.reset();
    }
    // The mask's path and description typed, then "&Add".
    void AddItem(const std::string& description)
    {
        int before = items->Count();
        SendMessageA(EditAt(settings, {7 + 184 + 80, 128 + 32 + 12}), WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>("C:\\windows\\notepad.exe"));
        SendMessageA(EditAt(settings, {7 + 184 + 80, 128 + 32 + 207}), WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>(description.c_str()));
        ASSERT_TRUE(ClickButton(settings, "&Add"));
        ASSERT_TRUE(WaitUntil([&] { return items->Count() == before + 1 && items->Selected() == before; }));
    }
    void AddItems(int n, const std::string& name)
    {
        for (int i = 0; i < n; ++i) {
            ASSERT_NO_FATAL_FAILURE(AddItem(name + std::to_string(i)));
            ASSERT_NO_FATAL_FAILURE(ExpectEveryItemPlaced(*items, items->Count(), "adding " + name + std::to_string(i)));
        }
    }
    // A click in the middle of the item, as the mouse gives it.
    void ClickItem(int index)
    {
        items->EnsureVisible(index);
        std::optional<RECT> place = items->ItemRect(index);
        ASSERT_TRUE(place);
        LPARAM at = MAKELPARAM((place->left + place->right) / 2, (place->top + place->bottom) / 2);
        ASSERT_TRUE(Post(items->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at));
        ASSERT_TRUE(Post(items->Handle(), WM_LBUTTONUP, 0, at));
        ASSERT_TRUE(WaitUntil([&] { return items->Selected() == index; })) << "item " << index << " clicked";
    }
    void PressIn(HWND window, WORD key)
    {
        ASSERT_TRUE(Post(window, WM_KEYDOWN, key, 1));
        ASSERT_TRUE(Post(window, WM_KEYUP, key, 0xC0000001));
    }

    HWND settings = nullptr;
    std::optional<RemoteList> items;
};

TEST_F(ItemListE2e, EveryKindOfChangeLeavesEachItemInAPlaceOfItsOwn)
{
    std::string notepad = "Pfad=C:\\windows\\notepad.exe";
    Launch(Ini({"[GLOBAL]", "SelfAutostart=0", "AskBeforeQuit=0", "MenuCount=2", "[M0]", "MenuName=One",
                "ItemCount=2", "[M0I1]", notepad, "Description=First", "[M0I2]", notepad, "Description=Second", "[M1]",
                "MenuName=Two", "ItemCount=0"}));
    ASSERT_NO_FATAL_FAILURE(OpenSettings());
    ExpectEveryItemPlaced(*items, 2, "showing");
    ASSERT_NO_FATAL_FAILURE(AddItems(9, "Added "));

    // The last item is chosen already but scrolled away: End shows it; Home goes back.
    PressIn(items->Handle(), VK_END);
    ExpectEveryItemPlaced(*items, 11, "End on the chosen last item");
    EXPECT_EQ(items->Selected(), 10);
    ASSERT_NO_FATAL_FAILURE(ClickItem(10));
    ExpectEveryItemPlaced(*items, 11, "clicking the last");
    PressIn(items->Handle(), VK_HOME);
    ASSERT_TRUE(WaitUntil([&] { return items->Selected() == 0; }));
    ExpectEveryItemPlaced(*items, 11, "Home");
    PressIn(items->Handle(), VK_END);
    ASSERT_TRUE(WaitUntil([&] { return items->Selected() == 10; }));
    ExpectEveryItemPlaced(*items, 11, "End");

    ASSERT_NO_FATAL_FAILURE(ClickItem(3));
    ASSERT_TRUE(ClickButton(settings, "&Insert Separator"));
    ExpectEveryItemPlaced(*items, 12, "inserting a separator");
    ASSERT_NO_FATAL_FAILURE(ClickItem(9));
    ASSERT_TRUE(ClickButton(settings, "&Remove"));
    ExpectEveryItemPlaced(*items, 11, "removing");
    ASSERT_NO_FATAL_FAILURE(ClickItem(8));
    ASSERT_TRUE(ClickButton(settings, "Move D&n"));
    ASSERT_TRUE(WaitUntil([&] { return items->Selected() == 9; }));
    ExpectEveryItemPlaced(*items, 11, "moving down");
    ASSERT_NO_FATAL_FAILURE(ClickItem(10));
    ASSERT_TRUE(ClickButton(settings, "Move &Up"));
    ASSERT_TRUE(WaitUntil([&] { return items->Selected() == 9; }));
    ExpectEveryItemPlaced(*items, 11, "moving up");

    HWND menus = ChildAt(settings, MenuListPoint, "SysListView32");
    ASSERT_NE(menus, nullptr);
    PressIn(menus, VK_END);
    ExpectEveryItemPlaced(*items, 0, "switching to the empty menu");
    ASSERT_NO_FATAL_FAILURE(AddItems(7, "Other "));
    PressIn(menus, VK_HOME);
    ExpectEveryItemPlaced(*items, 11, "switching back");

    ASSERT_TRUE(ClickButton(settings, "C&lear"));
    std::optional<MessageBoxInfo> question = app->WaitForMessageBox();
    ASSERT_TRUE(question);
    ASSERT_TRUE(AnswerMessageBox(question->hwnd, IDYES));
    ExpectEveryItemPlaced(*items, 0, "clearing");
    ASSERT_NO_FATAL_FAILURE(AddItems(8, "Again "));
    ASSERT_NO_FATAL_FAILURE(CloseSettings());
}

TEST_F(ItemListE2e, AFreshConfigurationAndThreeSessionsInOneRunPlaceEveryItem)
{
    Launch(std::nullopt);
    std::optional<MessageBoxInfo> welcome = app->WaitForMessageBox();
    ASSERT_TRUE(welcome);
    ASSERT_TRUE(AnswerMessageBox(welcome->hwnd, IDOK));
    settings = app->WaitForSettings();
    ASSERT_NE(settings, nullptr);
    ASSERT_TRUE(ClickButton(settings, "Ad&d"));
    HWND dialog = app->WaitForWindow({"TfrmEditMenu", "New menu", true});
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(ClickButton(dialog, "&OK"));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(dialog); }));
    items.emplace(ChildAt(settings, ItemListPoint, "SysListView32"));
    ASSERT_TRUE(items->Usable());
    ASSERT_NO_FATAL_FAILURE(AddItems(7, "First "));
    ASSERT_NO_FATAL_FAILURE(CloseSettings());

    for (int session = 2; session <= 3; ++session) {
        ASSERT_NO_FATAL_FAILURE(OpenSettings());
        ExpectEveryItemPlaced(*items, 7 * (session - 1), "opening session " + std::to_string(session));
        ASSERT_NO_FATAL_FAILURE(AddItems(7, "Session " + std::to_string(session) + " "));
        ASSERT_NO_FATAL_FAILURE(CloseSettings());
    }
    std::optional<std::string> saved = sandbox->ReadIni();
    ASSERT_TRUE(saved);
    EXPECT_NE(saved->find("ItemCount=21"), std::string::npos) << *saved;
}

}  // namespace
