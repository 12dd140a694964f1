// Long popups of 64-pixel entries at 150 % (144 DPI), opened right after start-up on
// screens where one column of them would not fit: all entries and the fixed commands
// show at once, in columns, with no scroll arrows. Each screen is a Wine virtual desktop
// of its own, as in display_test.cpp. Meaningful only where the system runs at 144 DPI:
// tests/dpi/popups144.sh runs it in such a copy of the prefix; elsewhere it is skipped.
#include "app_test.h"
#include "win/system_function.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <type_traits>

namespace {

struct DesktopCloser {
    void operator()(HDESK desktop) const { CloseDesktop(desktop); }
};
using UniqueDesktop = std::unique_ptr<std::remove_pointer_t<HDESK>, DesktopCloser>;

struct Screen {
    const char* desktop;
    const char* size;
    int width, height;
    int entries;
};

void PrintTo(const Screen& screen, std::ostream* out) { *out << screen.size << ", " << screen.entries << " entries"; }

// Wine makes a desktop listed here a virtual desktop of that size.
bool ListVirtualDesktop(const Screen& screen)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\Explorer\\Desktops", 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    UniqueKey owned(key);
    return RegSetValueExA(key, screen.desktop, 0, REG_SZ, reinterpret_cast<const BYTE*>(screen.size),
                          static_cast<DWORD>(strlen(screen.size) + 1)) == ERROR_SUCCESS;
}

std::string LongMenu(int entries)
{
    std::string text = Ini({"[GLOBAL]", "SelfAutostart=0", "AskBeforeQuit=0", "IconSize=64", "MenuCount=1", "[M0]",
                            "MenuName=Long", "ItemCount=" + std::to_string(entries)});
    for (int k = 1; k <= entries; ++k)
        text += Ini({"[M0I" + std::to_string(k) + "]", "Pfad=C:\\missing" + std::to_string(k) + ".exe",
                     "Description=Entry " + std::to_string(k)});
    return text;
}

class PopupColumnsE2e : public AppTest, public ::testing::WithParamInterface<Screen> {};

TEST_P(PopupColumnsE2e, RightAfterStartUpEveryEntryAndCommandShowsWithoutScrolling)
{
    // Screen pixels: the rectangles are compared with the screen's.
    static_cast<void>(SystemFunction::ByName("user32.dll", "SetProcessDPIAware").Call<BOOL(WINAPI*)()>());
    {
        ScopedGetDC screen(nullptr);
        if (GetDeviceCaps(screen.get(), LOGPIXELSY) != 144) GTEST_SKIP() << "the system does not run at 144 DPI";
    }
    const Screen& screen = GetParam();
    ASSERT_TRUE(ListVirtualDesktop(screen));
    // A thread with no windows may change its desktop; the program inherits it.
    std::thread([&] {
        UniqueDesktop desktop(CreateDesktopA(screen.desktop, nullptr, nullptr, 0, GENERIC_ALL, nullptr));
        ASSERT_TRUE(desktop && SetThreadDesktop(desktop.get()));
        ASSERT_NE(GetDesktopWindow(), nullptr);
        ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), screen.width);
        ASSERT_EQ(GetSystemMetrics(SM_CYSCREEN), screen.height);
        Launch(LongMenu(screen.entries));
        HWND icon = app->WaitForWindow({"MarigoldwickTrayIcon", "Long", false}, 5000);
        ASSERT_NE(icon, nullptr);

        EXPECT_TRUE(SetCursorPos(screen.width - 20, screen.height - 20));
        EXPECT_TRUE(Post(icon, 1027, 0, WM_RBUTTONUP));
        HWND popup = app->WaitForPopup();
        ASSERT_NE(popup, nullptr);
        MONITORINFO monitor{};
        monitor.cbSize = sizeof(monitor);
        ASSERT_TRUE(GetMonitorInfoA(MonitorFromWindow(popup, MONITOR_DEFAULTTONEAREST), &monitor));
        const RECT work = monitor.rcWork;
        RECT place{};
        // Under Wine the program moves the shown menu into the work area once its loop idles.
        WaitUntil([&] { return GetWindowRect(popup, &place) && Encloses(work, place); }, 2000);
        EXPECT_TRUE(Encloses(work, place)) << place.left << "," << place.top << " " << place.right << ","
                                           << place.bottom;
        const int entryHeight = 108;  // 64 + 2 * 4 pixels at 96 DPI, at 144
        // Scroll arrows come with a popup as high as the work area; one column of all
        // entries, with no arrows, would be higher than they are together.
        EXPECT_LT(place.bottom - place.top, work.bottom - work.top) << "no scroll arrows";
        EXPECT_LT(place.bottom - place.top, screen.entries * entryHeight) << "the entries are in columns";

        EXPECT_TRUE(Post(main, WM_CANCELMODE));
        EXPECT_TRUE(app->WaitForPopupGone());
        ASSERT_TRUE(Post(main, WM_CLOSE));
        EXPECT_EQ(app->WaitForExit(), 0u);
    }).join();
}

INSTANTIATE_TEST_SUITE_P(Screens, PopupColumnsE2e,
                         ::testing::Values(Screen{"mgwcols1024", "1024x768", 1024, 768, 7},
                                           Screen{"mgwcols1600", "1600x1200", 1600, 1200, 11}),
                         [](const auto& screen) { return std::string(screen.param.size).replace(4, 1, "by"); });

}  // namespace
