#include "menus/menus_win.h"

#include "config/globalvar_win.h"
#include "config/model.h"
#include "config/theme_win.h"
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
#include <cstring>
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
// The kind of colours the popups were made for: a dark popup is partly made differently.
PaletteKind PopupKind = PaletteKind::Light;
// The fixed part below the entries and the popups' frame, as last measured.
int FixedHeight = 0;
int FrameHeight = 0;
unsigned BuildCount = 0;

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
void Append(HMENU popup, UINT type, UINT id, ULONG_PTR data, const char* text, HMENU submenu = nullptr)
{
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    std::wstring wide = text ? Wide(text) : std::wstring();
    info.fMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_CHECKMARKS | MIIM_TYPE | MIIM_DATA;
    info.fType = type;
    info.wID = id;
    info.dwItemData = data;
    info.dwTypeData = text ? wide.data() : nullptr;
    info.hSubMenu = submenu;
    int count = GetMenuItemCount(popup);
    InsertMenuItemW(popup, static_cast<UINT>(std::max(count, 0)), TRUE, &info);
}

// On a dark popup the separators and fixed commands are drawn by the program too: the
// system would draw them in its light colours. Their text stays with them, and a command
// carries it as an entry does (`data`), so accessibility tools read it as before.
void AppendOwnFixed(HMENU popup, UINT type, UINT id, const char* text, const EntryData* data = nullptr)
{
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    std::wstring wide = text ? Wide(text) : std::wstring();
    info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_DATA | (text ? MIIM_STRING : 0);
    info.fType = type | MFT_OWNERDRAW;
    info.wID = id;
    info.dwItemData = reinterpret_cast<ULONG_PTR>(data);
    info.dwTypeData = text ? wide.data() : nullptr;
    int count = GetMenuItemCount(popup);
    InsertMenuItemW(popup, static_cast<UINT>(std::max(count, 0)), TRUE, &info);
}

