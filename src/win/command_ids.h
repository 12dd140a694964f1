// Every window-message and menu-command number of the program, in one place so their
// ranges can be checked against each other. No <windows.h>: the core may include it.
#pragma once

#include <cstdint>

// Messages to the main window, from WM_USER (0x400) on.
inline constexpr unsigned WmStartupDone = 0x0400 + 1;  // 1025: start-up is through
inline constexpr unsigned WmShowPopup = 0x0400 + 2;    // 1026: wParam is the menu index
// From WM_APP (0x8000) on: made once start-up is through.
inline constexpr unsigned WmCreateSettings = 0x8000 + 1;
// Posted by the picture worker: finished entry pictures wait to be placed.
inline constexpr unsigned WmEntryPicturesReady = 0x8000 + 2;
// Answers how many entries' pictures are not final yet (for tests and benchmarks).
inline constexpr unsigned WmPendingPictures = 0x8000 + 3;
// Another start of the program, or a click on the program's own icon: show what the user
// is busy with, else the settings window.
inline constexpr unsigned WmReveal = 0x8000 + 4;
// Answers how many USER objects the process holds, where the environment asks for it
// (benchmarks of long use); 0 otherwise.
inline constexpr unsigned WmCountUserObjects = 0x8000 + 5;
// Posted by the quick-launch catalog's worker: a newer catalog is ready.
inline constexpr unsigned WmCatalogReady = 0x8000 + 6;
// Posted by the folder lister: a folder menu's listing is ready.
inline constexpr unsigned WmFolderListed = 0x8000 + 7;

// The icons' callback messages: menu i's icon sends WmMenuIconFirst + i, the tools icon
// its own, so the number alone names the icon.
inline constexpr unsigned WmMenuIconFirst = 1027;
inline constexpr unsigned WmToolsIcon = 1077;
// The program's own icon, shown while no menu icon is.
inline constexpr unsigned WmOwnIcon = 1078;
// The menu index of a popup request that stands for the tools menu (a WPARAM).
inline constexpr std::uintptr_t ToolsMenuIndex = 255;
// The same for the own icon's popup ("Settings...", "Quit Marigoldwick").
inline constexpr std::uintptr_t OwnMenuIndex = 254;

// Commands of an item popup: entry k is command k, below the fixed commands.
inline constexpr uint16_t CmdSettings = 1900;
inline constexpr uint16_t CmdQuit = 1901;
// Opens the quick-launch box.
inline constexpr uint16_t CmdQuickLaunch = 1902;
// Every separator of an item popup; never chosen, but kept apart from entries and commands.
inline constexpr uint16_t SeparatorCommand = 1990;
// The tools menu's commands, FirstToolsCommand + its row, above everything an item
// popup carries, so a choice can never be read as the other menu's.
inline constexpr uint16_t FirstToolsCommand = 2000;
// The items of folder menus, numbered afresh each time a popup opens: a folder may hold
// thousands of files.
inline constexpr uint16_t FirstFolderCommand = 4096;
inline constexpr uint16_t LastFolderCommand = 0xFFFE;

static_assert(WmStartupDone < WmShowPopup && WmShowPopup < WmMenuIconFirst);
static_assert(WmMenuIconFirst < WmToolsIcon && WmToolsIcon < WmOwnIcon && WmOwnIcon < WmCreateSettings);
static_assert(WmCreateSettings < WmEntryPicturesReady && WmEntryPicturesReady < WmPendingPictures &&
              WmPendingPictures < WmReveal && WmReveal < WmCountUserObjects &&
              WmCountUserObjects < WmCatalogReady && WmCatalogReady < WmFolderListed);
// Room for one menu icon message per menu index below the own and the tools menu's.
static_assert(WmToolsIcon - WmMenuIconFirst <= OwnMenuIndex && OwnMenuIndex < ToolsMenuIndex);
static_assert(CmdQuit == CmdSettings + 1 && CmdQuickLaunch == CmdQuit + 1 && CmdQuickLaunch < SeparatorCommand &&
              SeparatorCommand < FirstToolsCommand && FirstToolsCommand + 1000 < FirstFolderCommand);
