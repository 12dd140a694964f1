// The menus' picture lists: every entry gets its index at once, its picture loaded later
// in idle turns, by timer, or when it is drawn first.
#include "menu_pictures.h"
#include "menus/menu_images_win.h"
#include "menus/menu_items_win.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using namespace menu_pictures;

struct TimerCounts {
    TMenuList* menus;
    int turns = 0;
    int others = 0;
};

LRESULT CALLBACK TimerWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* counts = reinterpret_cast<TimerCounts*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (msg == WM_TIMER && counts) {
        if (EntryIconTimerTick(hwnd, wParam, *counts->menus)) ++counts->turns;
        else ++counts->others;
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

class EntryIconDeferred : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        folder = TempFolder::Create();
        ASSERT_TRUE(folder);
        std::optional<std::string> copied = CopyProgram(*folder, "tool.exe");
        ASSERT_TRUE(copied);
        program = *copied;
        pictures = Pictures(MakeIcon(RGB(0, 0, 0), 0));  // fully transparent, like the real one
        programIcon = IconPixels(UniqueIcon(ExtractIconA(GetModuleHandleA(nullptr), program.c_str(), 0)).get());
        factory = MakeMenuImagesFactory(pictures);
    }
    void TearDown() override { CoUninitialize(); }

    // Entries 0..n-1 with the program's icon, a separator at position 3.
    TOneMenu& MenuWith(int n)
    {
        TOneMenu& menu = NewMenu(menus, factory);
        for (int i = 0; i < n; ++i) AddItem(menu, i == 3 ? Separator() : Entry(program, "Entry"));
        return menu;
    }
    ImageListMenuImages& Images(const TOneMenu& menu) { return *ImageListOf(menu); }
    bool ShowsProgramIcon(const TOneMenu& menu, int index)
    {
        Surface s(32, 32, Magenta);
        ImageList_Draw(Images(menu).Handle(), index, s.Dc(), 0, 0, ILD_NORMAL);
        // Drawn on the list's background; the program icon on it differs from the
        // plain background wherever the icon has paint.
        std::vector<COLORREF> pixels = s.Pixels();
        int painted = 0;
        for (COLORREF c : pixels) painted += c != GetSysColor(COLOR_MENU);
        return painted > 0;
    }

    std::optional<TempFolder> folder;
    std::string program;
    std::shared_ptr<EntryPictures> pictures;
    std::vector<COLORREF> programIcon;
    MenuImagesFactory factory;
    TMenuList menus;
};

TEST_F(EntryIconDeferred, EveryEntryHasItsPictureIndexAtOnce)
{
    TOneMenu& menu = MenuWith(10);
    ASSERT_TRUE(ImageListOf(menu));
    EXPECT_EQ(menu.Images->Count(), 10);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(menu.Items[static_cast<size_t>(i)]->ImageIndex, i);
    EXPECT_EQ(Images(menu).PendingCount(), 9);  // the separator picture is there already
    EXPECT_FALSE(Images(menu).IsPending(3));
    EXPECT_TRUE(EntryIconsPending(menus));
    EXPECT_FALSE(ShowsProgramIcon(menu, 0));
    EXPECT_EQ(ImageList_GetImageCount(Images(menu).Handle()), 10);
    // Waiting entries show the placeholder, the separator its own picture, exactly as
    // if the icons had been added one by one.
    UniqueImageList reference(ImageList_Create(32, 32, ILC_COLOR32 | ILC_MASK, 2, 2));
    ImageList_SetBkColor(reference.get(), GetSysColor(COLOR_MENU));
    ImageList_AddIcon(reference.get(), pictures->ImgIconLeer.get());
    ImageList_AddIcon(reference.get(), pictures->ImgIconSeparator.get());
    EXPECT_EQ(ImagePixels(Images(menu).Handle(), 9), ImagePixels(reference.get(), 0));
    EXPECT_EQ(ImagePixels(Images(menu).Handle(), 3), ImagePixels(reference.get(), 1));
}

