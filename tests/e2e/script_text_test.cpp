// Names in Latin, Cyrillic and Greek letters and with a combining accent, as the real
// mgoldwk.exe draws them in the popup, the quick-launch box and the settings window's
// lists and mask: the ink read from the screen holds each name as the system draws it
// here in the font the place is to use, with no box or bar for a character.
#include "app_test.h"
#include "win/system_function.h"
#include "win/text_conversion.h"

#include <gtest/gtest.h>
#include <usp10.h>

#include <cstdlib>
#include <vector>

namespace {

constexpr const char* Names[] = {"Notepad", "Блокнот", "Γάτα", "Cafe\xCC\x81"};

struct Gray {
    int w = 0, h = 0;
    std::vector<int> v;  // luminance, row by row
    int At(int x, int y) const { return v[static_cast<size_t>(y * w + x)]; }
};

Gray Read(HDC source, RECT r)
{
    Gray g{static_cast<int>(r.right - r.left), static_cast<int>(r.bottom - r.top), {}};
    ScopedGetDC screen(nullptr);
    UniqueMemoryDC dc(CreateCompatibleDC(screen.get()));
    UniqueGdiObject bitmap(CreateCompatibleBitmap(screen.get(), g.w, g.h));
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), g.w, -g.h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<RGBQUAD> pixels(static_cast<size_t>(g.w * g.h));
    {
        ScopedSelectObject select(dc.get(), bitmap.get());
        BitBlt(dc.get(), 0, 0, g.w, g.h, source, r.left, r.top, SRCCOPY);
    }
    GetDIBits(dc.get(), static_cast<HBITMAP>(bitmap.get()), 0, g.h, pixels.data(), &info, DIB_RGB_COLORS);
    for (const RGBQUAD& p : pixels) g.v.push_back((p.rgbRed * 3 + p.rgbGreen * 6 + p.rgbBlue) / 10);
    return g;
}

Gray OnScreen(HWND window)
{
    RECT r{};
    GetClientRect(window, &r);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return Read(ScopedGetDC(nullptr).get(), r);
}

// An edit field draws through Uniscribe, which places each glyph itself.
void DrawAsEdit(HDC dc, const std::wstring& text)
{
    static SystemFunction analyse = SystemFunction::ByName("usp10.dll", "ScriptStringAnalyse"),
                          out = SystemFunction::ByName("usp10.dll", "ScriptStringOut"),
                          free = SystemFunction::ByName("usp10.dll", "ScriptStringFree");
    SCRIPT_STRING_ANALYSIS analysis = nullptr;
    const int n = static_cast<int>(text.size());
    if (analyse.Call<decltype(&ScriptStringAnalyse)>(dc, text.c_str(), n, 3 * n / 2 + 16, -1,
                                                     DWORD{SSA_LINK | SSA_FALLBACK | SSA_GLYPHS}, 0, nullptr, nullptr,
                                                     nullptr, nullptr, nullptr, &analysis) == S_OK) {
        (void)out.Call<decltype(&ScriptStringOut)>(analysis, 10, 10, 0U, nullptr, 0, 0, FALSE);
        (void)free.Call<decltype(&ScriptStringFree)>(&analysis);
    }
}

// The name drawn by the system, black on white, cut to its ink with a column either side.
Gray Drawn(LOGFONTW font, const std::wstring& name, int designedPixels = 11, bool edit = false)
{
    font.lfHeight = MulDiv(font.lfHeight, designedPixels, 11);
    ScopedGetDC screen(nullptr);
    UniqueMemoryDC dc(CreateCompatibleDC(screen.get()));
    UniqueGdiObject bitmap(CreateCompatibleBitmap(screen.get(), 400, 100)), made(CreateFontIndirectW(&font));
    RECT all{0, 0, 400, 100}, text{10, 10, 400, 100}, ink{400, 100, 0, 0};
    ScopedSelectObject select(dc.get(), bitmap.get()), selectFont(dc.get(), made.get());
    FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (edit) DrawAsEdit(dc.get(), name);
    else DrawTextW(dc.get(), name.c_str(), -1, &text, DT_SINGLELINE | DT_NOPREFIX);
    const Gray g = Read(dc.get(), all);
    for (int y = 0; y < g.h; ++y)
        for (int x = 0; x < g.w; ++x)
            if (g.At(x, y) < 192)
                ink = {std::min(ink.left, x - 1L), std::min(ink.top, 0L + y), std::max(ink.right, x + 2L),
                       std::max(ink.bottom, y + 1L)};
    return Read(dc.get(), ink);
}

// The system draws no character of the name as a box: a private-use character, which no
// font has, in its place changes the ink. Else a box in the window would match a box here.
bool DrawnWhole(const LOGFONTW& font, const std::wstring& name, int designedPixels, bool edit)
{
    const Gray whole = Drawn(font, name, designedPixels, edit);
    for (size_t k = 0; k < name.size(); ++k) {
        std::wstring missing = name;
        missing[k] = L'\xE000';
        const Gray g = name[k] > 0x7F ? Drawn(font, missing, designedPixels, edit) : Gray{};
        if (g.w == whole.w && g.v == whole.v) return false;
    }
    return true;
}

