#include "tools/tools_menu_win.h"

#include "config/model.h"
#include "tools/display_modes.h"
#include "tools/system_actions_win.h"
#include "win/command_ids.h"
#include "win/text_conversion.h"

#include <string>

namespace {

struct ToolsMenuRow {
    int level;            // 1: the menu itself, 2: inside the submenu above
    const char* caption;  // "-": a separator
    const char* component;
    void (ToolsMenu::*click)();  // null for a submenu or a separator
};

// The tools menu from top to bottom; the five submenus come in ToolsMenuCfg's bit order.
constexpr ToolsMenuRow Rows[] = {
    {1, "&Misc", "TPMMisc1", nullptr},
    {2, "&Run...", "TPMRun1", &ToolsMenu::TPMRun1Click},
    {1, "&Network", "TPMNetwork1", nullptr},
    {2, "&Add Connection...", "TPMAddNetworkdrive1", &ToolsMenu::TPMAddNetworkdrive1Click},
    {2, "&Remove Connection...", "TPMRemoveNetworkDrive1", &ToolsMenu::TPMRemoveNetworkDrive1Click},
    {2, "&Find Computer...", "TPMFindComputer1", &ToolsMenu::TPMFindComputer1Click},
    {1, "Re&boot", "TPMReboot1", nullptr},
    {2, "&Reboot", "TPMReboot2", &ToolsMenu::TPMReboot2Click},
    {2, "&Shutdown", "TPMShutdown1", &ToolsMenu::TPMShutdown1Click},
    {2, "&Log Off", "TPMLogOff1", &ToolsMenu::TPMLogOff1Click},
    {2, "&Force Shutdown", "TPMForceShutdown1", &ToolsMenu::TPMForceShutdown1Click},
    {1, "&Resolution", "TPMResolution1", nullptr},
    {2, "&Configure", "TPMConfigure1", &ToolsMenu::TPMConfigure1Click},
    {2, "-", "", nullptr},
    {2, DisplayModeTable[0].caption, "TPMSwitchto640x480", &ToolsMenu::TPMSwitchto640x480Click},
    {2, DisplayModeTable[1].caption, "TPMSwitchto800x600", &ToolsMenu::TPMSwitchto800x600Click},
    {2, DisplayModeTable[2].caption, "TPMSwitchto1024x768", &ToolsMenu::TPMSwitchto1024x768Click},
    {2, DisplayModeTable[3].caption, "TPMSwitchto1280x1024", &ToolsMenu::TPMSwitchto1280x1024Click},
    {2, "-", "", nullptr},
    {2, DisplayModeTable[4].caption, "TPMSwitchto8Bit", &ToolsMenu::TPMSwitchto8BitClick},
    {2, DisplayModeTable[5].caption, "TPMSwitchto16bit", &ToolsMenu::TPMSwitchto16bitClick},
    {2, DisplayModeTable[6].caption, "TPMSwitchTo24bit", &ToolsMenu::TPMSwitchTo24bitClick},
    {2, DisplayModeTable[7].caption, "TPMSwitchTo32bit", &ToolsMenu::TPMSwitchTo32bitClick},
    {1, "&Screensaver", "TPMScreensaver1", nullptr},
    {2, "&Start Screensaver", "TPMStartScreensaver1", &ToolsMenu::TPMStartScreensaver1Click},
    {2, "-", "", nullptr},
    {2, "S&elect Screensaver...", "TPMSelectscreensaver1", &ToolsMenu::TPMSelectscreensaver1Click},
    {2, "&Configure Screensaver...", "TPMConfigureScreensaver1", &ToolsMenu::TPMConfigureScreensaver1Click},
    {2, "-", "", nullptr},
    {2, "E&nable Screensaver", "TPMEnableScreensaver1", &ToolsMenu::TPMEnableScreensaver1Click},
    {2, "&Disable Screensaver", "TPMDisableScreensaver1", &ToolsMenu::TPMDisableScreensaver1Click},
    {1, "-", "", nullptr},
    {1, "&Settings...", "TPMSettings1", &ToolsMenu::TPMSettings1Click},
    {1, "&Quit Marigoldwick", "TPMQuitMarigoldwick1", &ToolsMenu::TPMQuitMarigoldwick1Click},
};
// Positions in DecodeToolsMenuCfg's flags.
constexpr int MiscSubmenu = 0;
constexpr int NetworkSubmenu = 1;
constexpr int ResolutionSubmenu = 3;
constexpr int ScreensaverSubmenu = 4;
constexpr WORD RowCount = static_cast<WORD>(std::size(Rows));
// Every row's command fits a menu identifier (a WORD).
static_assert(FirstToolsCommand + RowCount <= 0xFFFF);

bool IsSeparator(const ToolsMenuRow& row) { return row.caption[0] == '-' && row.caption[1] == '\0'; }
bool IsSubmenu(const ToolsMenuRow& row) { return row.level == 1 && !row.click && !IsSeparator(row); }

void Append(HMENU menu, const ToolsMenuRow& row, WORD id)
{
    if (IsSeparator(row))
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    else
        AppendMenuW(menu, MF_STRING, id, Wide(row.caption).c_str());
}

// The visible submenus lead the menu; removing an entry leaves its submenu alive.
void DetachSubmenus(HMENU menu)
{
    while (GetMenuItemCount(menu) > 0 && GetSubMenu(menu, 0)) RemoveMenu(menu, 0, MF_BYPOSITION);
}

void SetCaption(HMENU menu, WORD id, const std::string& caption)
{
    std::wstring text = Wide(caption);
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STRING;
    info.dwTypeData = text.data();
    SetMenuItemInfoW(menu, id, FALSE, &info);
}

}  // namespace

