// What a screen reader in another process learns from the real mgoldwk.exe through oleacc:
// the quick-launch box's rows and the events that announce the highlighted one as letters
// are typed, and the name of every control of the settings window.
#include "app_test.h"

#include <oleacc.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using Microsoft::WRL::ComPtr;

constexpr WORD CmdSettings = 1900;
constexpr int Hotkey = VK_F9 + 8192 + 16384;  // Ctrl+Shift+F9

struct Event {
    DWORD kind;
    HWND window;
    LONG object, child;
};
std::vector<Event> Events;

void CALLBACK OnEvent(HWINEVENTHOOK, DWORD kind, HWND window, LONG object, LONG child, DWORD, DWORD)
{
    Events.push_back({kind, window, object, child});
}

struct Seen {
    std::string name;
    LONG role = 0, state = 0;
    RECT place{};
};

Seen Read(IAccessible* object, LONG child)
{
    Seen seen;
    VARIANT id{}, value{};
    id.vt = VT_I4;
    id.lVal = child;
    BSTR name = nullptr;
    if (object->get_accName(id, &name) == S_OK && name) seen.name = Utf8(std::wstring(name, SysStringLen(name)));
    SysFreeString(name);
    if (SUCCEEDED(object->get_accRole(id, &value)) && value.vt == VT_I4) seen.role = value.lVal;
    if (SUCCEEDED(object->get_accState(id, &value)) && value.vt == VT_I4) seen.state = value.lVal;
    LONG width = 0, height = 0;
    if (object->accLocation(&seen.place.left, &seen.place.top, &width, &height, id) == S_OK)
        seen.place = {seen.place.left, seen.place.top, seen.place.left + width, seen.place.top + height};
    return seen;
}

ComPtr<IAccessible> ObjectOf(HWND window)
{
    ComPtr<IAccessible> object;
    AccessibleObjectFromWindow(window, OBJID_CLIENT, IID_IAccessible, reinterpret_cast<void**>(object.GetAddressOf()));
    return object;
}

// What a screen reader reads once a row is announced: the focus event followed by the
// selection event of the same row, taken back through AccessibleObjectFromEvent. The events
// come out of context, as messages to this thread.
Seen Announced(const std::string& expected)
{
    Seen heard;
    for (const DWORD start = GetTickCount(); GetTickCount() - start < 3000 && heard.name != expected;) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        const size_t n = Events.size();
        if (n < 2 || Events[n - 2].kind != EVENT_OBJECT_FOCUS || Events[n - 1].kind != EVENT_OBJECT_SELECTION ||
            Events[n - 2].child != Events[n - 1].child)
            continue;
        const Event& focus = Events[n - 2];
        ComPtr<IAccessible> object;
        VARIANT child{};
        if (SUCCEEDED(AccessibleObjectFromEvent(focus.window, static_cast<DWORD>(focus.object),
                                                static_cast<DWORD>(focus.child), object.GetAddressOf(), &child)))
            heard = Read(object.Get(), child.lVal);
    }
    Events.clear();
    return heard;
}

class AccessibilityE2e : public AppTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        AppTest::SetUp();
    }
    void TearDown() override
    {
        if (hook) UnhookWinEvent(hook);
        Events.clear();
        AppTest::TearDown();
        CoUninitialize();
    }

    HWINEVENTHOOK hook = nullptr;
};

