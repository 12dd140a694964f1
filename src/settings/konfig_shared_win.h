// What the settings window and its two parts share: the names of its controls, what the
// main window lends it, and the system calls it makes through replaceable functions.
#pragma once

#include "shell/idlist_win.h"
#include "win/form_of.h"

#include <functional>
#include <string>

// The settings window's controls, in the order of its table.
enum class KonfigControl {
    GroupBoxMenus, LvMenus, BtnAddMenu, BtnModifyMenu, BtnRemoveMenu, BtnClearMenu, BtnMoveUpMenu,
    BtnMoveDnMenu, GroupBoxItemsEdit, LblCurrentMenu, LblItemIndex, Label5, LvItems, BtnMoveUpItem,
    BtnMoveDnItem, BtnAddSep, Bevel1, PanEditControls, LblPfad, EdPfad, BtnBrowsePfad, CheckFolderMenu, LblIconPfad, EdIconPfad,
    BtnBrowseIconPath, CheckDefaultIcon, CheckRunAsAdmin, LblStartMode, ComboStartMode, LblParams, EdParams,
    CheckAutoStart, ComboAutoStartMode, LblIcon, PanIcon, ImgIcon, ScrollBarIconNum, LblBeschreibung,
    EdBeschreibung, LblWorkingDir, EdWorkingDir, BtnBrowseWorkingDir, LblFolderNote, BtnAddItem, BtnModifyItem, BtnRemoveItem,
    BtnClearItemMask, BtnOK, BtnOptions, BtnAbout, BtnHelp, BtnQuit
};
using KonfigForm = FormOf<KonfigControl>;

// What the window takes from the main window.
struct KonfigHost {
    // Windows is ending the logon: quitting asks nothing.
    std::function<bool()> shutdownPending;
    // The placeholder picture of menus and entries without an icon.
    std::function<HICON()> placeholder;
    // The desktop folder shell items are named from.
    std::function<IShellFolder*()> desktopFolder;
    // The menu whose popup was shown last since the window last closed, or -1.
    std::function<int()> lastUsedMenu;
};

// The system calls behind the window's buttons, replaceable: the shell's "open" (the result
// of ShellExecuteW), the file dialog (true with the chosen file), the folder dialog (starts
// at `folder` when it names one, true with the chosen folder) and the icon picker.
struct KonfigSystem {
    std::function<INT_PTR(HWND owner, const std::string& file, int show)> ShellOpen;
    std::function<bool(HWND owner, std::string& file)> ChooseFile;
    std::function<bool(HWND owner, std::string& folder)> ChooseFolder;
    std::function<bool(HWND owner, std::string& path, int& index)> PickIcon;
    // Holds the button pictures: the program itself unless a test names another module.
    HMODULE PictureModule = nullptr;
};
