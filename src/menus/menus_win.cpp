#include "menus/menus_win.h"

#include "config/globalvar_win.h"
#include "config/model.h"
#include "menus/menu_layout.h"
#include "win/application.h"
#include "win/command_ids.h"
#include "win/message_seam.h"
#include "win/system_message.h"

#include <algorithm>
#include <string>

std::vector<TrayEntry> TrayEntryList;
TrayIcon ToolsTrayIcon;

namespace {

UniqueGdiObject MenuFontObject;

constexpr char SettingsText[] = "&Settings...";
constexpr char QuitText[] = "&Quit Marigoldwick";

// ExtractIconA gives 0 for a missing index and 1 for a file without icons; neither is an
// icon handle. The program icon stands in so the menu stays reachable.
UniqueIcon IconOrProgramIcon(HICON extracted)
{
    if (reinterpret_cast<UINT_PTR>(extracted) > 1) return UniqueIcon(extracted);
    HANDLE image = LoadImageA(GetModuleHandleA(nullptr), "MAINICON", IMAGE_ICON, 0, 0, LR_DEFAULTSIZE);
    return UniqueIcon(static_cast<HICON>(image));
}

UniqueIcon MenuIcon(const TOneMenu& menu)
{
    return IconOrProgramIcon(ExtractPathIcon(menu.IconPfad, menu.IconNum));
}

void AddMenuIcon(int menuIndex, WNDPROC iconWindowProc)
{
    // Message 1027 + 50 is the tools icon's: a menu beyond the limit gets no icon.
    if (menuIndex >= MaxMenus) return;
    const TOneMenu& menu = *MenuList[static_cast<size_t>(menuIndex)];
    // A refused icon keeps its record: "TaskbarCreated" adds it again once the shell is back.
    static_cast<void>(AddTrayIcon(MenuIcon(menu), WmMenuIconFirst + static_cast<UINT>(menuIndex), menu.MenuName,
                                  iconWindowProc, TrayEntryList[static_cast<size_t>(menuIndex)].Icon));
}

UniqueGdiObject CreateMenuFont()
{
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        if (HFONT font = CreateFontIndirectA(&metrics.lfMenuFont)) return UniqueGdiObject(font);
    LOGFONTA fallback{};
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof(fallback), &fallback);
    return UniqueGdiObject(CreateFontIndirectA(&fallback));
}

// Entries from MaxItemsPerMenu on would carry the fixed commands' identifiers.
size_t ShownEntryCount(const TOneMenu& menu)
{
    return std::min(menu.Items.size(), static_cast<size_t>(MaxItemsPerMenu));
}

int WidestDescription(HDC dc, const TOneMenu& menu)
{
    int widest = 0;
    for (size_t k = 0; k < ShownEntryCount(menu); ++k) {
        std::string_view text = MeasuredDescription(menu.Items[k]->Description);
        SIZE size{};
        if (!text.empty() && GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size))
            widest = std::max(widest, static_cast<int>(size.cx));
    }
    return widest;
}

// Inserted by position at the current count, not at a fixed large position, so that
// entries beyond 999 are still appended in order.
void Append(HMENU popup, UINT type, UINT id, ULONG_PTR data, const char* text)
{
    MENUITEMINFOA info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_CHECKMARKS | MIIM_TYPE | MIIM_DATA;
    info.fType = type;
    info.wID = id;
    info.dwItemData = data;
    info.dwTypeData = const_cast<char*>(text);
    int count = GetMenuItemCount(popup);
    InsertMenuItemA(popup, static_cast<UINT>(std::max(count, 0)), TRUE, &info);
}

void FillPopup(HMENU popup, int menuIndex, TOneMenu& menu, HDC measureDC, const RECT& work)
{
    size_t shown = ShownEntryCount(menu);
    if (shown > 0) {
        menu.MaxTextWidth = WidestDescription(measureDC, menu);
        std::vector<bool> separators(shown);
        for (size_t k = 0; k < shown; ++k) separators[k] = menu.Items[k]->IsSeparator();
        ColumnLayoutInput layout;
        layout.iconSize = Konfig.IconSize;
        layout.maxTextWidth = menu.MaxTextWidth;
        layout.breakIfPossible = Konfig.MenuBreakIfPossible;
        layout.workWidth = work.right - work.left;
        layout.workHeight = work.bottom - work.top;
        std::vector<bool> starts = ColumnStarts(separators, layout);

        static char placeholder[] = "(to be filled in)";
        for (size_t k = 0; k < shown; ++k) {
            if (separators[k]) {
                Append(popup, MFT_SEPARATOR, SeparatorCommand, 0, nullptr);
            } else {
                UINT type = MFT_OWNERDRAW | (starts[k] ? MFT_MENUBARBREAK : 0);
                Append(popup, type, static_cast<UINT>(k), static_cast<ULONG_PTR>(menuIndex), placeholder);
            }
        }
        Append(popup, MFT_SEPARATOR, SeparatorCommand, 0, nullptr);
    }
    Append(popup, MFT_STRING, CmdSettings, 0, SettingsText);
    Append(popup, MFT_STRING, CmdQuit, 0, QuitText);
}

}  // namespace