// Somewhere in the shot the same ink stands out from its background, whatever the colours
// (a highlighted row too), with a few pixels of smoothing different at most.
bool Shows(const Gray& shot, const Gray& name)
{
    int inked = 0;
    for (int v : name.v) inked += v < 192;
    for (int oy = 0; oy + name.h <= shot.h; ++oy)
        for (int ox = 0; ox + name.w <= shot.w; ++ox) {
            const int back = shot.At(ox, oy);
            int wrong = 0;
            for (int y = 0; y < name.h && wrong <= inked / 16; ++y)
                for (int x = 0; x < name.w && wrong <= inked / 16; ++x)
                    wrong += (std::abs(shot.At(ox + x, oy + y) - back) > 63) != (name.At(x, y) < 192);
            if (wrong <= inked / 16) return true;
        }
    return false;
}

class ScriptTextE2e : public AppTest {
protected:
    // Each name is shown by the window in the message font at that designed size (11: as is).
    static void ExpectShown(const char* place, HWND window, const LOGFONTW& font, int designedPixels = 11,
                            std::vector<const char*> names = {std::begin(Names), std::end(Names)}, bool edit = false)
    {
        ASSERT_NE(window, nullptr) << place;
        Sleep(300);
        const Gray shot = OnScreen(window);
        for (const char* name : names) {
            EXPECT_TRUE(DrawnWhole(font, Wide(name), designedPixels, edit)) << place << ": boxes in " << name;
            EXPECT_TRUE(Shows(shot, Drawn(font, Wide(name), designedPixels, edit))) << place << ": " << name;
        }
    }
};

TEST_F(ScriptTextE2e, NamesInEveryScriptShowInThePopupTheQuickBoxTheSettingsListsAndTheMask)
{
    std::string ini = "\xEF\xBB\xBF" + Ini({"[GLOBAL]", "SelfAutostart=0", "AskBeforeQuit=0", "UseToolsMenu=0", "MenuCount=4"});
    for (int k = 0; k < 4; ++k)
        ini += Ini({"[M" + std::to_string(k) + "]", "MenuName=" + std::string(Names[k]), k ? "ItemCount=0" : "ItemCount=4",
                    "[M0I" + std::to_string(k + 1) + "]", "Pfad=C:\\windows\\notepad.exe", "IconNum=-99",
                    "Description=" + std::string(Names[k])});
    Launch(ini);
    ASSERT_FALSE(HasFatalFailure());
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0));

    // The popup keeps the system's menu font.
    HWND icon = app->WaitForWindow({"MarigoldwickTrayIcon", Names[0], false}, 5000);
    ASSERT_TRUE(icon && Post(icon, 1027, 0, WM_RBUTTONUP));
    ExpectShown("popup", app->WaitForPopup(), metrics.lfMenuFont);
    PressKeys({VK_ESCAPE});
    ASSERT_TRUE(app->WaitForPopupGone());

    // Every entry listed, the first highlighted.
    ASSERT_TRUE(ChooseMenuCommand(main, 0, 1902));
    HWND box = app->WaitForWindow({"TQuickBox", "", true}, 5000);
    HWND rows = FindWindowExW(box, nullptr, L"MgwQuickList", nullptr);
    ASSERT_TRUE(WaitUntil([&] { return SendMessageW(rows, LB_GETCOUNT, 0, 0) == 4; }));
    ExpectShown("quick-launch box", rows, metrics.lfMessageFont);
    ASSERT_TRUE(Post(box, WM_CLOSE));

    // The settings window's lists and fields are designed in a larger size of the font.
    ASSERT_TRUE(ChooseMenuCommand(main, 0, 1900));
    HWND settings = app->WaitForSettings();
    ASSERT_NE(settings, nullptr);
    HWND menus = ChildAt(settings, {7 + 8 + 20, 8 + 16 + 10}, "SysListView32"), items = SettingsItemList(settings);
    ASSERT_TRUE(Post(menus, WM_KEYDOWN, VK_HOME, 1));
    ASSERT_TRUE(WaitUntil([&] { return SendMessageW(items, LVM_GETITEMCOUNT, 0, 0) == 4; }));
    ExpectShown("menus list", menus, metrics.lfMessageFont, 13);
    ExpectShown("item list", items, metrics.lfMessageFont, 13);
    // Items 0 1 / 2 3 in the list's two columns, chosen with the keys; the mask shows each.
    HWND description = EditAt(settings, {7 + 184 + 80, 128 + 32 + 207});
    for (int k = 0; k < 4; ++k) {
        for (WPARAM key : {WPARAM{VK_HOME}, WPARAM{k % 2 ? VK_RIGHT : 0u}, WPARAM{k / 2 ? VK_DOWN : 0u}}) {
            if (key) {
                ASSERT_TRUE(Post(items, WM_KEYDOWN, key, 1));
            }
        }
        ASSERT_TRUE(WaitUntil([&] { return WindowText(description) == Names[k]; })) << Names[k];
        ExpectShown("description field", description, metrics.lfMessageFont, 13, {Names[k]}, true);
    }
}

}  // namespace
