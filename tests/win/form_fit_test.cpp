// Every form at the DPI the system runs at, and in whatever font stands in for the forms'
// own: each caption fits its control, no two controls overlap unless one frames the other,
// and a form moved to a screen of another DPI lays itself out again. scripts/dpi-walk runs
// these at other DPIs and with a wider font.
#include "about/about_win.h"
#include "app/haupt_win.h"
#include "config/model.h"
#include "driver.h"
#include "form_driver.h"
#include "settings/editmenu_win.h"
#include "settings/iconpick_win.h"
#include "settings/konfig_win.h"
#include "settings/options_win.h"
#include "settings/quick_folder_win.h"
#include "win/dpi.h"
#include "win/system_function.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace {

using NamePairs = std::vector<std::pair<const char*, const char*>>;

std::string Describe(HWND hwnd)
{
    char text[80] = "";
    GetWindowTextA(hwnd, text, sizeof(text));
    return WindowClass(hwnd) + " #" + std::to_string(GetDlgCtrlID(hwnd)) + " \"" + text + "\"";
}

// How wide the control's text is in its font, and what the control keeps beside it.
std::optional<std::pair<int, int>> TextAndSurround(HWND control, UINT dpi)
{
    char text[256] = "";
    GetWindowTextA(control, text, sizeof(text));
    const auto style = static_cast<DWORD>(GetWindowLongA(control, GWL_STYLE));
    const std::string kind = WindowClass(control);
    int surround = 0;
    if (lstrcmpiA(kind.c_str(), "Static") == 0) {
        if ((style & SS_TYPEMASK) > SS_RIGHT) return std::nullopt;
    } else if (lstrcmpiA(kind.c_str(), "Button") == 0) {
        switch (style & BS_TYPEMASK) {
        case BS_AUTOCHECKBOX:
        case BS_AUTORADIOBUTTON: surround = GetSystemMetrics(SM_CXMENUCHECK); break;
        case BS_GROUPBOX: surround = ScaleByDpi(12, dpi); break;
        default: {
            BUTTON_IMAGELIST glyph{};
            int cx = 0, cy = 0;
            if (SendMessageA(control, BCM_GETIMAGELIST, 0, reinterpret_cast<LPARAM>(&glyph)) && glyph.himl)
                ImageList_GetIconSize(glyph.himl, &cx, &cy);
            surround = cx + ScaleByDpi(4, dpi);
        }
        }
    } else {
        return std::nullopt;
    }
    if (!*text) return std::nullopt;
    HDC dc = GetDC(control);
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0)));
    RECT extent{};
    DrawTextA(dc, text, -1, &extent, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(dc, previous);
    ReleaseDC(control, dc);
    return std::pair{extent.right - extent.left, surround};
}

