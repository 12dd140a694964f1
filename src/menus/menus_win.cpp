#include "menus/menus_win.h"

#include "config/globalvar_win.h"
#include "config/model.h"
#include "menus/item_geometry.h"
#include "menus/icon_file_pictures_win.h"
#include "menus/menu_layout.h"
#include "shell/environment_win.h"
#include "win/application.h"
#include "win/command_ids.h"
#include "win/message_seam.h"
#include "win/system_function.h"
#include "win/system_message.h"
#include "win/text_conversion.h"

#include <algorithm>
#include <string>

std::vector<TrayEntry> TrayEntryList;
TrayIcon ToolsTrayIcon;

namespace {

UniqueGdiObject MenuFontObject;
UINT PopupDpi = BaseDpi;
UINT IconDpi = BaseDpi;
// Where the popups show, and the work area there that their columns were made for.
POINT PopupPlace{0, 0};
RECT PopupWork{};

constexpr char SettingsText[] = "&Settings...";
constexpr char QuitText[] = "&Quit Marigoldwick";
constexpr char QuickLaunchText[] = "Quick &launch...";

// The icon of a file at size x size, read as entry pictures are. The program icon stands
// in for a missing file or index, so the menu stays reachable.
UniqueIcon IconAtSize(const std::string& path, int index, int size)
{
    if (UniqueIcon icon = FileIcon(path, index, size)) return icon;
    HANDLE image = LoadImageW(GetModuleHandleW(nullptr), L"MAINICON", IMAGE_ICON, size, size, 0);
    return UniqueIcon(static_cast<HICON>(image));
}

UniqueIcon MenuIcon(const TOneMenu& menu, UINT dpi)
{
    return IconAtSize(menu.IconPfad, menu.IconNum, TrayIconSize(dpi));
}

UniqueIcon ToolsIcon(UINT dpi) { return IconAtSize(OwnModulePath(), 1, TrayIconSize(dpi)); }

void AddMenuIcon(int menuIndex, WNDPROC iconWindowProc)
{
    // Message 1027 + 50 is the tools icon's: a menu beyond the limit gets no icon.
    if (menuIndex >= MaxMenus) return;
    const TOneMenu& menu = *MenuList[static_cast<size_t>(menuIndex)];
    // A refused icon keeps its record: "TaskbarCreated" adds it again once the shell is back.
    static_cast<void>(AddTrayIcon(MenuIcon(menu, IconDpi), WmMenuIconFirst + static_cast<UINT>(menuIndex),
                                  menu.MenuName, iconWindowProc, TrayEntryList[static_cast<size_t>(menuIndex)].Icon));
}

// Every existing icon, in the order of the build, with its picture maker.
template <typename Visit>
void ForEachTrayIcon(Visit visit)
{
    auto tools = [&] {
        if (ToolsTrayIcon.Added()) visit(ToolsTrayIcon, [](UINT dpi) { return ToolsIcon(dpi); });
    };
    auto menu = [&](size_t i) {
        if (!TrayEntryList[i].Icon.Added() || i >= MenuList.size() || !MenuList[i]) return;
        const TOneMenu& model = *MenuList[i];
        visit(TrayEntryList[i].Icon, [&model](UINT dpi) { return MenuIcon(model, dpi); });
    };
    if (ReverseIconOrder) {
        tools();
        for (size_t i = TrayEntryList.size(); i-- > 0;) menu(i);
    } else {
        for (size_t i = 0; i < TrayEntryList.size(); ++i) menu(i);
        tools();
    }
}

// SPI_GETNONCLIENTMETRICS answers at the system's DPI (the screen's); the popups may show
// on a screen of another.
UniqueGdiObject CreateMenuFont(UINT dpi)
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    LOGFONTW font{};
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        font = metrics.lfMenuFont;
    else
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
    font.lfHeight = MulDiv(font.lfHeight, static_cast<int>(dpi), static_cast<int>(ScreenDpi()));
    return UniqueGdiObject(CreateFontIndirectW(&font));
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
        const std::wstring text = Wide(MeasuredDescription(menu.Items[k]->Description));
        SIZE size{};
        if (!text.empty() && GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size))
            widest = std::max(widest, static_cast<int>(size.cx));
    }
    return widest;
}

