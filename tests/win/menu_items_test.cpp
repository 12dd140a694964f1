// Owner-drawn popup entries drawn into memory device contexts and checked pixel by
// pixel, their keyboard mnemonics, a real popup menu asking for them, and shortened texts.
#include "menu_pictures.h"
#include "menus/menu_items_win.h"
#include "menus/type_ahead.h"
#include "unicode_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using namespace menu_pictures;

constexpr COLORREF IconGreen = RGB(0, 128, 0);

// ---- Measuring and drawing ---------------------------------------------------------

class MenuItemDraw : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Entries show a known picture at each size: green in the top 25/32 of its rows,
        // transparent below, so the menu colour shows there.
        pictures = Pictures(MakeIcon(RGB(0, 0, 0), 0));
        service = QuietService(pictures, ColourSource().source);
        TOneMenu& menu = NewMenu(menus, MakeMenuImagesFactory(service));
        menu.MaxTextWidth = 100;
        AddItem(menu, Entry(ColourPath(IconGreen), "Mail"));
        AddItem(menu, Separator());
        AddItem(menu, Entry(ColourPath(IconGreen), "A very long description that does not fit into the entry at all, not nearly"));
        for (int size : {16, 32, 64}) ImageListOf(menu)->RequestPictures(size, PictureUrgency::Rest);
        ASSERT_TRUE(Settle(*service, menus));
        konfig.IconSize = 16;
        font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    }

    struct Drawn {
        std::unique_ptr<Surface> surface;
        RECT rect;
        int mid;
    };
    // At another DPI the entry is as high as WMMeasureItem said (`height`).
    Drawn Draw(int size, bool selected, UINT itemId = 0, int width = 200, UINT dpi = 96, int height = 0)
    {
        konfig.IconSize = static_cast<uint8_t>(size);
        if (height == 0) height = size + 2 * (size / 16);
        Drawn d{std::make_unique<Surface>(width + 40, height + 20, Magenta), RECT{10, 7, 10 + width, 7 + height}, 0};
        d.mid = d.rect.top + height / 2;
        DRAWITEMSTRUCT draw{};
        draw.CtlType = ODT_MENU;
        draw.itemID = itemId;
        draw.itemAction = ODA_DRAWENTIRE;
        draw.itemState = selected ? ODS_SELECTED : 0;
        draw.hDC = d.surface->Dc();
        draw.rcItem = d.rect;
        draw.itemData = 0;
        EXPECT_TRUE(WMDrawItem(draw, 0, menus, konfig, font, dpi));
        return d;
    }

    std::shared_ptr<EntryPictures> pictures;
    std::shared_ptr<EntryPictureService> service;
    TMenuList menus;
    TKonfig konfig;
    HFONT font = nullptr;
    const COLORREF menuColour = GetSysColor(COLOR_MENU);
    const COLORREF textColour = GetSysColor(COLOR_MENUTEXT);
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    const COLORREF highlightText = GetSysColor(COLOR_HIGHLIGHTTEXT);
};

TEST_F(MenuItemDraw, MeasureFollowsIconSizeAndCachedTextWidth)
{
    MEASUREITEMSTRUCT m{};
    m.CtlType = ODT_MENU;
    m.itemID = 0;
    for (auto [size, width, height] : {std::tuple{16u, 120u, 18u}, {32u, 140u, 36u}, {64u, 180u, 72u}}) {
        konfig.IconSize = static_cast<uint8_t>(size);
        ASSERT_TRUE(WMMeasureItem(m, 0, menus, konfig));
        EXPECT_EQ(m.itemWidth, width) << size;
        EXPECT_EQ(m.itemHeight, height) << size;
    }
}

TEST_F(MenuItemDraw, MeasureCapsTheWidthAtScreenWidthLess64)
{
    const int screen = GetSystemMetrics(SM_CXSCREEN);
    menus[0]->MaxTextWidth = screen;  // 1000 on a 1024 screen in the classic case
    konfig.IconSize = 64;
    MEASUREITEMSTRUCT m{};
    m.CtlType = ODT_MENU;
    ASSERT_TRUE(WMMeasureItem(m, 0, menus, konfig));
    EXPECT_EQ(m.itemWidth, static_cast<UINT>(screen - 64));
    EXPECT_EQ(m.itemHeight, 72u);
}

