// A real change of the screen size between two popups of the real program. Plain Xvfb
// refuses display modes, so the test runs on a Wine virtual desktop of its own: its
// thread moves there, the program started from it opens there, and the mode is changed
// from outside as a display settings dialog would.
#include "app_test.h"
#include "win/system_function.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <type_traits>

namespace {

constexpr char DesktopName[] = "mgwdisplay";

struct DesktopCloser {
    void operator()(HDESK desktop) const { CloseDesktop(desktop); }
};
using UniqueDesktop = std::unique_ptr<std::remove_pointer_t<HDESK>, DesktopCloser>;

// Wine makes a desktop listed here a virtual desktop of that size.
bool ListVirtualDesktop(const char* name = DesktopName, std::string size = "1024x768")
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\Explorer\\Desktops", 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    UniqueKey owned(key);
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(size.c_str()),
                          static_cast<DWORD>(size.size() + 1)) == ERROR_SUCCESS;
}

bool SwitchMode(DWORD width, DWORD height)
{
    DEVMODEA mode{};
    mode.dmSize = sizeof(mode);
    mode.dmPelsWidth = width;
    mode.dmPelsHeight = height;
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    return ChangeDisplaySettingsA(&mode, 0) == DISP_CHANGE_SUCCESSFUL;
}

// 40 entries of 36 pixels (32-pixel icons): two columns on a 768-pixel screen, three on 600.
std::string LongMenu(int iconSize = 32, int entries = 40)
{
    std::string text = Ini({"[GLOBAL]", "SelfAutostart=0", "AskBeforeQuit=0", "IconSize=" + std::to_string(iconSize),
                            "MenuBreakIfPossible=1", "MenuCount=1", "[M0]", "MenuName=Long",
                            "ItemCount=" + std::to_string(entries)});
    for (int k = 1; k <= entries; ++k)
        text += Ini({"[M0I" + std::to_string(k) + "]", "Pfad=C:\\missing" + std::to_string(k) + ".exe",
                     "Description=Entry " + std::to_string(k)});
    return text;
}

using DisplayE2e = AppTest;

TEST_F(DisplayE2e, AfterAModeChangeTheNextPopupTakesTheNewScreensColumnsAndPlace)
{
    ASSERT_TRUE(ListVirtualDesktop());
    // A thread with no windows may change its desktop; the program inherits it.
    std::thread([&] {
        UniqueDesktop desktop(CreateDesktopA(DesktopName, nullptr, nullptr, 0, GENERIC_ALL, nullptr));
        ASSERT_TRUE(desktop && SetThreadDesktop(desktop.get()));
        // Asking for the desktop window makes Wine open the virtual desktop.
        ASSERT_NE(GetDesktopWindow(), nullptr);
        ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
        ASSERT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
        ScopeGuard restoreMode([] { ChangeDisplaySettingsA(nullptr, 0); });
        Launch(LongMenu());
        HWND icon = app->WaitForWindow({"MarigoldwickTrayIcon", "Long", false}, 5000);
        ASSERT_NE(icon, nullptr);

        auto popUpAt = [&](int x, int y) {
            RECT place{};
            EXPECT_TRUE(SetCursorPos(x, y));
            EXPECT_TRUE(Post(icon, 1027, 0, WM_RBUTTONUP));
            HWND popup = app->WaitForPopup();
            EXPECT_NE(popup, nullptr);
            // Under Wine the program moves the shown menu into the screen as soon as its
            // menu loop idles.
            WaitUntil([&] { return GetWindowRect(popup, &place) && place.bottom <= GetSystemMetrics(SM_CYSCREEN); },
                      2000);
            EXPECT_TRUE(Post(main, WM_CANCELMODE));
            EXPECT_TRUE(app->WaitForPopupGone());
            return place;
        };
        const RECT before = popUpAt(1000, 740);
        EXPECT_GT(before.bottom - before.top, 600) << "two tall columns";

        ASSERT_TRUE(SwitchMode(800, 600));
        Sleep(300);  // the broadcast reaches the program
        const RECT after = popUpAt(780, 580);

        EXPECT_LE(after.bottom - after.top, 600) << "columns for the smaller screen";
        EXPECT_GT(after.right - after.left, (before.right - before.left) * 5 / 4) << "a third column";
        EXPECT_GE(after.left, 0);
        EXPECT_GE(after.top, 0);
        EXPECT_LE(after.right, 800);
        EXPECT_LE(after.bottom, 600);

        ASSERT_TRUE(Post(main, WM_CLOSE));
        EXPECT_EQ(app->WaitForExit(), 0u);
    }).join();
}

// 64-pixel entries at 150 % (108 high) right after start-up, too many for one column.
// Needs the system at 144 DPI: tests/dpi/walk.sh runs it in such a copy of the prefix.
class ScaledPopupE2e : public AppTest, public ::testing::WithParamInterface<std::pair<int, int>> {};

TEST_P(ScaledPopupE2e, RightAfterStartUpEveryEntryAndCommandShowsWithoutScrolling)
{
    static_cast<void>(SystemFunction::ByName("user32.dll", "SetProcessDPIAware").Call<BOOL(WINAPI*)()>());
    if (ScopedGetDC screen(nullptr); GetDeviceCaps(screen.get(), LOGPIXELSY) != 144) GTEST_SKIP() << "not at 144 DPI";
    const auto [width, entries] = GetParam();
    const std::string name = "mgwscaled" + std::to_string(width);
    ASSERT_TRUE(ListVirtualDesktop(name.c_str(), std::to_string(width) + "x" + std::to_string(width * 3 / 4)));
    std::thread([&] {
        UniqueDesktop desktop(CreateDesktopA(name.c_str(), nullptr, nullptr, 0, GENERIC_ALL, nullptr));
        ASSERT_TRUE(desktop && SetThreadDesktop(desktop.get()) && GetDesktopWindow());
        ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), width);
        Launch(LongMenu(64, entries));
        HWND icon = app->WaitForWindow({"MarigoldwickTrayIcon", "Long", false}, 5000);
        ASSERT_TRUE(icon && SetCursorPos(width - 20, width * 3 / 4 - 20) && Post(icon, 1027, 0, WM_RBUTTONUP));
        HWND popup = app->WaitForPopup();
        MONITORINFO monitor{sizeof(monitor), {}, {}, 0};
        ASSERT_TRUE(popup && GetMonitorInfoA(MonitorFromWindow(popup, MONITOR_DEFAULTTONEAREST), &monitor));
        RECT place{}, work = monitor.rcWork;
        EXPECT_TRUE(WaitUntil([&] { return GetWindowRect(popup, &place) && Encloses(work, place); }, 2000));
        // Scroll arrows come with a popup as high as the work area; one column without them
        // would be higher than all entries together.
        EXPECT_LT(place.bottom - place.top, work.bottom - work.top) << "no scroll arrows";
        EXPECT_LT(place.bottom - place.top, entries * 108) << "the entries are in columns";
    }).join();
}

INSTANTIATE_TEST_SUITE_P(Screens, ScaledPopupE2e, ::testing::Values(std::pair{1024, 7}, std::pair{1600, 11}));

}  // namespace
