// A notification icon with a hidden top-level window of its own that receives the
// icon's events, mouse and keyboard (NOTIFYICON_VERSION_4); what the events mean is the
// caller's window procedure's business.
#pragma once

#include "win/handles.h"

#include <windows.h>
#include <shellapi.h>

#include <cstddef>
#include <string>
#include <string_view>

// The first, 152-byte NOTIFYICONDATAW: understood by every shell version.
struct TrayIconRecord {
    DWORD cbSize;
    HWND hWnd;
    UINT uID;
    UINT uFlags;
    UINT uCallbackMessage;
    HICON hIcon;
    WCHAR szTip[64];
};
#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(TrayIconRecord) == 152 && NOTIFYICONDATAW_V1_SIZE == 152);
#endif
static_assert(offsetof(TrayIconRecord, szTip) == offsetof(NOTIFYICONDATAW, szTip));

// One icon in the notification area. Owns its hidden window and its icon handle (kept so
// the icon can be added again when the notification area is recreated); removes the
// icon when destroyed.
class TrayIcon {
public:
    TrayIcon() = default;
    TrayIcon(TrayIcon&& other) noexcept;
    TrayIcon& operator=(TrayIcon&& other) noexcept;
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;
    ~TrayIcon();

    const TrayIconRecord& Record() const { return record_; }
    // The tip the shell shows, as UTF-8.
    std::string Tip() const;
    HWND Window() const { return window_.get(); }
    bool Added() const { return window_ != nullptr; }

private:
    friend bool AddTrayIcon(UniqueIcon icon, UINT callbackMessage, std::string_view tip, WNDPROC windowProc,
                            TrayIcon& record);
    friend void RemoveTrayIcon(TrayIcon& record);
    friend bool ReAddTrayIcon(const TrayIcon& record);
    friend bool ReplaceTrayIconPicture(TrayIcon& record, UniqueIcon icon, bool add);

    TrayIconRecord record_{};
    UniqueWindow window_;
    UniqueIcon icon_;
};

// Creates the icon's hidden window, run by windowProc, fills the record and adds the
// icon. A record that already holds an icon is removed first. False when the shell
// refused the icon; the record then still owns its window, so a later re-add can bring
// it back.
[[nodiscard]] bool AddTrayIcon(UniqueIcon icon, UINT callbackMessage, std::string_view tip, WNDPROC windowProc,
                               TrayIcon& record);
// Removes the icon, then destroys its window; an empty record is left alone.
void RemoveTrayIcon(TrayIcon& record);
// NIM_ADD again with the same record, after the notification area was recreated.
[[nodiscard]] bool ReAddTrayIcon(const TrayIcon& record);
// A new picture for an icon (at another size after a DPI change), given to the shell
// with NIM_MODIFY, or with NIM_ADD when the notification area was recreated and lost the
// icon. Without a new picture the old one stays; an empty record is left alone.
[[nodiscard]] bool ReplaceTrayIconPicture(TrayIcon& record, UniqueIcon icon, bool add);
