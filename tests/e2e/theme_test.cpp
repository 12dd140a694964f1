// The real mgoldwk.exe follows the system's dark theme while it runs: its popup menu and
// its quick-launch box turn dark at once, and the contrast of their text, measured from
// the screen's pixels, stays at 7:1 or more, in the selection too.
#include "app_test.h"

#include "config/theme_rules.h"
#include "win/handles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr wchar_t Personalize[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
constexpr wchar_t SystemLight[] = L"SystemUsesLightTheme";

// What the screen shows in a rectangle, as 0x00BBGGRR.
struct Shot {
    int w = 0, h = 0;
    std::vector<uint32_t> px;
    uint32_t At(int x, int y) const { return px[static_cast<size_t>(y * w + x)]; }
    // The colour most pixels of rows [top, bottom) have from column w / 4 on (past the icons).
    uint32_t Dominant(int top, int bottom) const
    {
        std::map<uint32_t, int> counts;
        for (int y = top; y < bottom; ++y)
            for (int x = w / 4; x < w - 4; ++x) ++counts[At(x, y)];
        return std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) { return a.second < b.second; })
            ->first;
    }
    // The strongest contrast a pixel of those rows has against `back`: the text's core.
    double TextContrast(const std::vector<int>& rows, uint32_t back) const
    {
        double best = 1;
        for (int y : rows)
            for (int x = w / 4; x < w - 4; ++x) best = std::max(best, ContrastRatio(At(x, y), back));
        return best;
    }
};

