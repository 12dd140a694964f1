// Every form's windows as another process sees them: that process's WindowFromPoint takes
// the topmost window under the point and never asks ours for a hit test, so a group box or
// panel lying above the controls it frames would hide them (from drops most of all).
#include "about/about_win.h"
#include "app/haupt_win.h"
#include "config/model.h"
#include "driver.h"
#include "settings/editmenu_win.h"
#include "settings/konfig_win.h"
#include "settings/options_win.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace {

std::string Name(HWND hwnd) { return WindowClass(hwnd) + " #" + std::to_string(GetDlgCtrlID(hwnd)); }

// Checks the form's controls, shown: a control made before another (rows list a container
// before its controls) and enclosing it frames it, so it must lie below it; every visible
// control that frames nothing is what lies topmost at its centre; Tab visits the controls
// that frame nothing in the order they were made.
void ExpectLayers(HWND form)
{
    ShowWindow(form, SW_SHOWNOACTIVATE);
    std::vector<HWND> zOrder;
    for (HWND c = GetWindow(form, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) zOrder.push_back(c);
    ASSERT_GT(zOrder.size(), 3u);
    std::vector<bool> frames(zOrder.size());
    for (size_t outer = 0; outer < zOrder.size(); ++outer) {
        for (size_t inner = 0; inner < zOrder.size(); ++inner) {
            if (outer == inner || GetDlgCtrlID(zOrder[outer]) > GetDlgCtrlID(zOrder[inner]) ||
                !Encloses(ScreenPlace(zOrder[outer]), ScreenPlace(zOrder[inner])))
                continue;
            frames[outer] = true;
            EXPECT_GT(outer, inner) << Name(zOrder[outer]) << " lies above " << Name(zOrder[inner]);
        }
    }
    std::vector<int> tabOrder;
    for (size_t i = 0; i < zOrder.size(); ++i) {
        if (frames[i] || !IsWindowVisible(zOrder[i])) continue;
        RECT r = ScreenPlace(zOrder[i]);
        POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        ScreenToClient(form, &centre);
        EXPECT_EQ(ChildWindowFromPointEx(form, centre, CWP_SKIPINVISIBLE), zOrder[i]) << Name(zOrder[i]);
        if (IsWindowEnabled(zOrder[i]) && (GetWindowLongPtrA(zOrder[i], GWL_STYLE) & WS_TABSTOP))
            tabOrder.push_back(GetDlgCtrlID(zOrder[i]));
    }
    ASSERT_GT(tabOrder.size(), 1u);
    EXPECT_TRUE(std::is_sorted(tabOrder.begin(), tabOrder.end()));
    std::vector<int> visited;
    HWND first = GetDlgItem(form, tabOrder.front());
    HWND at = first;
    do {
        if (std::find(tabOrder.begin(), tabOrder.end(), GetDlgCtrlID(at)) != tabOrder.end())
            visited.push_back(GetDlgCtrlID(at));
        at = GetNextDlgTabItem(form, at, FALSE);
    } while (at && at != first && visited.size() <= zOrder.size());
    EXPECT_EQ(visited, tabOrder);
    ShowWindow(form, SW_HIDE);
}

TEST(FormLayers, SettingsWindowWithAMenuChosen)
{
    std::optional<TempFolder> folder = TempFolder::Create();
    ASSERT_TRUE(folder);
    ASSERT_TRUE(folder->Write("mgoldwk.ini", "[GLOBAL]\r\nMenuCount=1\r\n[M0]\r\nMenuName=Programs\r\nItemCount=0\r\n"));
    std::unique_ptr<THaupt> haupt = THaupt::Create({folder->Path()});
    ASSERT_TRUE(haupt);
    std::unique_ptr<TfrmKonfig> settings = TfrmKonfig::Create(haupt->Handle(), SettingsHost(*haupt));
    ASSERT_TRUE(settings);
    settings->FormShow();
    settings->Menus().Select(0);
    ExpectLayers(settings->Handle());
    // The drop target itself, where a drag from the file manager points.
    ShowWindow(settings->Handle(), SW_SHOWNOACTIVATE);
    RECT list = ScreenPlace(settings->Control(KonfigControl::LvItems));
    for (POINT p : {POINT{list.left + 20, list.top + 4}, POINT{list.right - 4, list.bottom - 4}}) {
        ScreenToClient(settings->Handle(), &p);
        EXPECT_EQ(ChildWindowFromPointEx(settings->Handle(), p, CWP_SKIPINVISIBLE), settings->Control(KonfigControl::LvItems));
    }
    settings.reset();
    haupt.reset();
    ReleaseMenus(MenuList);
    Konfig = {};
}

TEST(FormLayers, MenuPropertiesOptionsAndAbout)
{
    std::unique_ptr<TfrmEditMenu> properties = TfrmEditMenu::Create(nullptr);
    ASSERT_TRUE(properties);
    ExpectLayers(properties->Handle());
    Konfig = {};
    std::unique_ptr<TfrmOptions> options = TfrmOptions::Create(nullptr);
    ASSERT_TRUE(options);
    ExpectLayers(options->Handle());
    HMODULE program = LoadLibraryExA(BesideTestProgram("mgoldwk.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(program);
    std::unique_ptr<TfrmAbout> about = TfrmAbout::Create(nullptr, program);
    ASSERT_TRUE(about);
    ExpectLayers(about->Handle());
    about.reset();
    FreeLibrary(program);
}

}  // namespace