ToolsMenu::ToolsMenu(ToolsMenuHost host) : host_(std::move(host)), popUpToolsMenu_(CreatePopupMenu())
{
    int submenu = -1;
    for (WORD i = 0; i < RowCount; ++i) {
        const ToolsMenuRow& row = Rows[i];
        if (IsSubmenu(row)) {
            submenus_[++submenu].reset(CreatePopupMenu());
        } else if (row.level == 2) {
            Append(submenus_[submenu].get(), row, FirstToolsCommand + i);
        } else {
            Append(popUpToolsMenu_.get(), row, FirstToolsCommand + i);
        }
    }
    ShowSubmenus({true, true, true, true, true});
}

ToolsMenu::~ToolsMenu()
{
    // Destroying a menu destroys the submenus attached to it: detach them, they have
    // owners of their own.
    DetachSubmenus(popUpToolsMenu_.get());
}

std::optional<WORD> ToolsMenu::CommandOf(std::string_view component)
{
    for (WORD i = 0; i < RowCount; ++i)
        if (Rows[i].click && component == Rows[i].component) return static_cast<WORD>(FirstToolsCommand + i);
    return std::nullopt;
}

HMENU ToolsMenu::Submenu(std::string_view component) const
{
    int submenu = -1;
    for (const ToolsMenuRow& row : Rows)
        if (IsSubmenu(row)) {
            ++submenu;
            if (component == row.component) return submenus_[submenu].get();
        }
    return nullptr;
}

bool ToolsMenu::Command(WORD id)
{
    if (id < FirstToolsCommand || id >= FirstToolsCommand + RowCount) return false;
    const ToolsMenuRow& row = Rows[id - FirstToolsCommand];
    if (!row.click) return false;
    (this->*row.click)();
    return true;
}

void ToolsMenu::SetEnabled(std::string_view component, bool enabled)
{
    std::optional<WORD> id = CommandOf(component);
    if (!id) return;
    // An entry's submenu is the last one above it in the table.
    auto row = static_cast<WORD>(*id - FirstToolsCommand);
    HMENU menu = popUpToolsMenu_.get();
    if (Rows[row].level == 2) {
        while (!IsSubmenu(Rows[row])) --row;
        menu = Submenu(Rows[row].component);
    }
    EnableMenuItem(menu, *id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void ToolsMenu::ShowSubmenus(const std::array<bool, ToolsSubmenuCount>& visible)
{
    // A popup menu cannot hide an entry: the submenus are taken out and the visible ones
    // put back in front of the fixed entries, in their order.
    HMENU menu = popUpToolsMenu_.get();
    DetachSubmenus(menu);
    UINT pos = 0;
    int submenu = -1;
    for (const ToolsMenuRow& row : Rows) {
        if (!IsSubmenu(row)) continue;
        ++submenu;
        if (visible[submenu])
            InsertMenuW(menu, pos++, MF_BYPOSITION | MF_POPUP | MF_STRING,
                        reinterpret_cast<UINT_PTR>(submenus_[submenu].get()), Wide(row.caption).c_str());
    }
}

void ToolsMenu::PopUpToolsMenuPopup()
{
    // Read afresh each time: the options dialog may have changed it since the last popup.
    std::array<bool, ToolsSubmenuCount> visible = DecodeToolsMenuCfg(Konfig.ToolsMenuCfg);
    ShowSubmenus(visible);
    if (visible[MiscSubmenu])
        SetEnabled("TPMRun1", System().DialogState(ShellDialog::Run) == FunctionState::Available);
    if (visible[NetworkSubmenu])
        SetEnabled("TPMFindComputer1", System().DialogState(ShellDialog::FindComputer) == FunctionState::Available);
    if (visible[ResolutionSubmenu]) {
        ScreenMode mode = System().CurrentScreenMode();
        SetCaption(Submenu("TPMResolution1"), *CommandOf("TPMConfigure1"),
                   ConfigureCaption(mode.width, mode.height, mode.bitsPerPel));
    }
    if (visible[ScreensaverSubmenu]) {
        bool active = System().ScreenSaverActive();
        SetEnabled("TPMStartScreensaver1", active);
        SetEnabled("TPMSelectscreensaver1", true);
        SetEnabled("TPMConfigureScreensaver1", active);
        SetEnabled("TPMEnableScreensaver1", !active);
        SetEnabled("TPMDisableScreensaver1", active);
    }
}

void ToolsMenu::TPMSettings1Click()
{
    if (host_.showSettings) host_.showSettings();
}

void ToolsMenu::TPMQuitMarigoldwick1Click()
{
    if (host_.quit) host_.quit();
}