TEST_F(MenuItemDraw, AtAnotherDpiTheEntryIsMeasuredAndDrawnAtThatScaleWithItsOwnPicture)
{
    for (int size : {24, 48}) ImageListOf(*menus[0])->RequestPictures(size, PictureUrgency::Rest);
    ASSERT_TRUE(Settle(*service, menus));
    struct Case {
        int size;
        UINT width, height;
        int iconLeft, picture, textLeft;
    };
    // 100 pixels of text (the menu's cached width, measured in the font of that DPI).
    for (const Case& c : {Case{16, 132, 28, 2, 24, 32}, Case{32, 160, 54, 3, 48, 60}}) {
        SCOPED_TRACE(c.size);
        konfig.IconSize = static_cast<uint8_t>(c.size);
        MEASUREITEMSTRUCT m{};
        m.CtlType = ODT_MENU;
        ASSERT_TRUE(WMMeasureItem(m, 0, menus, konfig, 144));
        EXPECT_EQ(m.itemWidth, c.width);
        EXPECT_EQ(m.itemHeight, c.height);

        Drawn d = Draw(c.size, false, 0, 200, 144, static_cast<int>(m.itemHeight));
        const Surface& s = *d.surface;
        const int left = d.rect.left, top = d.rect.top, bottom = d.rect.bottom;
        std::vector<int> greenColumns;
        for (int x = left; x < d.rect.right; ++x)
            if (s.Count(IconGreen, x, top, x + 1, bottom) > 0) greenColumns.push_back(x);
        ASSERT_FALSE(greenColumns.empty());
        EXPECT_EQ(greenColumns.front(), left + c.iconLeft);
        EXPECT_EQ(greenColumns.back(), left + c.iconLeft + c.picture - 1) << "the picture made at its true size";
        EXPECT_EQ(greenColumns.size(), static_cast<size_t>(c.picture));
        EXPECT_EQ(s.Count(IconGreen, left, top, d.rect.right, bottom), c.picture * (c.picture * 25 / 32));
        EXPECT_EQ(s.Count(textColour, left, top, left + c.textLeft, bottom), 0);
        EXPECT_GT(s.Count(textColour, left + c.textLeft, top, left + c.textLeft + 10, bottom), 0);
    }
}

TEST_F(MenuItemDraw, OnlyCommandEntriesOfKnownMenusAreAnswered)
{
    MEASUREITEMSTRUCT m{};
    m.CtlType = ODT_MENU;
    m.itemID = 1;  // the separator
    EXPECT_FALSE(WMMeasureItem(m, 0, menus, konfig));
    m.itemID = 3;
    EXPECT_FALSE(WMMeasureItem(m, 0, menus, konfig));
    m.itemID = 0;
    m.CtlType = ODT_BUTTON;
    EXPECT_FALSE(WMMeasureItem(m, 0, menus, konfig));
    m.CtlType = ODT_MENU;
    EntryData missing(7, L"");  // no such menu: the active one is asked
    m.itemData = reinterpret_cast<ULONG_PTR>(&missing);
    EXPECT_FALSE(WMMeasureItem(m, 5, menus, konfig));
    EXPECT_TRUE(WMMeasureItem(m, 0, menus, konfig));

    Surface s(100, 40, Magenta);
    DRAWITEMSTRUCT d{};
    d.CtlType = ODT_MENU;
    d.itemID = 1;
    d.hDC = s.Dc();
    d.rcItem = RECT{0, 0, 100, 18};
    EXPECT_FALSE(WMDrawItem(d, 0, menus, konfig, font));
    EXPECT_EQ(s.Count(Magenta, 0, 0, 100, 40), 100 * 40);  // nothing drawn
}

