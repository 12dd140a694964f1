// Popup menus and notification icons built from a model, read back from Windows: the
// entries with GetMenuItemInfoW, the icons with Shell_NotifyIcon.
#include "config/model.h"
#include "config/theme_win.h"
#include "driver.h"
#include "fake_messages.h"
#include "menu_pictures.h"
#include "menus/menus_win.h"
#include "unicode_files.h"
#include "win/tray_icon.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using menu_pictures::DeleteIcon;
using menu_pictures::IconPresent;
using menu_pictures::IconSide;

struct ItemSeen {
    UINT type = 0;
    UINT id = 0;
    ULONG_PTR data = 0;
    std::string text;
};

std::vector<ItemSeen> ReadMenu(HMENU menu)
{
    std::vector<ItemSeen> items;
    int count = GetMenuItemCount(menu);
    for (int pos = 0; pos < count; ++pos) {
        wchar_t text[128] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_DATA | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = static_cast<UINT>(std::size(text));
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(pos), TRUE, &info)) {
            ADD_FAILURE() << "item " << pos << " unreadable";
            continue;
        }
        bool hasText = (info.fType & (MFT_OWNERDRAW | MFT_SEPARATOR | MFT_BITMAP)) == 0;
        items.push_back({info.fType, info.wID, info.dwItemData, hasText ? Utf8(text) : std::string()});
    }
    return items;
}

void ExpectFixedTail(const std::vector<ItemSeen>& items)
{
    ASSERT_GE(items.size(), 3u);
    const ItemSeen& quick = items[items.size() - 3];
    EXPECT_EQ(quick.type, static_cast<UINT>(MFT_STRING));
    EXPECT_EQ(quick.id, 1902u);
    EXPECT_EQ(quick.text, "Quick &launch...");
    const ItemSeen& settings = items[items.size() - 2];
    const ItemSeen& quit = items.back();
    EXPECT_EQ(settings.type, static_cast<UINT>(MFT_STRING));
    EXPECT_EQ(settings.id, 1900u);
    EXPECT_EQ(settings.text, "&Settings...");
    EXPECT_EQ(quit.type, static_cast<UINT>(MFT_STRING));
    EXPECT_EQ(quit.id, 1901u);
    EXPECT_EQ(quit.text, "&Quit Marigoldwick");
}

int MenuIndexOf(const ItemSeen& item) { return reinterpret_cast<const EntryData*>(item.data)->menuIndex; }

// Screen readers read an owner-drawn entry by the MSAAMENUINFO its item data starts with.
std::string AccessibleName(const ItemSeen& item)
{
    const auto* info = reinterpret_cast<const MSAAMENUINFO*>(item.data);
    if (!info || info->dwMSAASignature != MSAA_MENU_SIG || !info->pszWText) return "(no MSAAMENUINFO)";
    return Utf8(std::wstring(info->pszWText, info->cchWText));
}

bool IsOwnerDrawnEntry(const ItemSeen& item, UINT id, int menuIndex)
{
    return (item.type & ~static_cast<UINT>(MFT_MENUBARBREAK)) == MFT_OWNERDRAW && item.id == id &&
           item.data && MenuIndexOf(item) == menuIndex;
}

bool IsSeparator(const ItemSeen& item) { return item.type == MFT_SEPARATOR && item.id == 1990; }

int TextWidthInMenuFont(const std::string& text)
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    EXPECT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0));
    UniqueGdiObject font(CreateFontIndirectW(&metrics.lfMenuFont));
    UniqueMemoryDC dc(CreateCompatibleDC(nullptr));
    HGDIOBJ old = SelectObject(dc.get(), font.get());
    SIZE size{};
    const std::wstring wide = Wide(text);
    GetTextExtentPoint32W(dc.get(), wide.data(), static_cast<int>(wide.size()), &size);
    SelectObject(dc.get(), old);
    return size.cx;
}

class MenusTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Konfig = {};
        Konfig.IconSize = 16;
        savedReverse = ReverseIconOrder;
        ReverseIconOrder = false;
    }
    void TearDown() override
    {
        DestroyMenus();
        ReleaseMenus(MenuList);
        Konfig = {};
        ReverseIconOrder = savedReverse;
    }

    TOneMenu& Menu(const std::string& name)
    {
        TOneMenu& menu = NewMenu(MenuList, nullptr);
        menu.MenuName = name;
        menu.IconPfad = BinFolder() + "mgoldwk.exe";
        return menu;
    }
    static void Entry(TOneMenu& menu, const std::string& description, bool separator = false)
    {
        auto item = std::make_unique<TOneItem>();
        item->Pfad = separator ? SeparatorMarker : "C:\\windows\\notepad.exe";
        item->Description = description;
        AddItem(menu, std::move(item));
    }

    FakeMessages messages;
    bool savedReverse = false;
};

// ---- popup menu entries ----

using MenuEntries = MenusTest;

TEST_F(MenuEntries, EntriesSeparatorsAndTheFixedCommandsInOrder)
{
    Menu("First");
    TOneMenu& second = Menu("Second");
    Entry(second, "&Editor");
    Entry(second, "-", true);
    Entry(second, "-", true);
    Entry(second, "Просмотр && печать");
    Entry(second, "-", true);
    BuildMenus(DefWindowProcA);

    ASSERT_EQ(TrayEntryList.size(), 2u);
    std::vector<ItemSeen> items = ReadMenu(PopupMenuOf(1));
    ASSERT_EQ(items.size(), 9u);
    EXPECT_TRUE(IsOwnerDrawnEntry(items[0], 0, 1));
    EXPECT_TRUE(IsSeparator(items[1]));
    EXPECT_TRUE(IsSeparator(items[2])) << "two separators in a row stay two";
    EXPECT_TRUE(IsOwnerDrawnEntry(items[3], 3, 1)) << "identifiers count the separators";
    EXPECT_EQ(AccessibleName(items[0]), "&Editor");
    EXPECT_EQ(AccessibleName(items[3]), "Просмотр && печать");
    EXPECT_TRUE(IsSeparator(items[4]));
    EXPECT_TRUE(IsSeparator(items[5])) << "the separator above the fixed commands follows a last separator";
    ExpectFixedTail(items);
    EXPECT_TRUE(messages.Asked().empty());
}

TEST_F(MenuEntries, AMenuWithoutEntriesHasOnlyTheFixedCommands)
{
    Menu("Empty").MaxTextWidth = 77;
    BuildMenus(DefWindowProcA);
    std::vector<ItemSeen> items = ReadMenu(PopupMenuOf(0));
    ASSERT_EQ(items.size(), 3u);
    ExpectFixedTail(items);
    EXPECT_EQ(MenuList[0]->MaxTextWidth, 77) << "no entries: the width is not measured";
}

TEST_F(MenuEntries, OnADarkPopupTheFixedCommandsAreDrawnByTheProgramAndStillReadByName)
{
    Konfig.Theme = 2;  // dark
    static_cast<void>(RefreshTheme());
    Menu("Dark");
    BuildMenus(DefWindowProcA);
    const std::vector<ItemSeen> items = ReadMenu(PopupMenuOf(0));
    Konfig.Theme = 0;
    static_cast<void>(RefreshTheme());
    ASSERT_EQ(items.size(), 3u);
    const char* names[] = {"Quick &launch...", "&Settings...", "&Quit Marigoldwick"};
    for (size_t k = 0; k < 3; ++k) {
        EXPECT_TRUE(items[k].type & MFT_OWNERDRAW) << names[k];
        EXPECT_EQ(AccessibleName(items[k]), names[k]);
    }
}

TEST_F(MenuEntries, EntriesBeyond999AreAppendedInOrderAndNoneTakesAFixedIdentifier)
{
    TOneMenu& big = Menu("Big");
    for (int k = 0; k < 1902; ++k) Entry(big, "E" + std::to_string(k));
    BuildMenus(DefWindowProcA);
    std::vector<ItemSeen> items = ReadMenu(PopupMenuOf(0));
    ASSERT_EQ(items.size(), 1900u + 4u) << "entries from 1900 on would be read as settings and quit";
    for (UINT k = 0; k < 1900; ++k) {
        ASSERT_TRUE(IsOwnerDrawnEntry(items[k], k, 0)) << "position " << k;
    }
    EXPECT_TRUE(IsSeparator(items[1900]));
    ExpectFixedTail(items);
}

