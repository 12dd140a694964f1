// Owner-drawn popup entries drawn into memory device contexts and checked pixel by
// pixel; entry icons taken from real files; pictures loaded after the entries.
#include "driver.h"
#include "menus/entry_icon_win.h"
#include "menus/menu_images_win.h"
#include "menus/menu_items_win.h"
#include "shell/idlist_win.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

constexpr COLORREF Magenta = RGB(255, 0, 255);
constexpr COLORREF IconGreen = RGB(0, 128, 0);

// A 32-bit top-down DIB selected into a memory DC, read back as COLORREFs.
class Surface {
public:
    Surface(int width, int height, COLORREF fill) : width_(width), height_(height)
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dib_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits_, nullptr, 0));
        dc_.reset(CreateCompatibleDC(nullptr));
        old_ = SelectObject(dc_.get(), dib_.get());
        UniqueGdiObject brush(CreateSolidBrush(fill));
        RECT all{0, 0, width, height};
        FillRect(dc_.get(), &all, static_cast<HBRUSH>(brush.get()));
    }
    ~Surface()
    {
        if (dc_) SelectObject(dc_.get(), old_);
    }
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    HDC Dc() const { return dc_.get(); }
    COLORREF At(int x, int y) const
    {
        GdiFlush();
        uint32_t p = static_cast<const uint32_t*>(bits_)[y * width_ + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    std::vector<COLORREF> Pixels() const
    {
        std::vector<COLORREF> all;
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) all.push_back(At(x, y));
        return all;
    }
    // Count of pixels of `colour` inside [left, right) x [top, bottom).
    int Count(COLORREF colour, int left, int top, int right, int bottom) const
    {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) n += At(x, y) == colour;
        return n;
    }

private:
    int width_, height_;
    void* bits_ = nullptr;
    UniqueGdiObject dib_;
    UniqueMemoryDC dc_;
    HGDIOBJ old_ = nullptr;
};

// A 32x32 icon of one colour whose rows from `transparentFrom` on are masked out.
UniqueIcon MakeIcon(COLORREF colour, int transparentFrom)
{
    Surface colourBits(32, 32, colour);
    std::vector<uint8_t> mask(32 * 4, 0);
    for (int y = transparentFrom; y < 32; ++y)
        for (int b = 0; b < 4; ++b) mask[static_cast<size_t>(y * 4 + b)] = 0xFF;
    UniqueGdiObject maskBitmap(CreateBitmap(32, 32, 1, 1, mask.data()));
    HDC screen = GetDC(nullptr);
    UniqueGdiObject colourBitmap(CreateCompatibleBitmap(screen, 32, 32));
    ReleaseDC(nullptr, screen);
    {
        UniqueMemoryDC dc(CreateCompatibleDC(nullptr));
        HGDIOBJ old = SelectObject(dc.get(), colourBitmap.get());
        BitBlt(dc.get(), 0, 0, 32, 32, colourBits.Dc(), 0, 0, SRCCOPY);
        SelectObject(dc.get(), old);
    }
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmMask = static_cast<HBITMAP>(maskBitmap.get());
    info.hbmColor = static_cast<HBITMAP>(colourBitmap.get());
    return UniqueIcon(CreateIconIndirect(&info));
}

// The icon as drawn on magenta.
std::vector<COLORREF> IconPixels(HICON icon)
{
    Surface s(32, 32, Magenta);
    DrawIconEx(s.Dc(), 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL);
    return s.Pixels();
}

std::vector<COLORREF> ImagePixels(HIMAGELIST list, int index)
{
    Surface s(32, 32, Magenta);
    ImageList_Draw(list, index, s.Dc(), 0, 0, ILD_NORMAL);
    return s.Pixels();
}

std::shared_ptr<EntryPictures> Pictures(UniqueIcon leer)
{
    auto pictures = std::make_shared<EntryPictures>();
    pictures->ImgIconLeer = std::move(leer);
    pictures->ImgIconSeparator = MakeIcon(RGB(192, 192, 192), 32);
    return pictures;
}

std::unique_ptr<TOneItem> Entry(std::string pfad, std::string description, int32_t iconNum = DefaultIconNum,
                                std::string iconPfad = {})
{
    auto item = std::make_unique<TOneItem>();
    item->Pfad = std::move(pfad);
    item->Description = std::move(description);
    item->IconNum = iconNum;
    item->IconPfad = std::move(iconPfad);
    return item;
}

std::unique_ptr<TOneItem> Separator()
{
    auto item = Entry(SeparatorMarker, "Sep&arator");
    return item;
}