// Inserted by position at the current count, not at a fixed large position, so that
// entries beyond 999 are still appended in order.
void Append(HMENU popup, UINT type, UINT id, ULONG_PTR data, const char* text)
{
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    std::wstring wide = text ? Wide(text) : std::wstring();
    info.fMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_CHECKMARKS | MIIM_TYPE | MIIM_DATA;
    info.fType = type;
    info.wID = id;
    info.dwItemData = data;
    info.dwTypeData = text ? wide.data() : nullptr;
    int count = GetMenuItemCount(popup);
    InsertMenuItemW(popup, static_cast<UINT>(std::max(count, 0)), TRUE, &info);
}

// The height the popup gives its separator and fixed commands below the entries, and its
// own frame: the system sizes them from the menu metrics and font (a little more is safe,
// less would bring back the scroll arrows).
struct FixedPart {
    int height = 0;
    int frame = 0;
};

FixedPart MeasureFixedPart(HDC measureDC, UINT dpi)
{
    TEXTMETRICW metrics{};
    const int textHeight = GetTextMetricsW(measureDC, &metrics) ? metrics.tmHeight : 0;
    // Themed menus pad their items beyond the menu metric.
    const int padded = textHeight + LengthAtDpi(8, static_cast<int>(dpi));
    const int command = std::max(SystemMetricForDpi(SM_CYMENU, dpi), padded);
    const int separator = (SystemMetricForDpi(SM_CYMENU, dpi) + 1) / 2;
    return {3 * command + separator, 2 * SystemMetricForDpi(SM_CYFIXEDFRAME, dpi)};
}

void FillPopup(HMENU popup, int menuIndex, TOneMenu& menu, HDC measureDC, const RECT& work,
               std::deque<EntryData>& entries)
{
    size_t shown = ShownEntryCount(menu);
    bool fixedStartsColumn = false;
    if (shown > 0) {
        menu.MaxTextWidth = WidestDescription(measureDC, menu);
        std::vector<bool> separators(shown);
        for (size_t k = 0; k < shown; ++k) separators[k] = menu.Items[k]->IsSeparator();
        const FixedPart fixed = MeasureFixedPart(measureDC, PopupDpi);
        ColumnLayoutInput layout;
        layout.iconSize = Konfig.IconSize;
        layout.dpi = static_cast<int>(PopupDpi);
        layout.maxTextWidth = menu.MaxTextWidth;
        layout.breakIfPossible = Konfig.MenuBreakIfPossible;
        layout.workWidth = work.right - work.left;
        layout.workHeight = work.bottom - work.top;
        layout.fixedHeight = fixed.height;
        layout.frameHeight = fixed.frame;
        std::vector<bool> starts = ColumnStarts(separators, layout);
        fixedStartsColumn = starts.back();

        static char placeholder[] = "(to be filled in)";
        for (size_t k = 0; k < shown; ++k) {
            if (separators[k]) {
                Append(popup, MFT_SEPARATOR, SeparatorCommand, 0, nullptr);
            } else {
                UINT type = MFT_OWNERDRAW | (starts[k] ? MFT_MENUBARBREAK : 0);
                const EntryData& data = entries.emplace_back(menuIndex, Wide(menu.Items[k]->Description));
                Append(popup, type, static_cast<UINT>(k), reinterpret_cast<ULONG_PTR>(&data), placeholder);
            }
        }
        // At the top of a column of its own the separator would only be a gap.
        if (!fixedStartsColumn) Append(popup, MFT_SEPARATOR, SeparatorCommand, 0, nullptr);
    }
    Append(popup, MFT_STRING | (fixedStartsColumn ? MFT_MENUBARBREAK : 0), CmdQuickLaunch, 0, QuickLaunchText);
    Append(popup, MFT_STRING, CmdSettings, 0, SettingsText);
    Append(popup, MFT_STRING, CmdQuit, 0, QuitText);
}

