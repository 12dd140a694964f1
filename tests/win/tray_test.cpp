// The icon windows' click rules, the hotkeys and the popup request in-process: the real
// main window and icons, events sent as the shell sends them, the message seam answered
// by a script.
#include "app/haupt_win.h"
#include "app/hotkeys_win.h"
#include "app/tray_win.h"
#include "config/model.h"
#include "driver.h"
#include "fake_messages.h"
#include "main_window_driver.h"
#include "menus/menus_win.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <optional>
#include <string>

namespace {

std::string MissingEntry(int menu, std::string_view description)
{
    return "[M" + std::to_string(menu) + "I1]\r\nPfad=C:\\windows\\mgw-missing-" + std::string(description) +
           ".exe\r\nDescription=" + std::string(description) + "\r\n";
}

// Menus 0, 1, 2 with left-click behaviour 1, 2, 3, each with one entry that fails to
// start (so a start shows up as its failure message); menu 3 has behaviour 3 and no entry.
std::string ClickMenus(std::string_view extraGlobal = "")
{
    std::string ini = Ini({"[GLOBAL]", "SelfAutostart=0", "UseToolsMenu=1", "MenuCount=4"}) +
                      std::string(extraGlobal);
    for (int i = 0; i < 3; ++i) {
        ini += "[M" + std::to_string(i) + "]\r\nMenuName=Menu" + std::to_string(i) +
               "\r\nLCB=" + std::to_string(i + 1) + "\r\nItemCount=1\r\n";
        ini += MissingEntry(i, "entry" + std::to_string(i));
    }
    ini += Ini({"[M3]", "MenuName=Empty", "LCB=3", "ItemCount=0"});
    return ini;
}

class TrayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = TempFolder::Create();
        ASSERT_TRUE(folder);
    }
    void TearDown() override
    {
        haupt.reset();
        ReleaseMenus(MenuList);
        Konfig = {};
        TakeQuitMessage();
        DrainPopupRequests();
    }

    void Start(const std::string& ini)
    {
        ASSERT_TRUE(folder->Write("mgoldwk.ini", ini));
        haupt = THaupt::Create({folder->Path()});
        ASSERT_TRUE(haupt);
    }
    HWND Main() const { return haupt->Handle(); }
    HWND IconWindow(size_t menu) const { return TrayEntryList.at(menu).Icon.Window(); }

    // The popup requests the icons and hotkeys posted to the main window (1026, wParam).
    std::vector<WPARAM> DrainPopupRequests()
    {
        std::vector<WPARAM> requests;
        MSG msg;
        while (haupt && PeekMessageA(&msg, Main(), WmShowPopup, WmShowPopup, PM_REMOVE))
            requests.push_back(msg.wParam);
        return requests;
    }
    std::vector<std::string> Started()
    {
        std::vector<std::string> texts;
        for (const MessageRequest& r : messages.Asked()) texts.push_back(r.text);
        return texts;
    }

    FakeMessages messages;
    std::optional<TempFolder> folder;
    std::unique_ptr<THaupt> haupt;
};

std::string FailureOf(std::string_view description)
{
    return "Execution of '" + std::string(description) + "' failed.\rThe specified file was not found.";
}

// ---- menu icons ----

using TrayClicks = TrayTest;