TEST_F(MenuEntries, TheWidestDescriptionIsMeasuredInTheMenuFontWithoutSurroundingBlanks)
{
    TOneMenu& menu = Menu("Widths");
    Entry(menu, "Short");
    Entry(menu, "  A much longer description\t ");
    Entry(menu, "Mid length");
    TOneMenu& blanks = Menu("Blanks");
    blanks.MaxTextWidth = 500;
    Entry(blanks, "   ");
    Entry(blanks, "");
    TOneMenu& separatorText = Menu("Separator text");
    Entry(separatorText, "x");
    Entry(separatorText, "A separator's description counts too", true);
    BuildMenus(DefWindowProcA);

    EXPECT_EQ(menu.MaxTextWidth, TextWidthInMenuFont("A much longer description"));
    EXPECT_GT(menu.MaxTextWidth, TextWidthInMenuFont("Mid length"));
    EXPECT_EQ(blanks.MaxTextWidth, 0);
    EXPECT_EQ(separatorText.MaxTextWidth, TextWidthInMenuFont("A separator's description counts too"));
}

TEST_F(MenuEntries, UnicodeDescriptionsAreMeasuredAsTheirCharacters)
{
    TOneMenu& menu = Menu(CyrillicName);
    Entry(menu, CjkName);
    Entry(menu, MixedName);
    Entry(menu, EmojiName);
    BuildMenus(DefWindowProcW);
    // Measured as code-page bytes, every non-ASCII character would count two to four times.
    EXPECT_EQ(menu.MaxTextWidth, TextWidthInMenuFont(MixedName));
    ExpectFixedTail(ReadMenu(PopupMenuOf(0)));
}

// ---- columns ----

TEST_F(MenuEntries, AtAnotherDpiTheMenuFontAndTheMeasuredWidthsScale)
{
    TOneMenu& menu = Menu("First");
    Entry(menu, "A much longer description");
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof(metrics);
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0));
    const int at96 = TextWidthInMenuFont("A much longer description");
    for (UINT dpi : {144u, 192u}) {
        SCOPED_TRACE(dpi);
        BuildMenus(DefWindowProcA, dpi);
        EXPECT_EQ(MenuDpi(), dpi);
        LOGFONTA font{};
        ASSERT_TRUE(GetObjectA(MenuFont(), sizeof(font), &font));
        EXPECT_EQ(font.lfHeight, MulDiv(metrics.lfMenuFont.lfHeight, static_cast<int>(dpi), 96));
        EXPECT_STREQ(font.lfFaceName, metrics.lfMenuFont.lfFaceName);
        // Text does not scale exactly with its font size, but nearly.
        EXPECT_GT(menu.MaxTextWidth, at96 * static_cast<int>(dpi) / 96 * 9 / 10);
        EXPECT_LT(menu.MaxTextWidth, at96 * static_cast<int>(dpi) / 96 * 11 / 10);
    }
    BuildPopupMenus(96);
    EXPECT_EQ(menu.MaxTextWidth, at96);
}

using MenuColumns = MenusTest;

TEST_F(MenuColumns, ALongMenuBreaksIntoColumnsWhereTheWorkAreaEnds)
{
    RECT work{};
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
    const int h = 18;  // icon size 16
    const int perColumn = (work.bottom - work.top - h + h - 1) / h;
    Konfig.MenuBreakIfPossible = true;
    TOneMenu& menu = Menu("Long");
    Entry(menu, "-", true);  // separators take no room in a column
    for (int k = 0; k < 2 * perColumn + 5; ++k) Entry(menu, "Entry " + std::to_string(k));
    BuildMenus(DefWindowProcA);

    std::vector<ItemSeen> items = ReadMenu(PopupMenuOf(0));
    std::vector<UINT> breaks;
    for (const ItemSeen& item : items)
        if (item.type & MFT_MENUBARBREAK) breaks.push_back(item.id);
    EXPECT_EQ(breaks, (std::vector<UINT>{static_cast<UINT>(1 + perColumn), static_cast<UINT>(1 + 2 * perColumn)}));

    Konfig.MenuBreakIfPossible = false;
    BuildMenus(DefWindowProcA);
    for (const ItemSeen& item : ReadMenu(PopupMenuOf(0))) EXPECT_FALSE(item.type & MFT_MENUBARBREAK) << item.id;
}

// ---- notification icons ----