TEST_F(MenuItemDraw, PlainEntryAt16)
{
    Drawn d = Draw(16, false);
    const Surface& s = *d.surface;
    const int left = d.rect.left, top = d.rect.top, iconY = d.mid - 8;
    // Nothing outside the rectangle; the menu colour left of the icon.
    EXPECT_EQ(s.At(left - 1, top), Magenta);
    EXPECT_EQ(s.At(d.rect.right, top), Magenta);
    EXPECT_EQ(s.At(left, top - 1), Magenta);
    EXPECT_EQ(s.At(left, d.rect.bottom), Magenta);
    EXPECT_EQ(s.At(left, d.mid), menuColour);
    EXPECT_EQ(s.At(left + 1, iconY - 1), menuColour);
    // The 16-pixel picture itself: 16 wide from left + 1, green rows 0..11.
    EXPECT_EQ(s.Count(IconGreen, left + 1, iconY, left + 17, iconY + 12), 16 * 12);
    EXPECT_EQ(s.At(left + 1, iconY + 12), menuColour);
    EXPECT_EQ(s.At(left + 16, iconY + 13), menuColour);
    EXPECT_EQ(s.At(left + 17, iconY), menuColour);
    // The text from left + 20 in the menu text colour, nothing of it further left.
    EXPECT_EQ(s.Count(textColour, left, top, left + 20, d.rect.bottom), 0);
    EXPECT_GT(s.Count(textColour, left + 20, top, left + 30, d.rect.bottom), 0);
    EXPECT_EQ(s.Count(highlight, left, top, d.rect.right, d.rect.bottom), 0);
    EXPECT_EQ(s.At(d.rect.right - 1, d.mid), menuColour);
}

TEST_F(MenuItemDraw, ChosenEntryAt16)
{
    Drawn d = Draw(16, true);
    const Surface& s = *d.surface;
    const int left = d.rect.left, top = d.rect.top, bottom = d.rect.bottom;
    // Highlight from left + 19 to the right edge, full height; not before it.
    EXPECT_EQ(s.At(left + 19, top), highlight);
    EXPECT_EQ(s.At(left + 19, bottom - 1), highlight);
    EXPECT_EQ(s.At(d.rect.right - 1, d.mid), highlight);
    EXPECT_EQ(s.At(left + 18, d.mid), menuColour);
    EXPECT_EQ(s.Count(highlight, left, top, left + 19, bottom), 0);
    EXPECT_GT(s.Count(highlightText, left + 20, top, left + 30, bottom), 0);
    EXPECT_EQ(s.Count(textColour == highlight ? Magenta : textColour, left + 19, top, d.rect.right, bottom), 0);
    // A raised 18x18 frame at the left edge: light top-left, dark bottom-right.
    const COLORREF light = GetSysColor(COLOR_3DLIGHT), dark = GetSysColor(COLOR_3DDKSHADOW);
    EXPECT_EQ(s.At(left, top + 5), light);
    EXPECT_EQ(s.At(left + 5, top), light);
    EXPECT_EQ(s.At(left + 17, top + 5), dark);
    EXPECT_EQ(s.At(left + 5, top + 17), dark);
    // The icon one pixel higher than in the plain state: its last green row is at mid - 9 + 11.
    EXPECT_EQ(s.At(left + 5, d.mid - 9 + 11), IconGreen);
    EXPECT_EQ(s.At(left + 5, d.mid - 9 + 12), menuColour);
}

TEST_F(MenuItemDraw, PlainAndChosenEntryAt32)
{
    Drawn plain = Draw(32, false);
    const int left = plain.rect.left, iconY = plain.mid - 16;
    // Unscaled: 32 wide from left + 2, green rows 0..24, menu colour below.
    EXPECT_EQ(plain.surface->Count(IconGreen, left + 2, iconY, left + 34, iconY + 25), 32 * 25);
    EXPECT_EQ(plain.surface->At(left + 2, iconY + 25), menuColour);
    EXPECT_EQ(plain.surface->At(left + 34, iconY), menuColour);
    EXPECT_EQ(plain.surface->At(left + 1, iconY), menuColour);
    EXPECT_EQ(plain.surface->Count(textColour, left, plain.rect.top, left + 40, plain.rect.bottom), 0);
    EXPECT_GT(plain.surface->Count(textColour, left + 40, plain.rect.top, left + 50, plain.rect.bottom), 0);

    Drawn chosen = Draw(32, true);
    const Surface& s = *chosen.surface;
    EXPECT_EQ(s.At(left + 2, iconY - 1), IconGreen);
    EXPECT_EQ(s.At(left + 2, iconY + 24), menuColour);
    EXPECT_EQ(s.At(left + 38, chosen.mid), highlight);
    EXPECT_EQ(s.At(left + 37, chosen.mid), menuColour);
    // Frame 36x36 from mid - 18.
    const COLORREF light = GetSysColor(COLOR_3DLIGHT), dark = GetSysColor(COLOR_3DDKSHADOW);
    EXPECT_EQ(s.At(left, chosen.mid), light);
    EXPECT_EQ(s.At(left + 35, chosen.mid), dark);
    EXPECT_EQ(s.At(left + 20, chosen.mid - 18), light);
    EXPECT_EQ(s.At(left + 20, chosen.mid + 17), dark);
}