// mgoldwk.exe (14 icons) copied into a temporary folder under the given name.
std::optional<std::string> CopyProgram(const TempFolder& folder, const std::string& name)
{
    std::string source = BinFolder() + "mgoldwk.exe";
    std::string target = folder.File(name);
    if (!CopyFileA(source.c_str(), target.c_str(), FALSE)) return std::nullopt;
    return target;
}

// ---- Measuring and drawing ---------------------------------------------------------

class MenuItemDraw : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The "placeholder" here is a known opaque picture: an entry without a path
        // shows it, so every pixel of the drawn icon is predictable. Rows 25 to 31 are
        // transparent, so the menu colour shows there and row 24 meets the background
        // inside one halving pair.
        pictures = Pictures(MakeIcon(IconGreen, 25));
        ASSERT_TRUE(pictures->ImgIconLeer);
        TOneMenu& menu = NewMenu(menus, MakeMenuImagesFactory(pictures));
        menu.MaxTextWidth = 100;
        AddItem(menu, Entry("", "Mail"));
        AddItem(menu, Separator());
        AddItem(menu, Entry("", "A very long description that does not fit into the entry at all, not nearly"));
        LoadAllEntryIcons(menu);
        konfig.IconSize = 16;
        font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    }

    struct Drawn {
        std::unique_ptr<Surface> surface;
        RECT rect;
        int mid;
    };
    Drawn Draw(int size, bool selected, UINT itemId = 0, int width = 200)
    {
        konfig.IconSize = static_cast<uint8_t>(size);
        int height = size + 2 * (size / 16);
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
        EXPECT_TRUE(WMDrawItem(draw, 0, menus, konfig, font));
        return d;
    }

    std::shared_ptr<EntryPictures> pictures;
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
    m.itemData = 7;  // no such menu: the active one is asked
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
    // The halved icon: 16 wide from left + 1, green rows 0..11; row 12 mixes green with
    // the background, which counts as black: (0,128,0) + black -> (0,64,0).
    EXPECT_EQ(s.Count(IconGreen, left + 1, iconY, left + 17, iconY + 12), 16 * 12);
    EXPECT_EQ(s.At(left + 1, iconY + 12), RGB(0, 64, 0));
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
    // The icon one pixel higher than in the plain state: its mixed row is at mid - 9 + 12.
    EXPECT_EQ(s.At(left + 5, d.mid - 9 + 12), RGB(0, 64, 0));
    EXPECT_EQ(s.At(left + 5, d.mid - 9 + 11), IconGreen);
    EXPECT_EQ(s.At(left + 5, d.mid - 9 + 13), menuColour);
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