Shot Capture(RECT r)
{
    Shot shot{r.right - r.left, r.bottom - r.top, {}};
    BITMAPINFO info{{sizeof(BITMAPINFOHEADER), shot.w, -shot.h, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    void* bits = nullptr;
    UniqueMemoryDC dc(CreateCompatibleDC(nullptr));
    UniqueGdiObject dib(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bits) return shot;
    ScopedSelectObject select(dc.get(), dib.get());
    BitBlt(dc.get(), 0, 0, shot.w, shot.h, ScopedGetDC(nullptr).get(), r.left, r.top, SRCCOPY);
    GdiFlush();
    for (const uint32_t* p = static_cast<uint32_t*>(bits); p < static_cast<uint32_t*>(bits) + shot.w * shot.h; ++p)
        shot.px.push_back((*p & 0xFF) << 16 | (*p & 0xFF00) | (*p >> 16 & 0xFF));
    return shot;
}

// SystemUsesLightTheme set to `value`, or removed (light) without one.
LSTATUS SetSystemLight(const DWORD* value)
{
    HKEY key = nullptr;
    if (LSTATUS error = RegCreateKeyExW(HKEY_CURRENT_USER, Personalize, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                                        nullptr))
        return error;
    UniqueKey owned(key);
    if (!value) return RegDeleteValueW(key, SystemLight);
    return RegSetValueExW(key, SystemLight, 0, REG_DWORD, reinterpret_cast<const BYTE*>(value), sizeof(*value));
}

bool IsDark(uint32_t colour) { return ContrastRatio(colour, 0) < 3.0; }

class ThemeE2e : public AppTest {
protected:
    void TearDown() override
    {
        AppTest::TearDown();
        // The prefix is shared by every test: it goes back to no value, which reads as light.
        SetSystemLight(nullptr);
    }

    // The popup of menu "Shades" with its first entry highlighted, as the screen shows it.
    Shot PopupShot()
    {
        HWND icon = app->WaitForWindow({"MarigoldwickTrayIcon", "Shades", false}, 5000);
        EXPECT_TRUE(icon && Post(icon, 1027, 0, WM_RBUTTONUP));
        HWND popup = app->WaitForPopup();
        if (!popup) return {};
        PressKeys({VK_DOWN});
        Sleep(400);
        Shot shot = Capture(ScreenPlace(popup));
        PressKeys({VK_ESCAPE});
        EXPECT_TRUE(app->WaitForPopupGone());
        return shot;
    }
};

TEST_F(ThemeE2e, DarkSystemThemeTurnsPopupAndQuickBoxDarkAtOnceWithSevenToOneText)
{
    ASSERT_NE(SetSystemLight(nullptr), ERROR_ACCESS_DENIED);
    std::string ini = Ini({"[GLOBAL]", "SelfAutostart=0", "AskBeforeQuit=0", "IconSize=16", "MenuCount=1",
                           "QuickLaunchHotkey=" + std::to_string(VK_F9 + 8192 + 16384), "[M0]", "MenuName=Shades",
                           "ItemCount=4", "[M0I3]", "Pfad=MarigoldwickCommand{-}", "Description=-"});
    for (int k : {1, 2, 4})
        ini += Ini({"[M0I" + std::to_string(k) + "]", "Pfad=C:\\windows\\notepad.exe", "IconNum=-99",
                    "Description=Notes and letters " + std::to_string(k), "Startmode=1"});
    Launch(ini);
    const Shot light = PopupShot();
    ASSERT_GT(light.h, 8);
    EXPECT_FALSE(IsDark(light.Dominant(3, light.h - 3)));

    // Switched as the system switches: the value, then the announcement to every window.
    DWORD dark = 0;
    ASSERT_EQ(SetSystemLight(&dark), ERROR_SUCCESS);
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"ImmersiveColorSet"),
                        SMTO_ABORTIFHUNG, 3000, &answer);
    const Shot s = PopupShot();
    ASSERT_GT(s.h, 8);
    const uint32_t back = s.Dominant(3, s.h - 3);
    EXPECT_TRUE(IsDark(back)) << std::hex << back;
    // No row is light (the separators and the fixed commands below the entries neither);
    // the selection is the colour of the most rows after the background.
    std::map<uint32_t, std::vector<int>> rowsBy;
    for (int y = 3; y < s.h - 3; ++y) {
        const uint32_t row = s.Dominant(y, y + 1);
        EXPECT_GE(ContrastRatio(row, 0xFFFFFF), 3.0) << "row " << y << std::hex << " " << row;
        rowsBy[row].push_back(y);
    }
    const std::vector<int> normal = rowsBy[back];
    rowsBy.erase(back);
    auto selected = std::max_element(rowsBy.begin(), rowsBy.end(),
                                     [](auto& a, auto& b) { return a.second.size() < b.second.size(); });
    ASSERT_NE(selected, rowsBy.end()) << "the highlighted entry must show";
    EXPECT_GE(s.TextContrast(normal, back), 7.0);
    EXPECT_GE(s.TextContrast(selected->second, selected->first), 7.0);

    // The quick-launch box: three rows, the first highlighted.
    PressKeys({VK_CONTROL, VK_SHIFT, VK_F9});
    HWND box = app->WaitForWindow({"TQuickBox", "", true}, 5000);
    ASSERT_TRUE(box && WaitUntil([&] { return GetForegroundWindow() == box; }, 3000));
    PressKeys({'N'});
    HWND list = FindWindowExA(box, nullptr, "MgwQuickList", nullptr);
    ASSERT_TRUE(WaitUntil([&] { return SendMessageA(list, LB_GETCOUNT, 0, 0) == 3; }, 3000));
    Sleep(300);
    const int row = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
    RECT place{};
    GetClientRect(list, &place);
    MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&place), 2);
    const Shot q = Capture(place);
    const uint32_t listBack = q.Dominant(row, 3 * row), rowBack = q.Dominant(0, row);
    EXPECT_TRUE(IsDark(listBack)) << std::hex << listBack;
    EXPECT_GT(ContrastRatio(rowBack, listBack), 1.2) << "the highlighted row must show";
    std::vector<int> first, second;
    for (int y = 0; y < row; ++y) first.push_back(y), second.push_back(row + y);
    EXPECT_GE(q.TextContrast(second, listBack), 7.0);
    EXPECT_GE(q.TextContrast(first, rowBack), 7.0);
    PressKeys({VK_ESCAPE});
}

}  // namespace
