// What a screen reader in another process learns from the real mgoldwk.exe through oleacc:
// the quick-launch box's rows and the events that announce the highlighted one as letters
// are typed, and the name of every control of the settings window.
#include "app_test.h"

#include <oleacc.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
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

// Out-of-context events arrive as messages to this thread.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 3000)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start >= timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    return true;
}

struct Seen {
    std::string name;
    LONG role = 0, state = 0;
};

Seen Read(IAccessible* object, LONG child)
{
    Seen seen;
    VARIANT id{};
    id.vt = VT_I4;
    id.lVal = child;
    BSTR name = nullptr;
    if (object->get_accName(id, &name) == S_OK && name) seen.name = Utf8(std::wstring(name, SysStringLen(name)));
    SysFreeString(name);
    VARIANT value{};
    if (SUCCEEDED(object->get_accRole(id, &value)) && value.vt == VT_I4) seen.role = value.lVal;
    VariantClear(&value);
    if (SUCCEEDED(object->get_accState(id, &value)) && value.vt == VT_I4) seen.state = value.lVal;
    VariantClear(&value);
    return seen;
}

ComPtr<IAccessible> ObjectOf(HWND window)
{
    ComPtr<IAccessible> object;
    if (FAILED(AccessibleObjectFromWindow(window, OBJID_CLIENT, IID_IAccessible,
                                          reinterpret_cast<void**>(object.GetAddressOf()))))
        return nullptr;
    return object;
}

class AccessibilityE2e : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        comReady = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    }
    void TearDown() override
    {
        if (hook) UnhookWinEvent(hook);
        Events.clear();
        AppTest::TearDown();
        if (comReady) CoUninitialize();
    }

    // The last focus event, once the selection event of the same row follows it: what a
    // screen reader reads, taken back from the event as it would.
    std::optional<Seen> Announced(const std::string& expected)
    {
        std::optional<Seen> heard;
        PumpUntil([&] {
            for (size_t i = 0; i + 1 < Events.size(); ++i) {
                const Event& focus = Events[i];
                const Event& selection = Events[i + 1];
                if (focus.kind != EVENT_OBJECT_FOCUS || selection.kind != EVENT_OBJECT_SELECTION ||
                    selection.child != focus.child || selection.window != focus.window)
                    continue;
                ComPtr<IAccessible> object;
                VARIANT child{};
                if (FAILED(AccessibleObjectFromEvent(focus.window, static_cast<DWORD>(focus.object),
                                                     static_cast<DWORD>(focus.child), object.GetAddressOf(), &child)))
                    continue;
                heard = Read(object.Get(), child.vt == VT_I4 ? child.lVal : CHILDID_SELF);
                if (heard->name == expected) return true;
            }
            return false;
        });
        Events.clear();
        return heard;
    }

    bool comReady = false;
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
    ASSERT_TRUE(comReady);
    DWORD process = 0;
    GetWindowThreadProcessId(main, &process);
    hook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_SELECTION, nullptr, OnEvent, process, 0,
                           WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);

    HWND box = nullptr;
    for (int tries = 0; tries < 5 && !box; ++tries) {
        PressKeys({VK_CONTROL, VK_SHIFT, VK_F9});
        box = app->WaitForWindow({"TQuickBox", "", true}, 1000);
    }
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == box; }, 3000));
    HWND list = FindWindowExA(box, nullptr, "MgwQuickList", nullptr);
    ComPtr<IAccessible> edit = ObjectOf(FindWindowExA(box, nullptr, "Edit", nullptr));
    ComPtr<IAccessible> rows = ObjectOf(list);
    ASSERT_TRUE(edit && rows);
    EXPECT_EQ(Read(edit.Get(), CHILDID_SELF).name, "Quick launch");
    EXPECT_EQ(Read(rows.Get(), CHILDID_SELF).role, ROLE_SYSTEM_LIST);
    LONG count = 0;
    EXPECT_TRUE(SUCCEEDED(rows->get_accChildCount(&count)) && count == 3) << count;
    Seen first = Read(rows.Get(), 1), second = Read(rows.Get(), 2);
    EXPECT_EQ(first.name, "Record alpha, Tools");
    EXPECT_EQ(first.role, ROLE_SYSTEM_LISTITEM);
    EXPECT_EQ(first.state & (STATE_SYSTEM_SELECTED | STATE_SYSTEM_FOCUSED), STATE_SYSTEM_SELECTED | STATE_SYSTEM_FOCUSED);
    EXPECT_EQ(second.name, "Record beta, Tools");
    EXPECT_EQ(second.state & STATE_SYSTEM_SELECTED, 0);

    // Arrows and typed letters move the highlight: each time the row is announced.
    Events.clear();
    PressKeys({VK_DOWN});
    std::optional<Seen> heard = Announced("Record beta, Tools");
    ASSERT_TRUE(heard);
    EXPECT_EQ(heard->name, "Record beta, Tools");
    EXPECT_NE(heard->state & STATE_SYSTEM_SELECTED, 0);
    PressKeys({'G', 'A'});
    heard = Announced("Gamma & sons, More");
    ASSERT_TRUE(heard);
    EXPECT_EQ(heard->name, "Gamma & sons, More");
    EXPECT_EQ(heard->role, ROLE_SYSTEM_LISTITEM);
    EXPECT_NE(heard->state & STATE_SYSTEM_FOCUSED, 0);
    EXPECT_TRUE(SUCCEEDED(rows->get_accChildCount(&count)) && count == 1) << count;

    PressKeys({VK_ESCAPE});
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(box); }, 3000));
    EXPECT_TRUE(SUCCEEDED(rows->get_accChildCount(&count)) && count == 0) << "a closed box has no rows: " << count;
}

TEST_F(AccessibilityE2e, EverySettingsControlHasANameItsLabelGivesWhereItsOwnTextIsNone)
{
    Launch(Ini({"[GLOBAL]", "SelfAutostart=0", "AskBeforeQuit=0", "MenuCount=1", "[M0]", "MenuName=Tools",
                "ItemCount=0"}));
    ASSERT_TRUE(comReady);
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
        EXPECT_NE(std::find(names.begin(), names.end(), expected), names.end()) << expected;
}

}  // namespace
