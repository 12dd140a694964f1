#include "app/tray_win.h"

#include "app/haupt_win.h"
#include "app/tray_rules.h"
#include "config/model.h"
#include "launch/launch_win.h"
#include "menus/menus_win.h"
#include "win/application.h"

#include <algorithm>
#include <cstring>
#include <utility>

POINT PopupPos{};

namespace {

constexpr char TrayClassName[] = "MarigoldwickTrayIcon";
constexpr UINT NotifyFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;

THaupt* Controller = nullptr;

[[nodiscard]] bool RegisterTrayClass()
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExA(instance, TrayClassName, &existing)) return true;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &TrayWindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = TrayClassName;
    return RegisterClassExA(&wc) != 0;
}

NOTIFYICONDATAA* AsNotifyData(TrayIconRecord& record) { return reinterpret_cast<NOTIFYICONDATAA*>(&record); }

void ApplyLeftClickBehaviour(int menuIndex)
{
    const TOneMenu* menu = MenuAt(menuIndex);
    if (!menu) return;
    switch (menu->LCB) {
    case 2:
        RequestPopupMenu(static_cast<WPARAM>(menuIndex));
        break;
    case 3:
        if (!menu->Items.empty()) LaunchItem(menuIndex, 0, false);
        break;
    default:
        break;
    }
}

void MenuIconEvent(int menuIndex, LPARAM mouse)
{
    switch (mouse) {
    case WM_LBUTTONUP:
        if (Konfig.SingleLeftClick) ApplyLeftClickBehaviour(menuIndex);
        break;
    case WM_LBUTTONDBLCLK:
        if (!Konfig.SingleLeftClick) ApplyLeftClickBehaviour(menuIndex);
        break;
    case WM_RBUTTONUP:
        RequestPopupMenu(static_cast<WPARAM>(menuIndex));
        break;
    default:
        break;
    }
}

void ToolsIconEvent(LPARAM mouse)
{
    if ((mouse == WM_LBUTTONUP && Konfig.SingleLeftClick) || mouse == WM_RBUTTONUP) RequestPopupMenu(ToolsMenuIndex);
}

}  // namespace

TrayIcon::TrayIcon(TrayIcon&& other) noexcept
    : record_(std::exchange(other.record_, {})), window_(std::move(other.window_)), icon_(std::move(other.icon_))
{
}

TrayIcon& TrayIcon::operator=(TrayIcon&& other) noexcept
{
    if (this != &other) {
        RemoveTrayIcon(*this);
        record_ = std::exchange(other.record_, {});
        window_ = std::move(other.window_);
        icon_ = std::move(other.icon_);
    }
    return *this;
}

TrayIcon::~TrayIcon() { RemoveTrayIcon(*this); }

bool AddTrayIcon(UniqueIcon icon, UINT callbackMessage, std::string_view tip, TrayIcon& record)
{
    RemoveTrayIcon(record);
    std::string tipText = TipText(tip);
    if (!RegisterTrayClass()) return false;
    // An ordinary top-level window, never shown: unlike a message-only window it also
    // receives broadcasts such as WM_ENDSESSION. The caption names the icon for tools
    // that look at the process's windows.
    HWND window = CreateWindowExA(0, TrayClassName, tipText.c_str(), WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    if (!window) return false;
    record.window_.reset(window);
    record.icon_ = std::move(icon);

    TrayIconRecord& r = record.record_;
    r = {};
    r.cbSize = sizeof(TrayIconRecord);
    r.hWnd = window;
    r.uID = 0;
    r.uFlags = NotifyFlags;
    r.uCallbackMessage = callbackMessage;
    r.hIcon = record.icon_.get();
    std::memcpy(r.szTip, tipText.data(), tipText.size());  // TipText leaves room for the zero
    return Shell_NotifyIconA(NIM_ADD, AsNotifyData(r)) != FALSE;
}

void RemoveTrayIcon(TrayIcon& record)
{
    if (!record.window_) return;
    // The shell finds the icon by window and id: delete it while the window still exists.
    Shell_NotifyIconA(NIM_DELETE, AsNotifyData(record.record_));
    record.window_.reset();
    record.icon_.reset();
    record.record_ = {};
}

bool ReAddTrayIcon(const TrayIcon& record)
{
    if (!record.window_) return false;
    TrayIconRecord copy = record.record_;
    return Shell_NotifyIconA(NIM_ADD, AsNotifyData(copy)) != FALSE;
}

LRESULT CALLBACK TrayWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg >= WmMenuIconFirst && msg < WmMenuIconFirst + std::min<size_t>(TrayEntryList.size(), MaxMenus)) {
        GetCursorPos(&PopupPos);
        MenuIconEvent(static_cast<int>(msg - WmMenuIconFirst), lParam);
        return 0;
    }
    if (msg == WmToolsIcon) {
        GetCursorPos(&PopupPos);
        ToolsIconEvent(lParam);
        return 0;
    }
    // wParam FALSE: the logoff was cancelled after all, so quitting still asks.
    if (msg == WM_ENDSESSION && wParam && Controller) Controller->ShutdownPending = true;
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void SetTrayController(THaupt* haupt) { Controller = haupt; }

void RequestPopupMenu(WPARAM menuIndex)
{
    HWND main = MainWindow();
    if (!main) return;
    SetForegroundWindow(main);
    PostMessageA(main, THaupt::WmShowPopup, menuIndex, 0);
}