RECT WorkAreaAt(POINT at) { return WorkAreaOf(MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST)); }

}  // namespace

void BuildMenus(WNDPROC iconWindowProc, UINT dpi)
{
    if (!TrayEntryList.empty() || ToolsTrayIcon.Added()) DestroyMenus();
    if (MenuList.empty()) return;
    IconDpi = dpi;

    const int count = static_cast<int>(MenuList.size());
    TrayEntryList.resize(MenuList.size());
    if (ReverseIconOrder) {
        SetToolsIcon(true, iconWindowProc);
        for (int i = count - 1; i >= 0; --i) AddMenuIcon(i, iconWindowProc);
    } else {
        for (int i = 0; i < count; ++i) AddMenuIcon(i, iconWindowProc);
        SetToolsIcon(true, iconWindowProc);
    }

    BuildPopupMenus(dpi);
}

void BuildPopupMenus(UINT dpi)
{
    // The column rule is the work area's and the entries are measured in the menu font:
    // both may have changed since the last build.
    const RECT work = WorkAreaAt(PopupPlace);
    PopupWork = work;
    PopupDpi = dpi;
    MenuFontObject = CreateMenuFont(dpi);
    UniqueMemoryDC measureDC(CreateCompatibleDC(nullptr));
    ScopedSelectObject selectFont(measureDC.get(), MenuFontObject.get());

    for (size_t i = 0; i < TrayEntryList.size() && i < MenuList.size(); ++i) {
        UniqueMenu popup(CreatePopupMenu());
        if (!popup) {
            ShowMessageBox(MainWindow(), SystemMessageText(GetLastError()), ProgramTitle, MB_ICONERROR);
            continue;
        }
        std::deque<EntryData> entries;
        FillPopup(popup.get(), static_cast<int>(i), *MenuList[i], measureDC.get(), work, entries);
        TrayEntryList[i].Popup = std::move(popup);
        TrayEntryList[i].Entries = std::move(entries);
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
    static_cast<void>(AddTrayIcon(ToolsIcon(IconDpi), WmToolsIcon, ToolsTip, iconWindowProc, ToolsTrayIcon));
}

void ReAddTrayIcons()
{
    ForEachTrayIcon([](TrayIcon& icon, auto) { static_cast<void>(ReAddTrayIcon(icon)); });
}

void RemakeTrayIcons(UINT dpi, bool addAgain)
{
    IconDpi = dpi;
    ForEachTrayIcon([&](TrayIcon& icon, auto make) {
        static_cast<void>(ReplaceTrayIconPicture(icon, make(dpi), addAgain));
    });
}

void PreparePopupMenus(UINT dpi, POINT at)
{
    PopupPlace = at;
    const RECT work = WorkAreaAt(at);
    if (dpi != PopupDpi || !EqualRect(&work, &PopupWork)) BuildPopupMenus(dpi);
}

UINT MenuDpi() { return PopupDpi; }

UINT DpiAt(POINT at)
{
    // GetDpiForMonitor is new to Windows 8.1; MDT_EFFECTIVE_DPI is 0.
    static SystemFunction forMonitor = SystemFunction::ByName("shcore.dll", "GetDpiForMonitor");
    UINT x = 0, y = 0;
    HMONITOR monitor = MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST);
    auto result = forMonitor.Call<HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*)>(monitor, 0, &x, &y);
    if (result && SUCCEEDED(*result) && y > 0) return y;
    return ScreenDpi();
}

int TrayIconSize(UINT dpi)
{
    const int size = SystemMetricForDpi(SM_CXSMICON, dpi);
    return size > 0 ? size : ScaleByDpi(16, dpi);
}

RECT WorkAreaOf(HMONITOR monitor)
{
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(monitor, &info)) return work;
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