TEST_F(TrayClicks, MouseEventsFollowSingleLeftClickAndTheLeftClickBehaviour)
{
    Start(ClickMenus());
    struct Case {
        bool singleLeftClick;
        LPARAM mouse;
        size_t menu;  // its LCB is menu + 1
        bool popup;
        bool starts;
    };
    const Case cases[] = {
        // single left click: the button release applies the behaviour, the double click nothing
        {true, WM_LBUTTONUP, 0, false, false},
        {true, WM_LBUTTONUP, 1, true, false},
        {true, WM_LBUTTONUP, 2, false, true},
        {true, WM_LBUTTONDBLCLK, 0, false, false},
        {true, WM_LBUTTONDBLCLK, 1, false, false},
        {true, WM_LBUTTONDBLCLK, 2, false, false},
        {true, WM_RBUTTONUP, 0, true, false},
        {true, WM_RBUTTONUP, 1, true, false},
        {true, WM_RBUTTONUP, 2, true, false},
        // double click: the other way round
        {false, WM_LBUTTONUP, 0, false, false},
        {false, WM_LBUTTONUP, 1, false, false},
        {false, WM_LBUTTONUP, 2, false, false},
        {false, WM_LBUTTONDBLCLK, 0, false, false},
        {false, WM_LBUTTONDBLCLK, 1, true, false},
        {false, WM_LBUTTONDBLCLK, 2, false, true},
        {false, WM_RBUTTONUP, 0, true, false},
        {false, WM_RBUTTONUP, 1, true, false},
        {false, WM_RBUTTONUP, 2, true, false},
    };
    for (const Case& c : cases) {
        Konfig.SingleLeftClick = c.singleLeftClick;
        size_t askedBefore = messages.Asked().size();
        SendMessageA(IconWindow(c.menu), 1027 + static_cast<UINT>(c.menu), 0, c.mouse);
        std::vector<WPARAM> requests = DrainPopupRequests();
        std::string where = "single " + std::to_string(c.singleLeftClick) + ", mouse " + std::to_string(c.mouse) +
                            ", LCB " + std::to_string(c.menu + 1);
        EXPECT_EQ(requests, c.popup ? std::vector<WPARAM>{c.menu} : std::vector<WPARAM>{}) << where;
        ASSERT_EQ(messages.Asked().size(), askedBefore + (c.starts ? 1 : 0)) << where;
        if (c.starts) {
            EXPECT_EQ(messages.Asked().back().text, FailureOf("entry2")) << where;
        }
    }
}