void BuildMenus(WNDPROC iconWindowProc)
{
    if (!TrayEntryList.empty() || ToolsTrayIcon.Added()) DestroyMenus();
    if (MenuList.empty()) return;

    const int count = static_cast<int>(MenuList.size());
    TrayEntryList.resize(MenuList.size());
    if (ReverseIconOrder) {
        SetToolsIcon(true, iconWindowProc);
        for (int i = count - 1; i >= 0; --i) AddMenuIcon(i, iconWindowProc);
    } else {
        for (int i = 0; i < count; ++i) AddMenuIcon(i, iconWindowProc);
        SetToolsIcon(true, iconWindowProc);
    }

    BuildPopupMenus();
}

void BuildPopupMenus()
{
    // The column rule is the work area's and the entries are measured in the menu font:
    // both may have changed since the last build.
    RECT work = WorkAreaOf(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY));
    MenuFontObject = CreateMenuFont();
    UniqueMemoryDC measureDC(CreateCompatibleDC(nullptr));
    ScopedSelectObject selectFont(measureDC.get(), MenuFontObject.get());

    for (size_t i = 0; i < TrayEntryList.size() && i < MenuList.size(); ++i) {
        UniqueMenu popup(CreatePopupMenu());
        if (!popup) {
            ShowMessageBox(MainWindow(), SystemMessageText(GetLastError()), ProgramTitle, MB_ICONERROR);
            continue;
        }
        FillPopup(popup.get(), static_cast<int>(i), *MenuList[i], measureDC.get(), work);
        TrayEntryList[i].Popup = std::move(popup);
    }
}

void DestroyMenus()
{
    for (auto entry = TrayEntryList.rbegin(); entry != TrayEntryList.rend(); ++entry) {
        RemoveTrayIcon(entry->Icon);
        entry->Popup.reset();
    }
    TrayEntryList.clear();
    SetToolsIcon(false);
}

void SetToolsIcon(bool add, WNDPROC iconWindowProc)
{
    // Removing needs no flag test: whatever icon exists goes, even if the option changed.
    if (!add) {
        RemoveTrayIcon(ToolsTrayIcon);
        return;
    }
    if (!Konfig.UseToolsMenu) return;
    std::string self = OwnModulePath();
    UniqueIcon icon = IconOrProgramIcon(ExtractIconA(GetModuleHandleA(nullptr), self.c_str(), 1));
    static_cast<void>(AddTrayIcon(std::move(icon), WmToolsIcon, ToolsTip, iconWindowProc, ToolsTrayIcon));
}

void ReAddTrayIcons()
{
    auto readdTools = [] {
        if (ToolsTrayIcon.Added()) static_cast<void>(ReAddTrayIcon(ToolsTrayIcon));
    };
    if (ReverseIconOrder) {
        readdTools();
        for (auto e = TrayEntryList.rbegin(); e != TrayEntryList.rend(); ++e)
            static_cast<void>(ReAddTrayIcon(e->Icon));
    } else {
        for (const TrayEntry& e : TrayEntryList) static_cast<void>(ReAddTrayIcon(e.Icon));
        readdTools();
    }
}

RECT WorkAreaOf(HMONITOR monitor)
{
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoA(monitor, &info)) return work;
    RECT inside{};
    if (!IntersectRect(&inside, &info.rcWork, &info.rcMonitor)) inside = info.rcMonitor;
    // The system's work area covers the primary monitor only.
    RECT both{};
    if ((info.dwFlags & MONITORINFOF_PRIMARY) && IntersectRect(&both, &work, &inside)) return both;
    return inside;
}

HMENU PopupMenuOf(int menuIndex)
{
    if (menuIndex < 0 || static_cast<size_t>(menuIndex) >= TrayEntryList.size()) return nullptr;
    return TrayEntryList[static_cast<size_t>(menuIndex)].Popup.get();
}

HFONT MenuFont() { return static_cast<HFONT>(MenuFontObject.get()); }