TEST_F(EntryIconDeferred, IdleTurnsReplaceThePlaceholdersInPlace)
{
    TOneMenu& a = MenuWith(6);
    TOneMenu& b = MenuWith(4);
    EXPECT_TRUE(LoadPendingEntryIcons(menus, 4));
    EXPECT_EQ(Images(a).PendingCount(), 1);  // 0, 1, 2, 4 done; the separator skipped
    EXPECT_EQ(Images(b).PendingCount(), 3);
    EXPECT_TRUE(LoadPendingEntryIcons(menus, 3));
    EXPECT_EQ(Images(a).PendingCount(), 0);
    EXPECT_FALSE(LoadPendingEntryIcons(menus, 100));
    EXPECT_FALSE(EntryIconsPending(menus));
    EXPECT_EQ(a.Images->Count(), 6);
    EXPECT_EQ(b.Images->Count(), 4);
    for (const TOneMenu* m : {&a, &b})
        for (int i = 0; i < m->Images->Count(); ++i) {
            if (i == 3) continue;
            EXPECT_EQ(ImagePixels(Images(*m).Handle(), i), ImagePixels(Images(*m).Handle(), 0));
            EXPECT_TRUE(ShowsProgramIcon(*m, i)) << i;
        }
    // The separator keeps its own picture.
    EXPECT_NE(ImagePixels(Images(a).Handle(), 3), ImagePixels(Images(a).Handle(), 0));
}

TEST_F(EntryIconDeferred, ATurnStopsWhenItsTimeIsUp)
{
    MenuWith(40);
    // With one millisecond allowed a turn ends long before 40 extractions, but it always
    // does at least one.
    LoadPendingEntryIcons(menus, 1000, 1);
    int left = Images(*menus[0]).PendingCount();
    EXPECT_LT(left, 39);
    EXPECT_GT(left, 0);
}

TEST_F(EntryIconDeferred, TimerLoadsEverythingWhileMessagesFlow)
{
    MenuWith(30);
    MenuWith(30);
    UniqueWindow window(CreateWindowExA(0, "STATIC", "icons", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(window);
    TimerCounts tick{&menus};
    SetWindowLongPtrA(window.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&tick));
    SetWindowLongPtrA(window.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TimerWindowProc));
    SetTimer(window.get(), 1, 0, nullptr);  // somebody else's timer is left alone
    ScheduleEntryIconLoading(window.get(), menus);
    ASSERT_TRUE(WaitUntil([&] {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        return !EntryIconsPending(menus);
    }));
    KillTimer(window.get(), 1);
    EXPECT_GT(tick.turns, 0);
    EXPECT_GT(tick.others, 0);
    for (const auto& menu : menus)
        for (int i = 0; i < 30; ++i)
            if (i != 3) {
                EXPECT_TRUE(ShowsProgramIcon(*menu, i)) << i;
            }
    // Once nothing is pending the icon timer is gone: no more turns arrive.
    const int turns = tick.turns;
    WaitUntil([&] {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        return false;
    }, 200);
    EXPECT_EQ(tick.turns, turns);
}

