// The in-memory configuration: global options, the ordered menus and their entries.
// Platform-neutral: the Win32 build plugs real image lists in through MenuImages.
#pragma once

#include "win/command_ids.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

inline constexpr int MaxMenus = 50;           // menu 50 would take the tools icon's message 1077
inline constexpr int MaxItemsPerMenu = 1900;  // 1900 and up are the popup menu's fixed commands
static_assert(WmMenuIconFirst + MaxMenus <= WmToolsIcon && MaxMenus <= ToolsMenuIndex);
static_assert(MaxItemsPerMenu <= CmdSettings);
inline constexpr int32_t DefaultIconNum = -99;  // "use the item's default icon"

struct TOneItem;

// A menu's picture list: one image per entry, found again through TOneItem::ImageIndex.
class MenuImages {
public:
    virtual ~MenuImages() = default;
    virtual int Count() const = 0;
    // Adds the entry's icon (or the separator picture) and returns its position.
    virtual int AddEntryImage(const TOneItem& item) = 0;
    // Removes picture `index`; later pictures move down by one. A list that cannot
    // remove says false.
    virtual bool RemoveEntryImage(int /*index*/) { return false; }
};
using MenuImagesFactory = std::function<std::unique_ptr<MenuImages>()>;
// Set by the main window at start; menus made before that have no pictures.
extern MenuImagesFactory NewMenuImages;

// A folder whose files the quick-launch box finds besides the menus' entries: searched
// `depth` folders down (0: the folder itself only) for files matching `masks`
// ("*.exe;*.lnk": `;`-separated, `*` and `?` wildcards, any case).
struct QuickFolder {
    std::string Path;
    int32_t Depth = 1;
    std::string Masks = "*.exe;*.lnk";
    bool operator==(const QuickFolder&) const = default;
};
inline constexpr int32_t MaxQuickFolderDepth = 5;
inline constexpr int MaxQuickFolders = 100;

struct TKonfig {
    uint8_t IconSize = 0;
    bool SingleLeftClick = false;
    bool SelfAutostart = false;
    bool MenuBreakIfPossible = false;
    bool UseToolsMenu = false;
    int32_t ToolsMenuCfg = 0;
    bool AskBeforeQuit = false;
    uint16_t QuickLaunchHotkey = 0;  // as TOneMenu::Hotkey (key code, 8192 Shift, 16384 Ctrl, 32768 Alt); 0: none
    uint8_t Theme = 0;               // a ThemeChoice: 0 follow the system, 1 light, 2 dark
    std::vector<QuickFolder> QuickFolders;
};

struct TOneItem {
    std::string Pfad;  // a path, or the raw identifier-list bytes when IsPIDL is set
    bool IsPIDL = false;
    std::string IconPfad;
    int32_t IconNum = DefaultIconNum;
    uint16_t Startmode = 0;
    uint16_t AutoStartmode = 0;
    bool Autostart = false;
    std::string Parameters;
    std::string Description;
    // Added later: files without them load as before, and entries that never set them
    // write no key for them.
    std::string WorkingDir;   // empty: the folder the launch rules choose
    bool RunAsAdmin = false;  // start through the shell's "runas" verb
    bool FolderMenu = false;  // a folder entry that opens as a submenu of its contents
    int32_t ImageIndex = -1;

    bool IsSeparator() const;
};

struct TOneMenu {
    std::string IconPfad;
    int32_t IconNum = 0;
    std::string MenuName;
    uint8_t LCB = 2;
    uint16_t Hotkey = 0;
    std::string MenuFolder;  // not empty: the popup lists this folder instead of Items
    std::vector<std::unique_ptr<TOneItem>> Items;
    std::unique_ptr<MenuImages> Images;
    int32_t MaxTextWidth = 0;

    // Releases the entries from the last to the first.
    void ClearItems();
    // No room for another entry: identifiers from MaxItemsPerMenu up are the popup
    // menu's own commands. Loading and the settings window hold to this; AddItem does not.
    bool IsFull() const;
    // Removes entry `index` and its picture; the entries whose pictures came after it
    // follow them down by one. False outside the list.
    bool RemoveItem(int index);
    // Exchanges two entries; each keeps its own picture. False unless both exist.
    bool SwapItems(int a, int b);
};

using TMenuList = std::vector<std::unique_ptr<TOneMenu>>;

// The process-wide model and shared values.
extern TKonfig Konfig;
extern TMenuList MenuList;
extern const std::string SeparatorMarker;
extern std::string IniFile;
extern std::string HelpFile;
extern std::string ReadmeFile;
extern bool RunningOnNT;
extern bool ReverseIconOrder;

// The menu at that position, or nullptr outside 0..count-1.
TOneMenu* MenuAt(int index);
TOneMenu* MenuAt(TMenuList& menus, int index);
// Both indices must be valid.
TOneItem& ItemAt(int menuIndex, int itemIndex);

// Appends a new, empty menu with its own picture list.
TOneMenu& NewMenu(TMenuList& menus, const MenuImagesFactory& newImages = NewMenuImages);
// Adds the entry's picture, sets ImageIndex and appends (or inserts at `at`) the entry.
TOneItem& AddItem(TOneMenu& menu, std::unique_ptr<TOneItem> item, int at = -1);
// A separator entry, in no menu yet.
std::unique_ptr<TOneItem> NewSeparator();
// Removes menus from the last to the first, each with its entries and pictures.
void ReleaseMenus(TMenuList& menus);

// Directory text ending in exactly one backslash; expects a non-empty text.
std::string WithTrailingBackslash(std::string dir);

struct VersionFlags {
    bool RunningOnNT = false;
    bool ReverseIconOrder = false;
};
// From GetVersionExA's platform id and version; each number is tested on its own.
VersionFlags VersionFlagsFrom(uint32_t platformId, uint32_t major, uint32_t minor);
