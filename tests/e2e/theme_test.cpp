// The real mgoldwk.exe follows the system's dark theme while it runs: its popup menu and
// its quick-launch box turn dark at once, and the contrast of their text, measured from
// the screen's pixels, stays at 7:1 or more, in the selection too.
#include "app_test.h"

#include "config/theme_rules.h"
#include "win/handles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr char IconClass[] = "MarigoldwickTrayIcon";
constexpr wchar_t PersonalizeKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
constexpr int Hotkey = VK_F9 + 8192 + 16384;  // Ctrl+Shift+F9

// What the screen shows in a rectangle, as 0x00BBGGRR.
struct Shot {
    int w = 0, h = 0;
    std::vector<uint32_t> px;
    uint32_t At(int x, int y) const { return px[static_cast<size_t>(y * w + x)]; }
};

Shot Capture(const RECT& r)
{
    Shot shot{r.right - r.left, r.bottom - r.top, {}};
    BITMAPINFO info{{sizeof(BITMAPINFOHEADER), shot.w, -shot.h, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    void* bits = nullptr;
    UniqueMemoryDC dc(CreateCompatibleDC(nullptr));
    UniqueGdiObject dib(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bits) return shot;
    {
        ScopedSelectObject select(dc.get(), dib.get());
        BitBlt(dc.get(), 0, 0, shot.w, shot.h, ScopedGetDC(nullptr).get(), r.left, r.top, SRCCOPY);
        GdiFlush();
    }
    for (const uint32_t* p = static_cast<uint32_t*>(bits); p < static_cast<uint32_t*>(bits) + shot.w * shot.h; ++p)
        shot.px.push_back((*p & 0xFF) << 16 | (*p & 0xFF00) | (*p >> 16 & 0xFF));
    return shot;
}

// The colour most pixels of rows [top, bottom) have between x0 and x1.
uint32_t Dominant(const Shot& s, int top, int bottom, int x0, int x1)
{
    std::map<uint32_t, int> counts;
    for (int y = top; y < bottom; ++y)
        for (int x = x0; x < x1; ++x) ++counts[s.At(x, y)];
    return std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) { return a.second < b.second; })->first;
}

// The strongest contrast a pixel of those rows has against `back`: the text's core.
double TextContrast(const Shot& s, const std::vector<int>& rows, int x0, int x1, uint32_t back)
{
    double best = 1;
    for (int y : rows)
        for (int x = x0; x < x1; ++x) best = std::max(best, ContrastRatio(s.At(x, y), back));
    return best;
}

bool IsDark(uint32_t colour) { return ContrastRatio(colour, 0) < 3.0; }
bool IsLight(uint32_t colour) { return ContrastRatio(colour, 0xFFFFFF) < 3.0; }

class ThemeE2e : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        if (HasFatalFailure()) return;
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, PersonalizeKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                  nullptr),
                  ERROR_SUCCESS);
        personalize.reset(key);
        for (const wchar_t* name : {L"SystemUsesLightTheme", L"AppsUseLightTheme"}) {
            DWORD value = 0, size = sizeof(value);
            if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS)
                saved[name] = value;
            RegDeleteValueW(key, name);
        }
    }
    void TearDown() override
    {
        AppTest::TearDown();
        // The prefix is shared by every test: its theme goes back to what it was.
        for (const wchar_t* name : {L"SystemUsesLightTheme", L"AppsUseLightTheme"}) {
            RegDeleteValueW(personalize.get(), name);
            if (saved.count(name)) SetValue(name, saved[name]);
        }
    }

    void SetValue(const wchar_t* name, DWORD value)
    {
        RegSetValueExW(personalize.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
    }

    // Announced as the system does when the user switches between light and dark.
    static void AnnounceColourSet()
    {
        DWORD_PTR answer = 0;
        SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"ImmersiveColorSet"),
                            SMTO_ABORTIFHUNG, 3000, &answer);
    }

    // The popup of menu "Shades" open with its first entry highlighted, photographed.
    std::optional<Shot> PopupShot()
    {
        HWND icon = app->WaitForWindow({IconClass, "Shades", false}, 5000);
        if (!icon || !Post(icon, 1027, 0, WM_RBUTTONUP)) return std::nullopt;
        HWND popup = app->WaitForPopup();
        if (!popup) return std::nullopt;
        PressKeys({VK_DOWN});
        Sleep(400);
        Shot shot = Capture(ScreenPlace(popup));
        PressKeys({VK_ESCAPE});
        EXPECT_TRUE(app->WaitForPopupGone());
        return shot;
    }

    UniqueKey personalize;
    std::map<std::wstring, DWORD> saved;
};

