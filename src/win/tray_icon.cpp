#include "win/tray_icon.h"

#include "win/text_conversion.h"
#include "win/tray_tip.h"

#include <algorithm>
#include <cwchar>
#include <string>
#include <utility>

namespace {

constexpr wchar_t TrayClassName[] = L"MarigoldwickTrayIcon";
constexpr UINT NotifyFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
// NOTIFYICON_VERSION_4, which the headers hide from a build for Windows XP; older shells
// refuse it and go on with the first behaviour.
constexpr UINT NotifyIconVersion4 = 4;

// One class for every icon window; each window gets its own procedure once created.
[[nodiscard]] bool RegisterTrayClass()
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExW(instance, TrayClassName, &existing)) return true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &DefWindowProcW;
    wc.hInstance = instance;
    wc.lpszClassName = TrayClassName;
    return RegisterClassExW(&wc) != 0;
}

NOTIFYICONDATAW* AsNotifyData(TrayIconRecord& record) { return reinterpret_cast<NOTIFYICONDATAW*>(&record); }

// NIM_ADD, then the newer callback: the event in LOWORD(lParam), the icon's anchor in
// wParam, and keyboard events (NIN_KEYSELECT, WM_CONTEXTMENU) that older shells report
// as clicks. The shell forgets the version with the icon, so every add asks again.
[[nodiscard]] bool AddToShell(TrayIconRecord record, DWORD message = NIM_ADD)
{
    if (!Shell_NotifyIconW(message, AsNotifyData(record))) return false;
    if (message != NIM_ADD) return true;
    NOTIFYICONDATAW version{};
    version.cbSize = sizeof(version);
    version.hWnd = record.hWnd;
    version.uID = record.uID;
    version.uVersion = NotifyIconVersion4;
    static_cast<void>(Shell_NotifyIconW(NIM_SETVERSION, &version));
    return true;
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

std::string TrayIcon::Tip() const { return Utf8(record_.szTip); }

bool AddTrayIcon(UniqueIcon icon, UINT callbackMessage, std::string_view tip, WNDPROC windowProc, TrayIcon& record)
{
    RemoveTrayIcon(record);
    const std::wstring tipText = Wide(TipText(tip));
    if (!RegisterTrayClass()) return false;
    // An ordinary top-level window, never shown: unlike a message-only window it also
    // receives broadcasts such as WM_ENDSESSION. The caption names the icon for tools
    // that look at the process's windows.
    HWND window = CreateWindowExW(0, TrayClassName, tipText.c_str(), WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    if (!window) return false;
    record.window_.reset(window);
    if (windowProc) SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(windowProc));
    record.icon_ = std::move(icon);

    TrayIconRecord& r = record.record_;
    r = {};
    r.cbSize = sizeof(TrayIconRecord);
    r.hWnd = window;
    r.uID = 0;
    r.uFlags = NotifyFlags;
    r.uCallbackMessage = callbackMessage;
    r.hIcon = record.icon_.get();
    // TipText leaves room for the zero; malformed UTF-8 (each bad byte one U+FFFD) may not.
    std::wmemcpy(r.szTip, tipText.data(), std::min(tipText.size(), TipCapacity));
    return AddToShell(r);
}

void RemoveTrayIcon(TrayIcon& record)
{
    if (!record.window_) return;
    // The shell finds the icon by window and id: delete it while the window still exists.
    Shell_NotifyIconW(NIM_DELETE, AsNotifyData(record.record_));
    record.window_.reset();
    record.icon_.reset();
    record.record_ = {};
}

bool ReAddTrayIcon(const TrayIcon& record)
{
    if (!record.window_) return false;
    return AddToShell(record.record_);
}

bool ReplaceTrayIconPicture(TrayIcon& record, UniqueIcon icon, bool add)
{
    if (!record.window_) return false;
    // The shell keeps its own copy of the picture: the old handle may go at once.
    if (icon) {
        record.icon_ = std::move(icon);
        record.record_.hIcon = record.icon_.get();
    }
    return AddToShell(record.record_, add ? NIM_ADD : NIM_MODIFY);
}