using MenuIcons = MenusTest;

TEST_F(MenuIcons, OneIconPerMenuAndTheToolsIconAllRemovedAgain)
{
    Konfig.UseToolsMenu = true;
    Menu("First");
    Menu("Second");
    BuildMenus(DefWindowProcA);

    ASSERT_EQ(TrayEntryList.size(), 2u);
    std::vector<TrayIconRecord> records;
    std::vector<HWND> windows;
    for (size_t i = 0; i < 2; ++i) {
        const TrayIconRecord& r = TrayEntryList[i].Icon.Record();
        EXPECT_EQ(r.cbSize, static_cast<DWORD>(NOTIFYICONDATAW_V1_SIZE)) << "the first wide record";
        EXPECT_EQ(r.uID, 0u);
        EXPECT_EQ(r.uFlags, 7u);
        EXPECT_EQ(r.uCallbackMessage, 1027u + i);
        EXPECT_EQ(TrayEntryList[i].Icon.Tip(), MenuList[i]->MenuName);
        EXPECT_NE(r.hIcon, nullptr);
        EXPECT_TRUE(IconPresent(r)) << i;
        records.push_back(r);
    }
    const TrayIconRecord& tools = ToolsTrayIcon.Record();
    EXPECT_EQ(tools.uCallbackMessage, 1077u);
    EXPECT_EQ(ToolsTrayIcon.Tip(), "Marigoldwick Tools");
    EXPECT_TRUE(IconPresent(tools));
    records.push_back(tools);
    for (const TrayIconRecord& r : records) {
        ASSERT_TRUE(IsWindow(r.hWnd));
        EXPECT_FALSE(IsWindowVisible(r.hWnd));
        EXPECT_EQ(GetAncestor(r.hWnd, GA_PARENT), GetDesktopWindow()) << "top-level, so broadcasts reach it";
    }

    DestroyMenus();
    EXPECT_TRUE(TrayEntryList.empty());
    EXPECT_FALSE(ToolsTrayIcon.Added());
    for (const TrayIconRecord& r : records) {
        EXPECT_FALSE(DeleteIcon(r)) << "icon " << r.uCallbackMessage << " is still there";
        EXPECT_FALSE(IsWindow(r.hWnd));
    }
}

TEST_F(MenuIcons, NoToolsIconWhenSwitchedOffOrWithoutMenus)
{
    Konfig.UseToolsMenu = true;
    BuildMenus(DefWindowProcA);
    EXPECT_TRUE(TrayEntryList.empty());
    EXPECT_FALSE(ToolsTrayIcon.Added()) << "no menu: no icon at all";

    Konfig.UseToolsMenu = false;
    Menu("Only");
    BuildMenus(DefWindowProcA);
    EXPECT_EQ(TrayEntryList.size(), 1u);
    EXPECT_FALSE(ToolsTrayIcon.Added());
}

TEST_F(MenuIcons, RebuildingReplacesTheIconsInsteadOfAddingMore)
{
    Konfig.UseToolsMenu = true;
    Menu("First");
    BuildMenus(DefWindowProcA);
    TrayIconRecord before = TrayEntryList[0].Icon.Record();
    TrayIconRecord toolsBefore = ToolsTrayIcon.Record();
    BuildMenus(DefWindowProcA);
    EXPECT_FALSE(DeleteIcon(before));
    EXPECT_FALSE(DeleteIcon(toolsBefore));
    EXPECT_TRUE(IconPresent(TrayEntryList[0].Icon.Record()));
    EXPECT_TRUE(IconPresent(ToolsTrayIcon.Record()));
}

TEST_F(MenuIcons, ALongMenuNameIsShortenedInsideTheTipField)
{
    std::string name(100, 'N');
    Menu(name);
    BuildMenus(DefWindowProcA);
    const TrayIconRecord& r = TrayEntryList[0].Icon.Record();
    EXPECT_EQ(TrayEntryList[0].Icon.Tip(), std::string(60, 'N') + "...");
    EXPECT_TRUE(IconPresent(r));
}

// The icons' hidden windows in z-order, from the top: the newest window comes first.
std::vector<UINT> IconsNewestFirst()
{
    std::vector<UINT> order;
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (ToolsTrayIcon.Window() == w) order.push_back(1077);
        for (const TrayEntry& e : TrayEntryList)
            if (e.Icon.Window() == w) order.push_back(e.Icon.Record().uCallbackMessage);
    }
    return order;
}

