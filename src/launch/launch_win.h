// Starting menu entries through the shell.
#pragma once

// Starts entry itemIndex of menu menuIndex (both valid) and reports a failure itself.
// An autostart uses the entry's AutoStartmode instead of its Startmode.
void LaunchItem(int menuIndex, int itemIndex, bool asAutostart);
// Every entry marked for autostart, menus and entries in list order.
void RunAutostartItems();
