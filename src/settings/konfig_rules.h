// Rules of the settings window that need no window: start-mode choices, the item mask,
// the item list's type-ahead and the texts of its labels.
#pragma once

#include "config/model.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// The start-mode combo boxes: "Normal", "Minimized", "Maximized", "Hidden" stand for
// the show commands 1, 7, 3 and 0.
// The choice showing a stored value, or -1 for a value none of them stands for.
int StartModeIndex(uint16_t showCommand);
// The value a choice stores; without a choice (-1 or out of range) 1, "Normal".
uint16_t StartModeFromIndex(int index);

// What the item mask holds, as its controls give it.
struct ItemMask {
    bool shellItem = false;  // the mask shows a shell item: its path text is only a name
    std::string pfad;
    std::string iconPfad;
    bool useDefaultIcon = true;
    int iconNum = 0;  // the icon scroll bar's position
    int startModeChoice = -1;
    int autoStartModeChoice = -1;
    bool autostart = false;
    std::string parameters;
    std::string description;
    std::string workingDir;  // as typed: variables are expanded when the entry starts
    bool runAsAdmin = false;
    bool folderMenu = false;
};
// Writes the mask into an entry, for Add and Modify alike. A shell item keeps the
// identifier list it has; the default icon leaves no icon path.
void ApplyItemMask(const ItemMask& mask, TOneItem& item);

// What lies at a path the mask names.
enum class PathKind { Missing, File, Directory };  // not "Folder": the shell headers declare one
// The warning Add gives for the mask, or null when it may be added. A chosen icon must
// be a file; an entry with the default icon must name a file or a folder (a folder
// shows the shell's icon of it). A shell item's path text is only its name.
const char* AddItemMaskWarning(const ItemMask& mask, PathKind pfad, PathKind iconPfad);
// The same for Modify, which takes the path as typed.
const char* ModifyItemMaskWarning(const ItemMask& mask, PathKind iconPfad);

// A UTF-8 text in upper case by the system's rules, for comparing without case.
using UpperCaseFn = std::function<std::string(std::string_view)>;

// Type-ahead in the item list: the first item, from `start` to the last and then (only
// with `wrap`) from the first to the one before `start`, whose description begins with
// `text`, compared without case: by `upper` when given, otherwise letters a to z only.
// -1 when none does.
int FindItemByPrefix(const std::vector<std::unique_ptr<TOneItem>>& items, int start, std::string_view text,
                     bool wrap, const UpperCaseFn& upper = {});

// The counter above the mask: "3/7" for the third of seven items, "-/7" with none loaded,
// empty while no menu is selected.
std::string ItemIndexText(bool menuSelected, int itemIndex, size_t itemCount);
// The label naming the selected menu before it is fitted to its width.
std::string CurrentMenuText(std::string_view menuName);

// Ctrl with an arrow key moves a list's selected entry as its Move buttons do: -1 towards
// the start (Up, and Left in a list laid out across), +1 towards the end, 0 for any other
// key or without Ctrl. Keys are virtual-key codes.
int MoveStepForKey(unsigned key, bool ctrl, bool across);