TEST_F(MenuItemDraw, EntryAt64ShowsThe64PixelPicture)
{
    Drawn d = Draw(64, false, 0, 300);
    const Surface& s = *d.surface;
    const int left = d.rect.left, iconY = d.mid - 32;
    // 64 wide from left + 4, green rows 0..49, then the menu colour.
    EXPECT_EQ(s.Count(IconGreen, left + 4, iconY, left + 68, iconY + 50), 64 * 50);
    EXPECT_EQ(s.Count(menuColour, left + 4, iconY + 50, left + 68, iconY + 64), 64 * 14);
    EXPECT_EQ(s.At(left + 3, iconY), menuColour);
    EXPECT_EQ(s.At(left + 68, iconY), menuColour);
    EXPECT_EQ(s.Count(textColour, left, d.rect.top, left + 80, d.rect.bottom), 0);
    EXPECT_GT(s.Count(textColour, left + 80, d.rect.top, left + 90, d.rect.bottom), 0);
}

TEST_F(MenuItemDraw, OtherIconSizesDrawThePictureUnscaled)
{
    Drawn d = Draw(24, false);
    const int left = d.rect.left, iconY = d.mid - 12;
    // The text, from left + 28, is drawn over the right end of the unscaled picture.
    EXPECT_EQ(d.surface->Count(IconGreen, left + 1, iconY, left + 28, iconY + 25), 27 * 25);
    EXPECT_EQ(d.surface->At(left + 32, iconY + 24), IconGreen);
    EXPECT_EQ(d.surface->At(left + 33, iconY + 24), menuColour);
    // The picture is taller than the entry: what reaches past its bottom edge is cut off.
    EXPECT_EQ(iconY + 25, d.rect.bottom);
    EXPECT_EQ(d.surface->Count(Magenta, left, d.rect.bottom, left + 40, d.rect.bottom + 8), 40 * 8);
}

TEST_F(MenuItemDraw, LeavesTheDeviceContextAsItWas)
{
    Surface s(300, 40, Magenta);
    SetTextColor(s.Dc(), RGB(1, 2, 3));
    SetBkColor(s.Dc(), RGB(4, 5, 6));
    SetBkMode(s.Dc(), TRANSPARENT);
    HGDIOBJ before = GetCurrentObject(s.Dc(), OBJ_FONT);
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_MENU;
    draw.itemState = ODS_SELECTED;
    draw.hDC = s.Dc();
    draw.rcItem = RECT{0, 0, 200, 18};
    ASSERT_TRUE(WMDrawItem(draw, 0, menus, konfig, font));
    EXPECT_EQ(GetTextColor(s.Dc()), RGB(1, 2, 3));
    EXPECT_EQ(GetBkColor(s.Dc()), RGB(4, 5, 6));
    EXPECT_EQ(GetBkMode(s.Dc()), TRANSPARENT);
    EXPECT_EQ(GetCurrentObject(s.Dc(), OBJ_FONT), before);
}

// ---- Keyboard mnemonics --------------------------------------------------------------

