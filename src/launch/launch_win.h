// Starting menu entries through the shell.
#pragma once

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <functional>
#include <string>

// Starts entry itemIndex of menu menuIndex (both valid) and reports a failure itself.
// An autostart uses the entry's AutoStartmode instead of its Startmode.
void LaunchItem(int menuIndex, int itemIndex, bool asAutostart);
// The same start in the entry's own mode, but through the "runas" verb whatever the
// entry says: the quick-launch box's Ctrl+Enter.
void LaunchItemAsAdministrator(int menuIndex, int itemIndex);
// Starts a file as an entry with that path and description would start (shown normally,
// in its own folder), or through "runas"; reports a failure itself.
void LaunchPath(const std::string& path, const std::string& description, bool asAdministrator);
// Every entry marked for autostart, menus and entries in list order.
void RunAutostartItems();

// Starts a shell item with its default verb, without the shell's own error box: 0 on
// success, else the system error code.
[[nodiscard]] DWORD ShellExecuteIdList(const ITEMIDLIST* idList, int showCommand, const std::string& parameters);

// Every start reaches the shell through this one call, so a test sees what was asked,
// the verb above all: Wine starts a "runas" request as if it were "open".
using ShellExecuteCall = std::function<BOOL(SHELLEXECUTEINFOW& info)>;
// Puts a call in place of ShellExecuteExW for its lifetime.
class ScopedShellExecute {
public:
    explicit ScopedShellExecute(ShellExecuteCall call);
    ScopedShellExecute(const ScopedShellExecute&) = delete;
    ScopedShellExecute& operator=(const ScopedShellExecute&) = delete;
    ~ScopedShellExecute();

private:
    ShellExecuteCall previous_;
};