TEST_F(TrayClicks, ADoubleClickSeenAsTwoClicksStartsTheFirstEntryTwice)
{
    Start(ClickMenus());
    Konfig.SingleLeftClick = true;
    for (LPARAM mouse : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
        SendMessageA(IconWindow(2), 1029, 0, mouse);
    EXPECT_EQ(Started(), (std::vector<std::string>{FailureOf("entry2"), FailureOf("entry2")}));
}

TEST_F(TrayClicks, StartingTheFirstEntryOfAnEmptyMenuDoesNothing)
{
    Start(ClickMenus());
    Konfig.SingleLeftClick = true;
    SendMessageA(IconWindow(3), 1030, 0, WM_LBUTTONUP);
    EXPECT_TRUE(messages.Asked().empty());
    EXPECT_TRUE(DrainPopupRequests().empty());
    SendMessageA(IconWindow(3), 1030, 0, WM_RBUTTONUP);
    EXPECT_EQ(DrainPopupRequests(), std::vector<WPARAM>{3});
}

TEST_F(TrayClicks, MessagesOfNoMenuAreIgnoredAndTheCursorIsSaved)
{
    Start(ClickMenus());
    SendMessageA(IconWindow(0), 1027 + 4, 0, WM_RBUTTONUP);  // four menus: 1031 names none
    SendMessageA(IconWindow(0), 1026, 0, WM_RBUTTONUP);
    EXPECT_TRUE(DrainPopupRequests().empty());

    ASSERT_TRUE(SetCursorPos(123, 234));
    PopupPos = {};
    SendMessageA(IconWindow(1), 1028, 0, WM_LBUTTONDOWN);
    EXPECT_EQ(PopupPos.x, 123);
    EXPECT_EQ(PopupPos.y, 234);
}

// ---- the tools icon ----

TEST_F(TrayClicks, TheToolsIconOpensOnRightClickAndOnSingleLeftClickOnly)
{
    Start(ClickMenus());
    HWND tools = ToolsTrayIcon.Window();
    ASSERT_NE(tools, nullptr);
    Konfig.SingleLeftClick = true;
    SendMessageA(tools, 1077, 0, WM_LBUTTONUP);
    SendMessageA(tools, 1077, 0, WM_LBUTTONDBLCLK);
    SendMessageA(tools, 1077, 0, WM_RBUTTONUP);
    EXPECT_EQ(DrainPopupRequests(), (std::vector<WPARAM>{255, 255}));

    Konfig.SingleLeftClick = false;
    SendMessageA(tools, 1077, 0, WM_LBUTTONUP);
    SendMessageA(tools, 1077, 0, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(DrainPopupRequests().empty()) << "no left-button action opens the tools menu";
    SendMessageA(tools, 1077, 0, WM_RBUTTONUP);
    EXPECT_EQ(DrainPopupRequests(), std::vector<WPARAM>{255});

    // The tools menu pops up for real: the WM_CANCELMODE queued before closes it again.
    PostMessageA(Main(), WM_CANCELMODE, 0, 0);
    SendMessageA(Main(), WmShowPopup, 255, 0);
    EXPECT_EQ(haupt->ActiveMenuIndex, 255);
}

// ---- the end of the session ----

TEST_F(TrayClicks, EndSessionAtAnIconWindowMeansNoQuitQuestion)
{
    Start(ClickMenus());
    SendMessageA(IconWindow(2), WM_ENDSESSION, FALSE, 0);
    EXPECT_FALSE(haupt->ShutdownPending) << "a cancelled logoff ends nothing";
    SendMessageA(ToolsTrayIcon.Window(), WM_ENDSESSION, TRUE, 0);
    EXPECT_TRUE(haupt->ShutdownPending);
}

// ---- the notification area restarting ----

TEST_F(TrayClicks, TaskbarCreatedAddsEveryIconAgain)
{
    Start(ClickMenus());
    std::vector<TrayIconRecord> records;
    for (const TrayEntry& e : TrayEntryList) records.push_back(e.Icon.Record());
    records.push_back(ToolsTrayIcon.Record());
    for (TrayIconRecord r : records) ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, reinterpret_cast<NOTIFYICONDATAW*>(&r)));

    SendMessageA(Main(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    for (TrayIconRecord r : records)
        EXPECT_TRUE(Shell_NotifyIconW(NIM_MODIFY, reinterpret_cast<NOTIFYICONDATAW*>(&r))) << r.uCallbackMessage;
}

// ---- hotkeys ----

using TrayHotkeys = TrayTest;

constexpr UINT CtrlAltF11 = 0x4000 | 0x8000 | VK_F11;
constexpr UINT CtrlShiftF10 = 0x4000 | 0x2000 | VK_F10;

// Another program's hotkey: registered on a window of the test's own.
class ForeignHotkey {
public:
    ForeignHotkey(UINT modifiers, UINT key)
        : window_(CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr)),
          registered_(window_ && RegisterHotKey(window_.get(), 1, modifiers, key))
    {
    }
    ~ForeignHotkey()
    {
        if (registered_) UnregisterHotKey(window_.get(), 1);
    }
    bool Registered() const { return registered_; }

private:
    UniqueWindow window_;
    bool registered_;
};

std::string HotkeyMenus()
{
    return Ini({"[GLOBAL]", "SelfAutostart=0", "MenuCount=2", "[M0]", "MenuName=Taken", "Hotkey=" +
                std::to_string(CtrlAltF11), "ItemCount=0", "[M1]", "MenuName=Free", "Hotkey=" +
                std::to_string(CtrlShiftF10), "ItemCount=0"});
}

TEST_F(TrayHotkeys, ATakenHotkeyIsReportedNamingItsMenuAndTheOthersAreRegistered)
{
    ForeignHotkey other(MOD_CONTROL | MOD_ALT, VK_F11);
    ASSERT_TRUE(other.Registered());
    Start(HotkeyMenus());

    ASSERT_EQ(messages.Asked().size(), 1u);
    EXPECT_EQ(messages.Asked()[0],
              (MessageRequest{.form = MessageForm::SystemBox,
                              .kind = MessageKind::Error,
                              .owner = Main(),
                              .caption = "Marigoldwick",
                              .text = "Unable to register hotkey for 'Taken'.\rMaybe it's already used by another "
                                      "application."}));
    EXPECT_TRUE(TrayEntryList.at(0).Icon.Added()) << "the menu stays reachable through its icon";

    ForeignHotkey free(MOD_CONTROL | MOD_SHIFT, VK_F10);
    EXPECT_FALSE(free.Registered()) << "menu 1's hotkey is held by the program";

    // Taking the hotkeys away reports nothing for the one that was never registered.
    UnregisterHotkeys();
    EXPECT_EQ(messages.Asked().size(), 1u);
    ForeignHotkey freedAgain(MOD_CONTROL | MOD_SHIFT, VK_F10);
    EXPECT_TRUE(freedAgain.Registered());
}

TEST_F(TrayHotkeys, AHotkeyAsksForItsMenusPopupAtTheCursor)
{
    Start(HotkeyMenus());
    ASSERT_TRUE(SetCursorPos(321, 123));
    PopupPos = {};
    SendMessageA(Main(), WM_HOTKEY, 1, MAKELPARAM(MOD_CONTROL | MOD_SHIFT, VK_F10));
    EXPECT_EQ(DrainPopupRequests(), std::vector<WPARAM>{1});
    EXPECT_EQ(PopupPos.x, 321);
    EXPECT_EQ(PopupPos.y, 123);

    SendMessageA(Main(), WM_HOTKEY, 2, 0);
    SendMessageA(Main(), WM_HOTKEY, 255, 0);
    SendMessageA(Main(), WM_HOTKEY, static_cast<WPARAM>(-1), 0);
    EXPECT_TRUE(DrainPopupRequests().empty()) << "identifiers of no menu are ignored";
}

// ---- the popup menu ----

// Runs inside the popup's menu loop: looks at the popup, then closes it.
struct PopupProbe {
    THaupt* haupt = nullptr;
    bool seen = false;
    RECT rect{};
    int activeAfterSecondRequest = -1;
};
PopupProbe* ActiveProbe = nullptr;

BOOL CALLBACK FindPopup(HWND hwnd, LPARAM)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == GetCurrentProcessId() && WindowClass(hwnd) == "#32768" && IsWindowVisible(hwnd)) {
        ActiveProbe->seen = true;
        GetWindowRect(hwnd, &ActiveProbe->rect);
        return FALSE;
    }
    return TRUE;
}