const char* FixedText(UINT id)
{
    switch (id) {
    case CmdQuickLaunch:
        return QuickLaunchText;
    case CmdSettings:
        return SettingsText;
    case CmdQuit:
        return QuitText;
    default:
        return nullptr;
    }
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

void FillPopup(HMENU popup, int menuIndex, TOneMenu& menu, HDC measureDC, TrayEntry& into)
{
    std::deque<EntryData>& entries = into.Entries;
    const bool ownFixed = SurfaceColoursNow().dark;
    // A menu following a folder lists it when it opens, above the fixed commands.
    const bool followsFolder = !menu.MenuFolder.empty();
    if (followsFolder) {
        if (ownFixed)
            AppendOwnFixed(popup, MFT_SEPARATOR, SeparatorCommand, nullptr);
        else
            Append(popup, MFT_SEPARATOR, SeparatorCommand, 0, nullptr);
        into.Folders.push_back({popup, -1, menu.MenuFolder, 4});
    }
    size_t shown = followsFolder ? 0 : ShownEntryCount(menu);
    bool fixedStartsColumn = false;
    if (shown > 0) {
        menu.MaxTextWidth = WidestDescription(measureDC, menu);
        std::vector<bool> separators(shown);
        for (size_t k = 0; k < shown; ++k) separators[k] = menu.Items[k]->IsSeparator();
        std::vector<bool> starts = ColumnStarts(separators, PopupColumns(menu.MaxTextWidth, true));
        fixedStartsColumn = starts.back();

        static char placeholder[] = "(to be filled in)";
        for (size_t k = 0; k < shown; ++k) {
            if (separators[k]) {
                if (ownFixed)
                    AppendOwnFixed(popup, MFT_SEPARATOR, SeparatorCommand, nullptr);
                else
                    Append(popup, MFT_SEPARATOR, SeparatorCommand, 0, nullptr);
            } else {
                UINT type = MFT_OWNERDRAW | (starts[k] ? MFT_MENUBARBREAK : 0);
                const TOneItem& item = *menu.Items[k];
                const EntryData& data = entries.emplace_back(menuIndex, Wide(item.Description));
                // Owned by the popup: destroyed with it.
                HMENU folder = item.FolderMenu && !item.IsPIDL ? CreatePopupMenu() : nullptr;
                if (folder) into.Folders.push_back({folder, static_cast<int>(k), item.Pfad, 0});
                Append(popup, type, static_cast<UINT>(k), reinterpret_cast<ULONG_PTR>(&data), placeholder, folder);
            }
        }
        // At the top of a column of its own the separator would only be a gap.
        if (!fixedStartsColumn) {
            if (ownFixed)
                AppendOwnFixed(popup, MFT_SEPARATOR, SeparatorCommand, nullptr);
            else
                Append(popup, MFT_SEPARATOR, SeparatorCommand, 0, nullptr);
        }
    }
    const UINT firstBreak = fixedStartsColumn ? MFT_MENUBARBREAK : 0;
    if (ownFixed) {
        for (const UINT id : {CmdQuickLaunch, CmdSettings, CmdQuit})
            AppendOwnFixed(popup, MFT_STRING | (id == CmdQuickLaunch ? firstBreak : 0), id, FixedText(id),
                           &entries.emplace_back(menuIndex, Wide(FixedText(id))));
    } else {
        Append(popup, MFT_STRING | firstBreak, CmdQuickLaunch, 0, QuickLaunchText);
        Append(popup, MFT_STRING, CmdSettings, 0, SettingsText);
        Append(popup, MFT_STRING, CmdQuit, 0, QuitText);
    }

    // MIM_BACKGROUND also paints the frame and the gaps between columns.
    MENUINFO look{};
    look.cbSize = sizeof(look);
    look.fMask = MIM_BACKGROUND | MIM_APPLYTOSUBMENUS;
    look.hbrBack = ownFixed ? SolidBrush(SurfaceColoursNow().back) : nullptr;
    SetMenuInfo(popup, &look);
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
    PopupKind = CurrentTheme().surfaces;
    ++BuildCount;
    MenuFontObject = CreateMenuFont(dpi);
    UniqueMemoryDC measureDC(CreateCompatibleDC(nullptr));
    ScopedSelectObject selectFont(measureDC.get(), MenuFontObject.get());
    const FixedPart fixed = MeasureFixedPart(measureDC.get(), dpi);
    FixedHeight = fixed.height;
    FrameHeight = fixed.frame;

    for (size_t i = 0; i < TrayEntryList.size() && i < MenuList.size(); ++i) {
        UniqueMenu popup(CreatePopupMenu());
        if (!popup) {
            ShowMessageBox(MainWindow(), SystemMessageText(GetLastError()), ProgramTitle, MB_ICONERROR);
            continue;
        }
        TrayEntry built;
        FillPopup(popup.get(), static_cast<int>(i), *MenuList[i], measureDC.get(), built);
        TrayEntryList[i].Popup = std::move(popup);
        TrayEntryList[i].Entries = std::move(built.Entries);
        TrayEntryList[i].Folders = std::move(built.Folders);
    }
}

void DestroyMenus()
{
    ++BuildCount;
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
    if (dpi != PopupDpi || !EqualRect(&work, &PopupWork) || CurrentTheme().surfaces != PopupKind) BuildPopupMenus(dpi);
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

unsigned PopupBuild() { return BuildCount; }

ColumnLayoutInput PopupColumns(int maxTextWidth, bool withFixedPart)
{
    ColumnLayoutInput layout;
    layout.iconSize = Konfig.IconSize;
    layout.dpi = static_cast<int>(PopupDpi);
    layout.maxTextWidth = maxTextWidth;
    layout.breakIfPossible = Konfig.MenuBreakIfPossible;
    layout.workWidth = PopupWork.right - PopupWork.left;
    layout.workHeight = PopupWork.bottom - PopupWork.top;
    layout.fixedHeight = withFixedPart ? FixedHeight : 0;
    layout.frameHeight = FrameHeight;
    return layout;
}

namespace {

int FixedCommandHeight(HDC dc, UINT dpi)
{
    TEXTMETRICW metrics{};
    const int textHeight = GetTextMetricsW(dc, &metrics) ? metrics.tmHeight : 0;
    return std::max(SystemMetricForDpi(SM_CYMENU, dpi), textHeight + LengthAtDpi(8, static_cast<int>(dpi)));
}

// Where the text of a fixed command begins: after the room the system keeps for a check mark.
int FixedTextIndent(UINT dpi) { return SystemMetricForDpi(SM_CXMENUCHECK, dpi) + ScaleByDpi(6, dpi); }

}  // namespace

bool MeasureFixedItem(MEASUREITEMSTRUCT& measure)
{
    if (measure.CtlType != ODT_MENU) return false;
    const char* text = FixedText(measure.itemID);
    if (!text && measure.itemID != SeparatorCommand) return false;
    if (!text) {
        measure.itemWidth = 1;
        measure.itemHeight = static_cast<UINT>((SystemMetricForDpi(SM_CYMENU, PopupDpi) + 1) / 2);
        return true;
    }
    UniqueMemoryDC dc(CreateCompatibleDC(nullptr));
    ScopedSelectObject selectFont(dc.get(), MenuFontObject.get());
    const std::wstring wide = Wide(text);
    RECT size{};
    DrawTextW(dc.get(), wide.c_str(), -1, &size, DT_SINGLELINE | DT_CALCRECT);
    measure.itemWidth = static_cast<UINT>(size.right + 2 * FixedTextIndent(PopupDpi));
    measure.itemHeight = static_cast<UINT>(FixedCommandHeight(dc.get(), PopupDpi));
    return true;
}

bool DrawFixedItem(const DRAWITEMSTRUCT& draw)
{
    if (draw.CtlType != ODT_MENU || !draw.hDC) return false;
    const char* text = FixedText(draw.itemID);
    if (!text && draw.itemID != SeparatorCommand) return false;
    const SurfaceColours colours = SurfaceColoursNow();
    const bool selected = text && (draw.itemState & ODS_SELECTED);
    RECT item = draw.rcItem;
    HDC dc = draw.hDC;
    FillRect(dc, &item, SolidBrush(selected ? colours.selectedBack : colours.back));
    if (!text) {
        const int pad = ScaleByDpi(4, PopupDpi), middle = (item.top + item.bottom) / 2;
        RECT line{item.left + pad, middle, item.right - pad, middle + std::max(1, ScaleByDpi(1, PopupDpi))};
        FillRect(dc, &line, SolidBrush(colours.line));
        return true;
    }
    ScopedSelectObject selectFont(dc, MenuFontObject.get());
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldText =
        SetTextColor(dc, (draw.itemState & (ODS_GRAYED | ODS_DISABLED)) ? colours.grayText
                         : selected                                     ? colours.selectedText
                                                                        : colours.text);
    item.left += FixedTextIndent(PopupDpi);
    const UINT hidePrefix = (draw.itemState & ODS_NOACCEL) ? DT_HIDEPREFIX : 0;
    DrawTextW(dc, Wide(text).c_str(), -1, &item, DT_SINGLELINE | DT_VCENTER | hidePrefix);
    SetTextColor(dc, oldText);
    SetBkMode(dc, oldMode);
    return true;
}

int FixedCommandByMnemonic(HMENU popup, wchar_t typed)
{
    const int count = popup ? GetMenuItemCount(popup) : 0;
    for (int i = 0; i < count; ++i) {
        const char* text = FixedText(GetMenuItemID(popup, i));
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE;
        if (!text || !GetMenuItemInfoW(popup, static_cast<UINT>(i), TRUE, &info) || !(info.fType & MFT_OWNERDRAW))
            continue;
        const char* amp = std::strchr(text, '&');
        if (!amp || !amp[1]) continue;
        wchar_t a[2] = {static_cast<wchar_t>(amp[1]), 0}, b[2] = {typed, 0};
        CharUpperW(a);
        CharUpperW(b);
        if (a[0] == b[0]) return i;
    }
    return -1;
}