TEST_F(ThemeE2e, DarkSystemThemeTurnsPopupAndQuickBoxDarkAtOnceWithSevenToOneText)
{
    auto entry = [](int k, const char* description) {
        return Ini({"[M0I" + std::to_string(k) + "]", "Pfad=C:\\windows\\notepad.exe", "IconNum=-99",
                    std::string("Description=") + description, "Startmode=1"});
    };
    const std::string ini =
        Ini({"[GLOBAL]", "SelfAutostart=0", "AskBeforeQuit=0", "IconSize=16", "MenuCount=1",
             "QuickLaunchHotkey=" + std::to_string(Hotkey), "[M0]", "MenuName=Shades", "ItemCount=4"}) +
        entry(1, "Alpha notes and letters") + entry(2, "Beta notes and letters") +
        Ini({"[M0I3]", "Pfad=MarigoldwickCommand{-}", "Description=-"}) + entry(4, "Gamma notes and letters");
    Launch(ini);

    // Light while the system has no dark value.
    std::optional<Shot> light = PopupShot();
    ASSERT_TRUE(light);
    EXPECT_FALSE(IsDark(Dominant(*light, 3, light->h - 3, light->w / 3, light->w - 3)));

    SetValue(L"SystemUsesLightTheme", 0);
    AnnounceColourSet();
    std::optional<Shot> dark = PopupShot();
    ASSERT_TRUE(dark);
    const Shot& s = *dark;
    const int x0 = s.w / 3, x1 = s.w - 4;
    const uint32_t back = Dominant(s, 3, s.h - 3, x0, x1);
    EXPECT_TRUE(IsDark(back)) << std::hex << back;
    // No row is light: the separators and the fixed commands below the entries are dark
    // too. The selection is the colour of the most rows after the background.
    std::map<uint32_t, std::vector<int>> rowsBy;
    for (int y = 3; y < s.h - 3; ++y) {
        const uint32_t row = Dominant(s, y, y + 1, x0, x1);
        EXPECT_FALSE(IsLight(row)) << "row " << y << std::hex << " " << row;
        rowsBy[row].push_back(y);
    }
    const std::vector<int> normalRows = rowsBy[back];
    rowsBy.erase(back);
    uint32_t selected = back;
    std::vector<int> selectedRows;
    for (const auto& [colour, rows] : rowsBy)
        if (rows.size() > selectedRows.size()) selected = colour, selectedRows = rows;
    ASSERT_FALSE(selectedRows.empty()) << "the highlighted entry must show";
    EXPECT_GE(TextContrast(s, normalRows, x0, x1, back), 7.0);
    EXPECT_GE(TextContrast(s, selectedRows, x0, x1, selected), 7.0);

    // The quick-launch box with two rows, the first highlighted.
    PressKeys({VK_CONTROL, VK_SHIFT, VK_F9});
    HWND box = app->WaitForWindow({"TQuickBox", "", true}, 5000);
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == box; }, 3000));
    PressKeys({'N'});
    HWND list = FindWindowExA(box, nullptr, "MgwQuickList", nullptr);
    ASSERT_TRUE(WaitUntil([&] { return SendMessageA(list, LB_GETCOUNT, 0, 0) == 3; }, 3000));
    Sleep(300);
    const int rowHeight = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
    RECT place{};
    GetClientRect(list, &place);
    MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&place), 2);
    const Shot q = Capture(place);
    std::vector<int> first, second;
    for (int y = 0; y < rowHeight; ++y) first.push_back(y), second.push_back(rowHeight + y);
    const uint32_t listBack = Dominant(q, rowHeight, 3 * rowHeight, 0, q.w);
    const uint32_t rowBack = Dominant(q, 0, rowHeight, q.w / 4, q.w);
    EXPECT_TRUE(IsDark(listBack)) << std::hex << listBack;
    EXPECT_GT(ContrastRatio(rowBack, listBack), 1.2) << "the highlighted row must show";
    EXPECT_GE(TextContrast(q, second, q.w / 4, q.w, listBack), 7.0);
    EXPECT_GE(TextContrast(q, first, q.w / 4, q.w, rowBack), 7.0);
    PressKeys({VK_ESCAPE});
}

}  // namespace