void CALLBACK ProbeTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    EnumWindows(&FindPopup, 0);
    // Another icon's request while this popup is open.
    SendMessageA(ActiveProbe->haupt->Handle(), WmShowPopup, 0, 0);
    ActiveProbe->activeAfterSecondRequest = ActiveProbe->haupt->ActiveMenuIndex;
    PostMessageA(ActiveProbe->haupt->Handle(), WM_CANCELMODE, 0, 0);
}

TEST_F(TrayClicks, TheRequestTracksTheMenusPopupAtTheSavedPosition)
{
    Start(ClickMenus());
    PopupProbe probe;
    probe.haupt = haupt.get();
    ActiveProbe = &probe;
    PopupPos = {200, 150};
    SetTimer(nullptr, 0, 50, &ProbeTimer);
    SendMessageA(Main(), WmShowPopup, 2, 0);
    ActiveProbe = nullptr;

    ASSERT_TRUE(probe.seen) << "no popup menu showed";
    EXPECT_EQ(probe.rect.left, 200);
    EXPECT_EQ(probe.rect.top, 150);
    EXPECT_GE(probe.rect.right - probe.rect.left, MenuList[2]->MaxTextWidth + 40)
        << "the entries were measured for their description";
    EXPECT_EQ(haupt->ActiveMenuIndex, 2);
    EXPECT_EQ(probe.activeAfterSecondRequest, 2) << "the open popup keeps its menu";
}

TEST_F(TrayClicks, ALongMenuPopsUpInColumnsWithinTheWorkArea)
{
    RECT work{};
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
    const int perColumn = (work.bottom - work.top - 18 + 17) / 18;  // icon size 16: entries 18 high
    const int n = 2 * perColumn + 3;
    std::string ini = Ini({"[GLOBAL]", "SelfAutostart=0", "IconSize=16", "MenuBreakIfPossible=1", "MenuCount=1",
                           "[M0]", "MenuName=Long", "ItemCount=" + std::to_string(n)});
    for (int k = 1; k <= n; ++k)
        ini += "[M0I" + std::to_string(k) + "]\r\nPfad=C:\\windows\\notepad.exe\r\nDescription=Entry " +
               std::to_string(k) + "\r\n";
    Start(ini);

    PopupProbe probe;
    probe.haupt = haupt.get();
    ActiveProbe = &probe;
    PopupPos = {0, 0};
    SetTimer(nullptr, 0, 50, &ProbeTimer);
    SendMessageA(Main(), WmShowPopup, 0, 0);
    ActiveProbe = nullptr;

    ASSERT_TRUE(probe.seen);
    EXPECT_GE(probe.rect.right - probe.rect.left, 3 * (MenuList[0]->MaxTextWidth + 20)) << "three columns";
    EXPECT_LE(probe.rect.bottom - probe.rect.top, work.bottom - work.top);
}

}  // namespace