class MenuItemMenuChar : public ::testing::Test {
protected:
    void SetUp() override
    {
        TOneMenu& other = NewMenu(menus, nullptr);
        AddItem(other, Entry("", "&Mail elsewhere"));
        TOneMenu& menu = NewMenu(menus, nullptr);
        for (const char* text : {"Editor", "Mail &", "&Mail", "&mail two", "A&&B", "&1 First"})
            AddItem(menu, Entry("", text));
        AddItem(menu, Separator());
        // Entries 7 to 10: mnemonics outside A-Z.
        for (const char* text : {"&Привет", "&привет два", "Ε&λληνικά", "&漢字"}) AddItem(menu, Entry("", text));
        popup.reset(CreatePopupMenu());
        ASSERT_TRUE(popup);
    }
    LRESULT Type(wchar_t c, UINT flags = MF_POPUP, HMENU menu = nullptr)
    {
        WPARAM w = MAKEWPARAM(c, flags);
        return WMMenuChar(w, reinterpret_cast<LPARAM>(menu ? menu : popup.get()), 12345, 1, popup.get(), menus,
                          [&](int m, int i) { launched.emplace_back(m, i); });
    }

    TMenuList menus;
    UniqueMenu popup;
    std::vector<std::pair<int, int>> launched;
};

TEST_F(MenuItemMenuChar, LetterStartsTheFirstMatchingEntryInEitherCase)
{
    EXPECT_EQ(Type('m'), 0x10000);
    EXPECT_EQ(Type('M'), 0x10000);
    EXPECT_EQ(launched, (std::vector<std::pair<int, int>>{{1, 2}, {1, 2}}));
}

TEST_F(MenuItemMenuChar, DigitsMatchAndUnmatchedKeysAreIgnored)
{
    EXPECT_EQ(Type('1'), 0x10000);
    EXPECT_EQ(Type('e'), 0);  // "Editor" has no mnemonic: the system beeps
    EXPECT_EQ(Type('&'), 0);  // "A&&B": no key's code is "&"
    EXPECT_EQ(Type('b'), 0);
    EXPECT_EQ(Type('a'), 0);  // only a separator says "&a": it is never started
    EXPECT_EQ(launched, (std::vector<std::pair<int, int>>{{1, 5}}));
}

TEST_F(MenuItemMenuChar, LettersOfOtherScriptsMatchTheFirstEntryByTheSystemsCaseRule)
{
    EXPECT_EQ(Type(L'п'), 0x10000);
    EXPECT_EQ(Type(L'П'), 0x10000);
    EXPECT_EQ(Type(L'Λ'), 0x10000);  // "λ" in the entry
    EXPECT_EQ(Type(L'漢'), 0x10000);
    EXPECT_EQ(Type(L'ж'), 0);
    EXPECT_EQ(launched, (std::vector<std::pair<int, int>>{{1, 7}, {1, 7}, {1, 9}, {1, 10}}));
}

TEST_F(MenuItemMenuChar, OtherMenusKeepTheDefaultAnswer)
{
    UniqueMenu other(CreatePopupMenu());
    EXPECT_EQ(Type('m', 0), 12345);               // not a popup
    EXPECT_EQ(Type('m', MF_POPUP, other.get()), 12345);  // not the active popup
    EXPECT_TRUE(launched.empty());
}

// ---- A real popup menu asking a window for its entries -------------------------------

struct PopupOwnerState {
    TMenuList* menus = nullptr;
    HMENU popup = nullptr;
    TKonfig konfig;
    std::vector<UINT> measured;  // item ids
    std::vector<UINT> drawn;
    std::vector<std::pair<int, int>> launched;
    UINT measuredHeight = 0;
};
PopupOwnerState* OwnerState = nullptr;