// `overlapping` names pairs of controls the form still lays over each other.
void ExpectFitted(const Form& form, const NamePairs& overlapping = {})
{
    SCOPED_TRACE(WindowClass(form.Handle()) + " at " + std::to_string(form.Dpi()) + " DPI");
    EXPECT_EQ(form.Dpi(), ScreenDpi());
    // Set by the script that runs these tests at other DPIs.
    if (const char* dpi = getenv("MGW_EXPECT_DPI")) EXPECT_EQ(form.Dpi(), static_cast<UINT>(atoi(dpi)));
    std::vector<HWND> shown;
    for (HWND c = GetWindow(form.Handle(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (GetWindowLongA(c, GWL_STYLE) & WS_VISIBLE) shown.push_back(c);
    ASSERT_GT(shown.size(), 3u);
    RECT client{};
    GetClientRect(form.Handle(), &client);
    MapWindowPoints(form.Handle(), nullptr, reinterpret_cast<POINT*>(&client), 2);
    std::printf("%s at %u DPI: client %ld x %ld\n", WindowClass(form.Handle()).c_str(), form.Dpi(),
                static_cast<long>(client.right - client.left), static_cast<long>(client.bottom - client.top));
    for (HWND c : shown) {
        EXPECT_TRUE(Encloses(client, ScreenPlace(c))) << Describe(c) << " reaches out of the form";
        RECT inside{};
        GetClientRect(c, &inside);
        if (auto need = TextAndSurround(c, form.Dpi()))
            EXPECT_LE(need->first + need->second, inside.right) << Describe(c) << ": text " << need->first;
    }
    auto allowed = [&](HWND a, HWND b) {
        for (auto [first, second] : overlapping)
            if ((form.Control(first) == a && form.Control(second) == b) ||
                (form.Control(first) == b && form.Control(second) == a))
                return true;
        return false;
    };
    for (size_t i = 0; i < shown.size(); ++i) {
        for (size_t j = i + 1; j < shown.size(); ++j) {
            RECT a = ScreenPlace(shown[i]), b = ScreenPlace(shown[j]), both{};
            if (!IntersectRect(&both, &a, &b) || Encloses(a, b) || Encloses(b, a) || allowed(shown[i], shown[j]))
                continue;
            ADD_FAILURE() << Describe(shown[i]) << " overlaps " << Describe(shown[j]);
        }
    }
}

class FormFit : public testing::Test {
protected:
    // The test program declares no DPI awareness; its forms are made as the program's are.
    void SetUp() override
    {
        previous_ = setAwareness_.Call<HANDLE(WINAPI*)(HANDLE)>(reinterpret_cast<HANDLE>(-4)).value_or(nullptr);
    }
    void TearDown() override
    {
        if (previous_) (void)setAwareness_.Call<HANDLE(WINAPI*)(HANDLE)>(previous_);
    }

private:
    SystemFunction setAwareness_ = SystemFunction::ByName("user32.dll", "SetThreadDpiAwarenessContext");
    HANDLE previous_ = nullptr;
};

struct Settings {
    std::optional<TempFolder> folder = TempFolder::Create();
    std::unique_ptr<THaupt> haupt;
    std::unique_ptr<TfrmKonfig> form;
    Settings()
    {
        if (!folder || !folder->Write("mgoldwk.ini", "[GLOBAL]\r\nMenuCount=1\r\n[M0]\r\nMenuName=Programs\r\n"
                                                     "ItemCount=0\r\n"))
            return;
        haupt = THaupt::Create({folder->Path()});
        if (haupt) form = TfrmKonfig::Create(haupt->Handle(), SettingsHost(*haupt));
    }
    ~Settings()
    {
        form.reset();
        haupt.reset();
        ReleaseMenus(MenuList);
        Konfig = {};
    }
};

TEST_F(FormFit, EveryFormShowsItsCaptionsWholeWithoutOverlaps)
{
    Settings settings;
    ASSERT_TRUE(settings.form);
    settings.form->FormShow();
    settings.form->Menus().Select(0);
    // The browse buttons close their fields' frames by design.
    ExpectFitted(*settings.form, {{"EdPfad", "BtnBrowsePfad"}, {"EdIconPfad", "BtnBrowseIconPath"}});
    ExpectFitted(settings.form->EditMenuDialog(), {{"EdIconPfad", "BtnBrowseMenIcon"}});
    ExpectFitted(settings.form->OptionsDialog());
    ExpectFitted(settings.form->OptionsDialog().FolderDialog());
    ExpectFitted(*settings.form->AboutDialog());
    std::unique_ptr<TfrmIconPick> picker = TfrmIconPick::Create(nullptr);
    ASSERT_TRUE(picker);
    ExpectFitted(*picker);
}

TEST_F(FormFit, AFormMovedToAScreenOfAnotherDpiLaysItselfOutAgain)
{
    Settings settings;
    ASSERT_TRUE(settings.form);
    TfrmKonfig& form = *settings.form;
    FormDriver ui(form);
    const UINT first = form.Dpi();
    const RECT list = ui.Place("LvItems");
    const SIZE client = ui.ClientSize();
    const LONG fontHeight = ui.Font("BtnQuit").lfHeight;

    const UINT next = first + 48;
    RECT suggested{40, 30, 900, 800};
    SendMessageA(form.Handle(), WM_DPICHANGED, MAKEWPARAM(next, next), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(form.Dpi(), next);
    RECT frame = ScreenPlace(form.Handle());
    EXPECT_EQ(frame.left, 40);
    EXPECT_EQ(frame.top, 30);
    EXPECT_GE(ui.ClientSize().cx, ScaleByDpi(518, next));
    EXPECT_EQ(ui.ClientSize().cy, ScaleByDpi(487, next));
    // The item list never grows for text, and nothing to its left does either.
    const RECT scaled{ScaleByDpi(7, next) + ScaleByDpi(8, next), ScaleByDpi(128, next) + ScaleByDpi(33, next),
                      ScaleByDpi(7, next) + ScaleByDpi(160, next), ScaleByDpi(128, next) + ScaleByDpi(241, next)};
    const RECT moved = ui.Place("LvItems");
    EXPECT_TRUE(EqualRect(&scaled, &moved));
    // Sizes follow the message font at the new DPI, which rounds on its own: a pixel either way.
    EXPECT_NEAR(ui.Font("BtnQuit").lfHeight, -ScaleByDpi(11, next), 1);
    EXPECT_NEAR(ui.Font("LvItems").lfHeight, -ScaleByDpi(13, next), 1);

    SendMessageA(form.Handle(), WM_DPICHANGED, MAKEWPARAM(first, first), reinterpret_cast<LPARAM>(&suggested));
    const RECT back = ui.Place("LvItems");
    EXPECT_TRUE(EqualRect(&list, &back));
    EXPECT_EQ(ui.ClientSize().cx, client.cx);
    EXPECT_EQ(ui.ClientSize().cy, client.cy);
    EXPECT_EQ(ui.Font("BtnQuit").lfHeight, fontHeight);
}

}  // namespace

TEST_F(FormFit, AFormTakesTheMessageFontTheUserPicksAndLaysItselfOutInIt)
{
    Settings settings;
    ASSERT_TRUE(settings.form);
    TfrmKonfig& form = *settings.form;
    NONCLIENTMETRICSW before{};
    before.cbSize = sizeof(before);
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(before), &before, 0));
    ScopeGuard restore([&] { SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, sizeof(before), &before, 0); });
    NONCLIENTMETRICSW larger = before;
    larger.lfMessageFont.lfHeight = before.lfMessageFont.lfHeight * 12 / 11;
    lstrcpyW(larger.lfMessageFont.lfFaceName, L"DejaVu Sans");
    ASSERT_TRUE(SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, sizeof(larger), &larger, 0));
    for (Form* f : {static_cast<Form*>(&form), static_cast<Form*>(form.AboutDialog())})
        SendMessageW(f->Handle(), WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS, 0);
    FormDriver ui(form);
    EXPECT_EQ(ui.Font("BtnQuit").lfHeight, larger.lfMessageFont.lfHeight);
    EXPECT_EQ(ui.Font("LvItems").lfHeight, MulDiv(larger.lfMessageFont.lfHeight, 13, 11));
    EXPECT_EQ(std::wstring(ui.Font("LvItems").lfFaceName), L"DejaVu Sans");
    form.FormShow();
    ExpectFitted(form, {{"EdPfad", "BtnBrowsePfad"}, {"EdIconPfad", "BtnBrowseIconPath"}});
    ExpectFitted(*form.AboutDialog());
}