TEST_F(MenuItemDraw, EntryAt64IsDoubled)
{
    Drawn d = Draw(64, false, 0, 300);
    const Surface& s = *d.surface;
    const int left = d.rect.left, iconY = d.mid - 32;
    // 64 wide from left + 4, green rows 0..49 (25 source rows doubled), then the menu colour.
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
        popup.reset(CreatePopupMenu());
        ASSERT_TRUE(popup);
    }
    LRESULT Type(char c, UINT flags = MF_POPUP, HMENU menu = nullptr)
    {
        WPARAM w = MAKEWPARAM(static_cast<unsigned char>(c), flags);
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
        LRESULT def = DefWindowProcA(hwnd, msg, wParam, lParam);
        return WMMenuChar(wParam, lParam, def, 1, st->popup, *st->menus,
                          [st](int m, int i) { st->launched.emplace_back(m, i); });
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
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

        WNDCLASSA wc{};
        wc.lpfnWndProc = PopupOwnerProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "MgwPopupOwner";
        RegisterClassA(&wc);
        owner.reset(CreateWindowExA(WS_EX_TOOLWINDOW, "MgwPopupOwner", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 1, 1,
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
            info.dwItemData = 1;
            info.dwTypeData = text;
            ASSERT_TRUE(InsertMenuItemA(popup.get(), k, TRUE, &info));
        }
        AppendMenuA(popup.get(), MF_STRING, 1900, "&Settings...");
    }
    void TearDown() override { OwnerState = nullptr; }

    // Opens the popup with the given keystrokes already queued; returns the command.
    UINT Track(std::initializer_list<std::pair<UINT, WPARAM>> keys)
    {
        for (auto [msg, key] : keys) PostMessageA(owner.get(), msg, key, 0);
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

TEST_F(MenuItemPopup, UnmatchedCharacterLeavesTheMenuOpen)
{
    // "x" matches nothing: the menu stays open until Escape closes it, nothing starts.
    Track({{WM_CHAR, 'x'}, {WM_KEYDOWN, VK_ESCAPE}});
    EXPECT_TRUE(state.launched.empty());
    // The fixed entry's own mnemonic is the system's business: it chooses command 1900.
    EXPECT_EQ(Track({{WM_CHAR, 's'}}), 1900u);
    EXPECT_TRUE(state.launched.empty());
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

// ---- GetEntryIcon --------------------------------------------------------------------

class EntryIconTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        placeholder = MakeIcon(RGB(10, 20, 30), 32);
        folder = TempFolder::Create();
        ASSERT_TRUE(folder);
        std::optional<std::string> program = CopyProgram(*folder, "TOOL.EXE");
        ASSERT_TRUE(program) << BinFolder();
        upper = *program;
        lower = folder->Path();
        CharLowerA(lower.data());
        lower += "tool.exe";
        ASSERT_TRUE(folder->Write("notes.txt", "some notes"));
        first = IconPixels(UniqueIcon(ExtractIconA(GetModuleHandleA(nullptr), upper.c_str(), 0)).get());
        second = IconPixels(UniqueIcon(ExtractIconA(GetModuleHandleA(nullptr), upper.c_str(), 1)).get());
        ASSERT_NE(first, second);
    }
    void TearDown() override { CoUninitialize(); }

    std::vector<COLORREF> Get(std::string_view path, bool isPidl, int32_t num, const std::string& iconPath = {})
    {
        UniqueIcon icon = GetEntryIcon(path, isPidl, num, iconPath, placeholder.get());
        EXPECT_TRUE(icon);
        if (!icon) return {};
        EXPECT_NE(icon.get(), placeholder.get());  // always the caller's own handle
        return IconPixels(icon.get());
    }
    std::vector<COLORREF> Placeholder() { return IconPixels(placeholder.get()); }

    UniqueIcon placeholder;
    std::optional<TempFolder> folder;
    std::string upper, lower;
    std::vector<COLORREF> first, second;
};

TEST_F(EntryIconTest, ProgramTakesItsFirstIconInAnyLetterCase)
{
    EXPECT_EQ(Get(upper, false, -99), first);
    EXPECT_EQ(Get(lower, false, -99), first);
}

TEST_F(EntryIconTest, IconNumberPicksFromTheIconFile)
{
    EXPECT_EQ(Get(upper, false, 1, upper), second);
    EXPECT_EQ(Get("C:\\whatever.txt", false, 0, lower), first);
}

TEST_F(EntryIconTest, DocumentTakesTheShellsIcon)
{
    std::string notes = folder->File("notes.txt");
    SHFILEINFOA info{};
    ASSERT_NE(SHGetFileInfoA(notes.c_str(), 0, &info, sizeof(info), SHGFI_ICON), 0u);
    UniqueIcon shell(info.hIcon);
    std::vector<COLORREF> got = Get(notes, false, -99);
    EXPECT_EQ(got, IconPixels(shell.get()));
    EXPECT_NE(got, Placeholder());
}

TEST_F(EntryIconTest, WhatHasNoIconGetsThePlaceholder)
{
    EXPECT_EQ(Get("", false, -99), Placeholder());
    EXPECT_EQ(Get(folder->File("missing.exe"), false, -99), Placeholder());      // ExtractIconA: 0
    EXPECT_EQ(Get(folder->File("missing.txt"), false, -99), Placeholder());      // no such file
    EXPECT_EQ(Get(upper, false, 50, upper), Placeholder());                      // no icon 50
    EXPECT_EQ(Get(upper, false, 0, folder->File("notes.txt")), Placeholder());   // ExtractIconA: 1
    EXPECT_EQ(Get(upper, false, 0, ""), Placeholder());
}

TEST_F(EntryIconTest, IdentifierListTakesTheShellsIcon)
{
    ComPtr<IShellFolder> desktop;
    ASSERT_TRUE(SUCCEEDED(SHGetDesktopFolder(&desktop)));
    std::wstring wide(upper.begin(), upper.end());
    ITEMIDLIST* parsed = nullptr;
    ASSERT_TRUE(SUCCEEDED(desktop->ParseDisplayName(nullptr, nullptr, wide.data(), nullptr, &parsed, nullptr)));
    ShellIdList list(parsed);
    std::string bytes = IdListToBytes(list.get());
    UniqueIcon shell = GetIdListIcon(list.get(), true, false);
    ASSERT_TRUE(shell);

    EXPECT_EQ(Get(bytes, true, -99), IconPixels(shell.get()));
    EXPECT_EQ(Get(bytes, true, 1, upper), second);
    // Bytes that are no complete list never reach the shell.
    EXPECT_EQ(Get(bytes.substr(0, bytes.size() - 1), true, -99), Placeholder());
    EXPECT_EQ(Get("", true, -99), Placeholder());
}

// ---- Pictures loaded after the entries -------------------------------------------------

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