LRESULT CALLBACK PopupOwnerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    PopupOwnerState* st = OwnerState;
    if (st && msg == WM_MEASUREITEM) {
        auto& m = *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (WMMeasureItem(m, 1, *st->menus, st->konfig)) {
            st->measured.push_back(m.itemID);
            st->measuredHeight = m.itemHeight;
            return TRUE;
        }
    }
    if (st && msg == WM_DRAWITEM) {
        const auto& d = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (WMDrawItem(d, 1, *st->menus, st->konfig, nullptr)) {
            st->drawn.push_back(d.itemID);
            return TRUE;
        }
    }
    if (st && msg == WM_MENUCHAR) {
        LRESULT def = DefWindowProcW(hwnd, msg, wParam, lParam);
        return WMMenuChar(wParam, lParam, def, 1, st->popup, *st->menus,
                          [st](int m, int i) { st->launched.emplace_back(m, i); });
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

VOID CALLBACK CloseStuckMenu(HWND, UINT, UINT_PTR, DWORD) { EndMenu(); }

class MenuItemPopup : public ::testing::Test {
protected:
    void SetUp() override
    {
        NewMenu(menus, nullptr);
        TOneMenu& menu = NewMenu(menus, nullptr);
        menu.MaxTextWidth = 80;
        for (const char* text : {"Editor", "&Mail", "&Notes"}) AddItem(menu, Entry("", text));
        state.menus = &menus;
        state.konfig.IconSize = 32;
        OwnerState = &state;

        // A wide window: WM_MENUCHAR then carries the typed character in UTF-16.
        WNDCLASSW wc{};
        wc.lpfnWndProc = PopupOwnerProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"MgwPopupOwner";
        RegisterClassW(&wc);
        owner.reset(CreateWindowExW(WS_EX_TOOLWINDOW, L"MgwPopupOwner", L"owner", WS_POPUP | WS_VISIBLE, 0, 0, 1, 1,
                                    nullptr, nullptr, wc.hInstance, nullptr));
        ASSERT_TRUE(owner);
        popup.reset(CreatePopupMenu());
        state.popup = popup.get();
        static char text[] = "(to be filled in)";
        for (UINT k = 0; k < 3; ++k) {
            MENUITEMINFOA info{};
            info.cbSize = sizeof(info);
            info.fMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_CHECKMARKS | MIIM_TYPE | MIIM_DATA;
            info.fType = MFT_OWNERDRAW;
            info.wID = k;
            info.dwItemData = 0;
            info.dwTypeData = text;
            ASSERT_TRUE(InsertMenuItemA(popup.get(), k, TRUE, &info));
        }
        AppendMenuA(popup.get(), MF_STRING, 1900, "&Settings...");
    }
    void TearDown() override { OwnerState = nullptr; }

    // Opens the popup with the given keystrokes already queued; returns the command.
    UINT Track(std::initializer_list<std::pair<UINT, WPARAM>> keys)
    {
        for (auto [msg, key] : keys) PostMessageW(owner.get(), msg, key, 0);
        UINT_PTR safety = SetTimer(nullptr, 0, 3000, CloseStuckMenu);
        SetForegroundWindow(owner.get());
        UINT command = TrackPopupMenuEx(popup.get(), TPM_RETURNCMD | TPM_NONOTIFY, 100, 100, owner.get(), nullptr);
        KillTimer(nullptr, safety);
        return command;
    }

    TMenuList menus;
    PopupOwnerState state;
    UniqueWindow owner;
    UniqueMenu popup;
};

TEST_F(MenuItemPopup, SystemMeasuresAndDrawsTheEntriesThroughTheHandlers)
{
    Track({{WM_KEYDOWN, VK_ESCAPE}});
    EXPECT_EQ(state.measured, (std::vector<UINT>{0, 1, 2}));
    EXPECT_EQ(state.measuredHeight, 36u);
    std::sort(state.drawn.begin(), state.drawn.end());
    state.drawn.erase(std::unique(state.drawn.begin(), state.drawn.end()), state.drawn.end());
    EXPECT_EQ(state.drawn, (std::vector<UINT>{0, 1, 2}));
    EXPECT_TRUE(state.launched.empty());
}

TEST_F(MenuItemPopup, MnemonicStartsTheEntryAndClosesTheMenu)
{
    UINT command = Track({{WM_CHAR, 'n'}});
    EXPECT_EQ(command, 0u);  // closed without a command
    EXPECT_EQ(state.launched, (std::vector<std::pair<int, int>>{{1, 2}}));
}

TEST_F(MenuItemPopup, CyrillicMnemonicStartsItsEntry)
{
    menus[1]->Items[0]->Description = "&Жук";
    EXPECT_EQ(Track({{WM_CHAR, L'ж'}}), 0u);
    EXPECT_EQ(state.launched, (std::vector<std::pair<int, int>>{{1, 0}}));
}

TEST_F(MenuItemPopup, UnmatchedCharacterLeavesTheMenuOpen)
{
    // "x" matches nothing: the menu stays open until Escape closes it, nothing starts.
    Track({{WM_CHAR, 'x'}, {WM_KEYDOWN, VK_ESCAPE}});
    EXPECT_TRUE(state.launched.empty());
    // The fixed entry's own mnemonic is the system's business: it chooses command 1900.
    EXPECT_EQ(Track({{WM_CHAR, 's'}}), 1900u);
    EXPECT_TRUE(state.launched.empty());
}

TEST_F(MenuItemPopup, LettersTypedOneAfterAnotherSelectTheEntryTheyBegin)
{
    const char* texts[] = {"Report alpha", "Record t&wo", "Reader gamma"};
    for (size_t k = 0; k < 3; ++k) menus[1]->Items[k]->Description = texts[k];
    // "r" and "e" select "Report alpha", "a" then "Reader gamma"; Enter chooses it.
    EXPECT_EQ(Track({{WM_CHAR, 'r'}, {WM_CHAR, 'E'}, {WM_CHAR, 'a'}, {WM_KEYDOWN, VK_RETURN}}), 2u);
    EXPECT_TRUE(state.launched.empty()) << "selected, not started";
    Sleep(TypeAheadBuffer::PauseMs);
    // A mnemonic keeps its meaning in the middle of typed text.
    EXPECT_EQ(Track({{WM_CHAR, 'r'}, {WM_CHAR, 'e'}, {WM_CHAR, 'w'}}), 0u);
    EXPECT_EQ(state.launched, (std::vector<std::pair<int, int>>{{1, 1}}));
}

// ---- ShortenText ---------------------------------------------------------------------

TEST(MenuItemShortenText, FitsOrEndsInAnEllipsis)
{
    UniqueMemoryDC dc(CreateCompatibleDC(nullptr));
    SelectObject(dc.get(), GetStockObject(DEFAULT_GUI_FONT));
    EXPECT_EQ(ShortenText("-( Tools )-", 153, dc.get()), "-( Tools )-");
    EXPECT_EQ(ShortenText("", 153, dc.get()), "");
    const std::string longName = "-( A menu with a name far too long for the label of the settings window )-";
    std::string shortened = ShortenText(longName, 153, dc.get());
    ASSERT_GT(shortened.size(), 3u);
    EXPECT_LT(shortened.size(), longName.size());
    EXPECT_EQ(shortened.substr(shortened.size() - 3), "...");
    EXPECT_EQ(longName.compare(0, shortened.size() - 3, shortened, 0, shortened.size() - 3), 0);
    SIZE size{};
    GetTextExtentPoint32A(dc.get(), shortened.c_str(), static_cast<int>(shortened.size()), &size);
    EXPECT_LE(size.cx, 153);
}

TEST(MenuItemShortenText, UnicodeTextIsCutBetweenCharacters)
{
    UniqueMemoryDC dc(CreateCompatibleDC(nullptr));
    SelectObject(dc.get(), GetStockObject(DEFAULT_GUI_FONT));
    EXPECT_EQ(ShortenText(CyrillicName, 153, dc.get()), CyrillicName);
    const std::string longName = std::string(MixedName) + " " + MixedName + " " + MixedName;
    std::string shortened = ShortenText(longName, 153, dc.get());
    ASSERT_GT(shortened.size(), 3u);
    EXPECT_EQ(shortened.substr(shortened.size() - 3), "...");
    const std::string kept = shortened.substr(0, shortened.size() - 3);
    EXPECT_EQ(longName.compare(0, kept.size(), kept), 0) << shortened;
    EXPECT_EQ(Utf8(Wide(kept)), kept) << "no character cut in half";
    SIZE size{};
    const std::wstring wide = Wide(shortened);
    GetTextExtentPoint32W(dc.get(), wide.data(), static_cast<int>(wide.size()), &size);
    EXPECT_LE(size.cx, 153);
}

}  // namespace
