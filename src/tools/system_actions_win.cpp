#include "tools/system_actions_win.h"

#include "shell/environment_win.h"
#include "win/handles.h"
#include "win/text_conversion.h"

#include <winnetwk.h>

#include <array>
#include <optional>
#include <vector>

namespace {

// The NT family refuses to shut down or restart for a process that has not enabled
// this privilege, even when the user holds it. Windows 9x has no tokens: the calls
// fail there and nothing is needed.
void EnableShutdownPrivilege()
{
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &raw)) return;
    UniqueHandle token(raw);
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &privileges.Privileges[0].Luid)) return;
    AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
}

class RealSystem final : public SystemActions {
public:
    void ExitWindowsWith(UINT flags) override
    {
        if (flags != EWX_LOGOFF) EnableShutdownPrivilege();
        ExitWindowsEx(flags, 0);
    }

    LONG SwitchDisplayMode(const DEVMODEA& mode, DWORD flags) override
    {
        DEVMODEA copy = mode;
        return ChangeDisplaySettingsA(&copy, flags);
    }

    UINT RunCommandLine(const std::string& commandLine, UINT showCommand) override
    {
        // WinExec has no wide form: it takes the system code page.
        return WinExec(NarrowFromWide(Wide(commandLine)).c_str(), showCommand);
    }

    void SetScreenSaveActive(bool active) override
    {
        // No profile update and no broadcast: the change holds for this logon only.
        SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, active ? TRUE : FALSE, nullptr, 0);
    }

    void StartScreenSaver() override { SendMessageW(GetDesktopWindow(), WM_SYSCOMMAND, SC_SCREENSAVE, 0); }

    NetworkDialogResult ConnectionDialog(HWND owner, DWORD resourceType) override
    {
        DWORD result = WNetConnectionDialog(owner, resourceType);
        return {result, GetLastError()};
    }

    NetworkDialogResult DisconnectDialog(HWND owner, DWORD resourceType) override
    {
        DWORD result = WNetDisconnectDialog(owner, resourceType);
        return {result, GetLastError()};
    }

    bool FindComputer() override
    {
        using FindComputerFn = BOOL(WINAPI*)(const ITEMIDLIST*, const ITEMIDLIST*);
        return Dialog(ShellDialog::FindComputer).Call<FindComputerFn>(nullptr, nullptr).has_value();
    }

    bool RunDialog(HWND owner, HICON icon) override
    {
        // Null directory, title and prompt: the dialog shows the system's own texts.
        using RunFileDlgFn = void(WINAPI*)(HWND, HICON, const void*, const void*, const void*, UINT);
        return Dialog(ShellDialog::Run).Call<RunFileDlgFn>(owner, icon, nullptr, nullptr, nullptr, 0u).has_value();
    }

    FunctionState DialogState(ShellDialog dialog) override { return Dialog(dialog).State(); }

    bool ScreenSaverActive() override
    {
        BOOL active = FALSE;
        SystemParametersInfoW(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
        return active != FALSE;
    }

    ScreenMode CurrentScreenMode() override
    {
        ScopedGetDC screen(nullptr);
        return {GetDeviceCaps(screen.get(), HORZRES), GetDeviceCaps(screen.get(), VERTRES),
                GetDeviceCaps(screen.get(), BITSPIXEL)};
    }

    std::string WindowsDirectory() override
    {
        wchar_t buffer[MAX_PATH] = {};
        UINT n = GetWindowsDirectoryW(buffer, MAX_PATH);
        return n < MAX_PATH ? Utf8(std::wstring_view(buffer, n)) : std::string();
    }

    std::string UserScreenSaver() override
    {
        HKEY raw = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS)
            return {};
        UniqueKey key(raw);
        DWORD type = 0;
        DWORD size = 0;
        if (RegQueryValueExW(key.get(), L"SCRNSAVE.EXE", nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ) || size == 0)
            return {};
        std::vector<wchar_t> value(size / sizeof(wchar_t) + 1, L'\0');
        if (RegQueryValueExW(key.get(), L"SCRNSAVE.EXE", nullptr, &type, reinterpret_cast<BYTE*>(value.data()),
                             &size) != ERROR_SUCCESS)
            return {};
        const std::wstring_view text(value.data());
        return Utf8(type == REG_EXPAND_SZ ? ExpandEnvironmentWide(text) : std::wstring(text));
    }

private:
    // Exported by ordinal only; looked up on first use, not while the program starts.
    SystemFunction& Dialog(ShellDialog dialog)
    {
        static constexpr WORD Ordinals[] = {61, 91};
        std::optional<SystemFunction>& slot = dialogs_[static_cast<size_t>(dialog)];
        if (!slot) slot = SystemFunction::ByOrdinal("shell32.dll", Ordinals[static_cast<size_t>(dialog)]);
        return *slot;
    }

    std::array<std::optional<SystemFunction>, 2> dialogs_;
};

RealSystem g_realSystem;
SystemActions* g_system = &g_realSystem;

}  // namespace

SystemActions& System() { return *g_system; }

ScopedSystemActions::ScopedSystemActions(SystemActions& actions) : ScopedReplacement(g_system, actions) {}
