// Starting menu entries through the shell.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>

// Starts entry itemIndex of menu menuIndex (both valid) and reports a failure itself.
// An autostart uses the entry's AutoStartmode instead of its Startmode.
void LaunchItem(int menuIndex, int itemIndex, bool asAutostart);
// Every entry marked for autostart, menus and entries in list order.
void RunAutostartItems();

// Starts a shell item with its default verb, without the shell's own error box: 0 on
// success, else the system error code.
[[nodiscard]] DWORD ShellExecuteIdList(const ITEMIDLIST* idList, int showCommand, const std::string& parameters);