TEST_F(AccessibilityE2e, TheQuickLaunchRowsAreReadByNameAndTheHighlightedOneIsAnnouncedAsLettersAreTyped)
{
    const std::string entry = "Pfad=C:\\windows\\notepad.exe\nIsPIDL=0\nIconNum=-99\n";
    Launch(Ini({"[GLOBAL]", "SelfAutostart=0", "AskBeforeQuit=0", "MenuCount=2",
                "QuickLaunchHotkey=" + std::to_string(Hotkey), "[M0]", "MenuName=Tools", "ItemCount=2", "[M1]",
                "MenuName=More", "ItemCount=1"}) +
           "[M0I1]\n" + entry + "Description=Record &alpha\n[M0I2]\n" + entry + "Description=Record beta\n" +
           "[M1I1]\n" + entry + "Description=Gamma && sons\n");
    DWORD process = 0;
    GetWindowThreadProcessId(main, &process);
    hook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_SELECTION, nullptr, OnEvent, process, 0,
                           WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);

    HWND box = nullptr;  // the hotkey is registered a moment after the main window shows
    for (int tries = 0; tries < 5 && !box; ++tries, box = app->WaitForWindow({"TQuickBox", "", true}, 1000))
        PressKeys({VK_CONTROL, VK_SHIFT, VK_F9});
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == box; }, 3000));
    ComPtr<IAccessible> edit = ObjectOf(FindWindowExA(box, nullptr, "Edit", nullptr));
    HWND list = FindWindowExA(box, nullptr, "MgwQuickList", nullptr);
    ComPtr<IAccessible> rows = ObjectOf(list);
    ASSERT_TRUE(edit && rows);
    EXPECT_EQ(Read(edit.Get(), CHILDID_SELF).name, "Quick launch");
    EXPECT_EQ(Read(rows.Get(), CHILDID_SELF).role, ROLE_SYSTEM_LIST);
    HWND found = nullptr;
    EXPECT_TRUE(SUCCEEDED(WindowFromAccessibleObject(rows.Get(), &found)) && found == list);
    LONG count = 0;
    EXPECT_TRUE(SUCCEEDED(rows->get_accChildCount(&count)) && count == 3) << count;
    const Seen first = Read(rows.Get(), 1), second = Read(rows.Get(), 2);
    const LONG highlighted = STATE_SYSTEM_SELECTED | STATE_SYSTEM_FOCUSED;
    EXPECT_EQ(first.name, "Record alpha, Tools");
    EXPECT_TRUE(first.role == ROLE_SYSTEM_LISTITEM && (first.state & highlighted) == highlighted) << first.state;
    EXPECT_TRUE(second.name == "Record beta, Tools" && !(second.state & highlighted)) << second.name;
    const RECT shown = ScreenPlace(list);
    RECT below{};  // the second row lies in the list, one row below the first
    EXPECT_TRUE(IntersectRect(&below, &shown, &second.place) && EqualRect(&below, &second.place) &&
                second.place.top == first.place.bottom && first.place.bottom > first.place.top);

    // Arrows and typed letters move the highlight: each time the row is announced.
    Events.clear();
    PressKeys({VK_DOWN});
    Seen heard = Announced("Record beta, Tools");
    EXPECT_TRUE(heard.name == "Record beta, Tools" && (heard.state & highlighted) == highlighted) << heard.name;
    PressKeys({'G', 'A'});
    heard = Announced("Gamma & sons, More");
    EXPECT_TRUE(heard.name == "Gamma & sons, More" && heard.role == ROLE_SYSTEM_LISTITEM) << heard.name;
    EXPECT_TRUE(SUCCEEDED(rows->get_accChildCount(&count)) && count == 1) << count;

    PressKeys({VK_ESCAPE});
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(box); }, 3000));
    EXPECT_TRUE(SUCCEEDED(rows->get_accChildCount(&count)) && count == 0) << "a closed box has no rows: " << count;
}

TEST_F(AccessibilityE2e, EverySettingsControlHasANameItsLabelGivesWhereItsOwnTextIsNone)
{
    Launch(Ini({"[GLOBAL]", "SelfAutostart=0", "AskBeforeQuit=0", "MenuCount=1", "[M0]", "MenuName=Tools",
                "ItemCount=0"}));
    ASSERT_TRUE(ChooseMenuCommand(main, 0, CmdSettings));
    HWND settings = app->WaitForSettings();
    ASSERT_NE(settings, nullptr);

    std::vector<std::string> names;
    for (HWND child = GetWindow(settings, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const LONG style = GetWindowLongA(child, GWL_STYLE);
        // Only a divider line shows nothing to name.
        if (!(style & WS_VISIBLE) || (WindowClass(child) == "Static" && (style & SS_TYPEMASK) == SS_ETCHEDVERT)) continue;
        ComPtr<IAccessible> object = ObjectOf(child);
        ASSERT_TRUE(object) << WindowClass(child);
        const std::string name = Read(object.Get(), CHILDID_SELF).name;
        EXPECT_FALSE(name.empty()) << WindowClass(child) << " \"" << WindowText(child) << "\" has no name";
        names.push_back(WindowClass(child) + ": " + name);
    }
    for (const char* expected :
         {"SysListView32: Menus", "SysListView32: Items", "Edit: Item", "Edit: Icon Path", "Edit: Parameters",
          "Edit: Description", "Edit: Working dir", "ComboBox: Startmode", "ComboBox: Autostart mode",
          "Static: Icon", "ScrollBar: Icon number", "Button: Browse for the working folder", "Button: Add"})
        EXPECT_NE(std::find(names.begin(), names.end(), expected), names.end()) << "no " << expected;
}

}  // namespace