TEST_F(EntryIconDeferred, PopupOverItsLoadingTimeShowsPlaceholdersThenRepaints)
{
    TOneMenu& menu = MenuWith(30);
    TKonfig konfig;
    konfig.IconSize = 32;
    UniqueWindow window(CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "popup", WS_POPUP | WS_VISIBLE, 0, 0, 300, 120,
                                        nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(window);
    ScheduleEntryIconLoading(window.get(), menus);
    ASSERT_TRUE(EntryIconTimerRunning());
    ValidateRect(window.get(), nullptr);
    HDC dc = GetDC(window.get());
    ScopeGuard release([&] { ReleaseDC(window.get(), dc); });

    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_MENU;
    draw.itemID = 20;
    draw.hDC = dc;
    draw.rcItem = RECT{0, 40, 200, 76};
    // No time left for loading while this popup draws: the placeholder is shown.
    ASSERT_TRUE(WMDrawItem(draw, 0, menus, konfig, nullptr, 0));
    EXPECT_TRUE(Images(menu).IsPending(20));
    EXPECT_EQ(Images(menu).UrgentCount(), 1);
    RECT update{};
    EXPECT_FALSE(GetUpdateRect(window.get(), &update, FALSE));

    // The next idle turn takes that entry before all others and repaints its place.
    EXPECT_TRUE(LoadPendingEntryIcons(menus, 1));
    EXPECT_FALSE(Images(menu).IsPending(20));
    EXPECT_TRUE(Images(menu).IsPending(0));
    EXPECT_EQ(Images(menu).UrgentCount(), 0);
    ASSERT_TRUE(GetUpdateRect(window.get(), &update, FALSE));
    EXPECT_EQ(update.left, 0);
    EXPECT_EQ(update.top, 40);
    EXPECT_EQ(update.right, 200);
    EXPECT_EQ(update.bottom, 76);
    EXPECT_TRUE(ShowsProgramIcon(menu, 20));

    // Within the time allowed an entry is loaded while it is drawn.
    draw.itemID = 21;
    ASSERT_TRUE(WMDrawItem(draw, 0, menus, konfig, nullptr, 60000));
    EXPECT_FALSE(Images(menu).IsPending(21));
    KillTimer(window.get(), EntryIconTimerId);
}

TEST_F(EntryIconDeferred, DrawingAPendingEntryLoadsItFirst)
{
    TOneMenu& menu = MenuWith(8);
    menu.MaxTextWidth = 60;
    TKonfig konfig;
    konfig.IconSize = 32;
    Surface s(200, 40, Magenta);
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_MENU;
    draw.itemID = 5;
    draw.hDC = s.Dc();
    draw.rcItem = RECT{0, 0, 140, 36};
    ASSERT_TRUE(Images(menu).IsPending(5));
    // Without the icon timer nothing else would load it: no time limit applies.
    ASSERT_FALSE(EntryIconTimerRunning());
    ASSERT_TRUE(WMDrawItem(draw, 0, menus, konfig, nullptr, 0));
    EXPECT_FALSE(Images(menu).IsPending(5));
    EXPECT_TRUE(Images(menu).IsPending(4));
    EXPECT_EQ(Images(menu).PendingCount(), 6);
    // What was drawn is the program's icon, not the empty placeholder.
    EXPECT_GT(32 * 32 - s.Count(GetSysColor(COLOR_MENU), 2, 2, 34, 34), 0);
}

TEST_F(EntryIconDeferred, EditsKeepPendingPicturesWithTheirEntries)
{
    TOneMenu& menu = MenuWith(6);
    ImageListMenuImages& images = Images(menu);
    // Entry 1 edited to a separator: replaced at once, no longer pending.
    ASSERT_TRUE(images.ReplaceEntryImage(1, *Separator()));
    EXPECT_FALSE(images.IsPending(1));
    EXPECT_EQ(images.PendingCount(), 4);
    // Removing picture 0 moves the others down with their pending state.
    ASSERT_TRUE(images.RemoveEntryImage(0));
    EXPECT_EQ(images.Count(), 5);
    EXPECT_FALSE(images.IsPending(0));  // was 1
    EXPECT_TRUE(images.IsPending(1));   // was 2
    EXPECT_FALSE(images.IsPending(2));  // was 3, the separator
    EXPECT_EQ(images.PendingCount(), 3);
    EXPECT_FALSE(images.RemoveEntryImage(5));
    EXPECT_EQ(images.LoadPendingIcons(10), 3);
    EXPECT_TRUE(ShowsProgramIcon(menu, 1));
    images.RemoveAllImages();
    EXPECT_EQ(images.Count(), 0);
    EXPECT_EQ(images.PendingCount(), 0);
    // Adding after removal starts pending again at index 0.
    EXPECT_EQ(images.AddEntryImage(*Entry(program, "again")), 0);
    EXPECT_TRUE(images.IsPending(0));
}

}  // namespace