TEST_F(MenuIcons, ReverseIconOrderAddsTheToolsIconFirstAndTheLastMenuNext)
{
    Konfig.UseToolsMenu = true;
    for (const char* name : {"A", "B", "C"}) Entry(Menu(name), name);

    BuildMenus(DefWindowProcA);
    EXPECT_EQ(IconsNewestFirst(), (std::vector<UINT>{1077, 1029, 1028, 1027}));

    DestroyMenus();
    ReverseIconOrder = true;
    BuildMenus(DefWindowProcA);
    EXPECT_EQ(IconsNewestFirst(), (std::vector<UINT>{1027, 1028, 1029, 1077}));
    for (int i = 0; i < 3; ++i) {
        std::vector<ItemSeen> items = ReadMenu(PopupMenuOf(i));
        ASSERT_FALSE(items.empty());
        EXPECT_EQ(MenuIndexOf(items[0]), i) << "popup " << i << " belongs to menu " << i;
    }
}

TEST_F(MenuIcons, AMenuBeyondFiftyGetsAPopupButNoIconThatWouldTakeTheToolsMessage)
{
    Konfig.UseToolsMenu = true;
    for (int i = 0; i <= MaxMenus; ++i) Menu("M" + std::to_string(i));
    BuildMenus(DefWindowProcA);
    ASSERT_EQ(TrayEntryList.size(), static_cast<size_t>(MaxMenus) + 1);
    EXPECT_EQ(TrayEntryList[MaxMenus - 1].Icon.Record().uCallbackMessage, 1076u);
    EXPECT_FALSE(TrayEntryList[MaxMenus].Icon.Added());
    EXPECT_NE(PopupMenuOf(MaxMenus), nullptr);
    EXPECT_EQ(ToolsTrayIcon.Record().uCallbackMessage, 1077u);
}

TEST_F(MenuIcons, IconsLostWithTheNotificationAreaComeBack)
{
    Konfig.UseToolsMenu = true;
    Menu("First");
    Menu("Second");
    BuildMenus(DefWindowProcA);
    std::vector<TrayIconRecord> records{TrayEntryList[0].Icon.Record(), TrayEntryList[1].Icon.Record(),
                                        ToolsTrayIcon.Record()};
    for (const TrayIconRecord& r : records) ASSERT_TRUE(DeleteIcon(r));
    ReAddTrayIcons();
    for (const TrayIconRecord& r : records) EXPECT_TRUE(IconPresent(r)) << r.uCallbackMessage;
}

TEST_F(MenuIcons, IconsHaveTheSmallIconSizeOfTheirDpiAndAreMadeAgainForANewOneOrANewShell)
{
    Menu("First");
    Menu("Second").IconNum = 3;
    EXPECT_EQ(TrayIconSize(96), 16);
    EXPECT_EQ(TrayIconSize(120), 20);
    EXPECT_EQ(TrayIconSize(144), 24);
    EXPECT_EQ(TrayIconSize(192), 32);
    auto sides = [] {
        std::vector<int> seen;
        for (const TrayEntry& e : TrayEntryList) seen.push_back(IconSide(e.Icon.Record().hIcon));
        return seen;
    };
    BuildMenus(DefWindowProcA, 144);
    EXPECT_EQ(sides(), (std::vector<int>{24, 24}));

    const HICON before = TrayEntryList[0].Icon.Record().hIcon;
    RemakeTrayIcons(120, false);
    EXPECT_EQ(sides(), (std::vector<int>{20, 20}));
    EXPECT_NE(TrayEntryList[0].Icon.Record().hIcon, before);
    for (const TrayEntry& e : TrayEntryList) EXPECT_TRUE(IconPresent(e.Icon.Record()));

    for (const TrayEntry& e : TrayEntryList) ASSERT_TRUE(DeleteIcon(e.Icon.Record()));
    RemakeTrayIcons(96, true);
    EXPECT_EQ(sides(), (std::vector<int>{16, 16}));
    for (const TrayEntry& e : TrayEntryList) EXPECT_TRUE(IconPresent(e.Icon.Record())) << "added again";
}

}  // namespace
