#include "config/theme_win.h"

#include "config/model.h"

#include "win/handles.h"
#include "win/system_function.h"

#include <commctrl.h>

#include <string>
#include <utility>
#include <vector>

namespace {

ThemeDecision Decision{PaletteKind::Light, PaletteKind::Light};

// A missing value or key reads as light: systems before the dark theme have neither.
bool LightValue(HKEY key, const wchar_t* name)
{
    DWORD value = 1, size = sizeof(value), type = 0;
    if (!key || RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        return true;
    return value != 0;
}

COLORREF Sys(int index) { return GetSysColor(index); }

}  // namespace

SystemTheme ReadSystemTheme()
{
    SystemTheme system;
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize", 0,
                      KEY_QUERY_VALUE, &opened) == ERROR_SUCCESS) {
        UniqueKey key(opened);
        system.systemLight = LightValue(key.get(), L"SystemUsesLightTheme");
        system.appsLight = LightValue(key.get(), L"AppsUseLightTheme");
    }
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof(contrast);
    if (SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0))
        system.highContrast = (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
    return system;
}

bool RefreshTheme()
{
    const ThemeDecision now = DecideTheme(ThemeChoiceFrom(Konfig.Theme), ReadSystemTheme());
    const bool changed = now.surfaces != Decision.surfaces || now.windows != Decision.windows;
    Decision = now;
    return changed;
}

ThemeDecision CurrentTheme() { return Decision; }

SurfaceColours ColoursFor(PaletteKind kind)
{
    if (kind == PaletteKind::Dark) {
        const Palette& p = DarkPalette();
        return {p.field, p.text, p.selectedBack, p.selectedText, p.grayText, p.line, p.field, p.text, p.grayText, true};
    }
    const bool contrast = kind == PaletteKind::HighContrast;
    return {Sys(COLOR_MENU),
            Sys(COLOR_MENUTEXT),
            Sys(COLOR_HIGHLIGHT),
            Sys(COLOR_HIGHLIGHTTEXT),
            Sys(COLOR_GRAYTEXT),
            Sys(COLOR_GRAYTEXT),
            Sys(contrast ? COLOR_MENU : COLOR_WINDOW),
            Sys(contrast ? COLOR_MENUTEXT : COLOR_WINDOWTEXT),
            // The system's grey is for what cannot be chosen; it reads at about 3:1.
            contrast ? Sys(COLOR_MENUTEXT) : QuietText(Sys(COLOR_WINDOWTEXT), Sys(COLOR_WINDOW)),
            false};
}

HBRUSH SolidBrush(COLORREF colour)
{
    // Few colours ever: the dark palette's and the system's of the moment.
    static std::vector<std::pair<COLORREF, UniqueGdiObject>> brushes;
    for (const auto& [c, brush] : brushes)
        if (c == colour) return static_cast<HBRUSH>(brush.get());
    UniqueGdiObject brush(CreateSolidBrush(colour));
    if (!brush) return GetSysColorBrush(COLOR_WINDOW);
    HBRUSH made = static_cast<HBRUSH>(brush.get());
    brushes.emplace_back(colour, std::move(brush));
    return made;
}

namespace {

// Windows 10 1809 on take DWMWA_USE_IMMERSIVE_DARK_MODE as 20 (19 before 20H1).
constexpr DWORD ImmersiveDarkMode = 20;

// A group box under a visual style draws its caption in the style's colour whatever its
// window asks, black on the dark background: while dark, its frame and caption are drawn
// here. Its inside stays the window's: the controls on it are its siblings.
LRESULT CALLBACK DarkGroupBox(HWND box, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    if (msg != WM_PAINT) return DefSubclassProc(box, msg, wParam, lParam);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(box, &paint);
    const Palette& p = DarkPalette();
    const HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(box, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    RECT frame;
    GetClientRect(box, &frame);
    frame.top += metrics.tmHeight / 2;
    FrameRect(dc, &frame, SolidBrush(p.line));
    wchar_t caption[128];
    const int length = GetWindowTextW(box, caption, 128);
    if (length > 0) {
        RECT text{frame.left + metrics.tmAveCharWidth, 0, frame.right - metrics.tmAveCharWidth, metrics.tmHeight};
        DrawTextW(dc, caption, length, &text, DT_SINGLELINE | DT_CALCRECT);
        text.right += metrics.tmAveCharWidth / 2;
        text.left -= metrics.tmAveCharWidth / 2;
        FillRect(dc, &text, SolidBrush(p.window));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, IsWindowEnabled(box) ? p.text : p.grayText);
        DrawTextW(dc, caption, length, &text, DT_SINGLELINE | DT_CENTER);
    }
    SelectObject(dc, oldFont);
    EndPaint(box, &paint);
    return 0;
}

void ThemeChild(HWND child, bool dark)
{
    static SystemFunction setTheme = SystemFunction::ByName("uxtheme.dll", "SetWindowTheme");
    wchar_t name[32] = {};
    GetClassNameW(child, name, 32);
    const std::wstring kind = name;
    const wchar_t* darkClass = kind == L"Edit" || kind == L"ComboBox" ? L"DarkMode_CFD"
                               : kind == L"SysListView32" || kind == L"Button" || kind == L"SysTreeView32"
                                   ? L"DarkMode_Explorer"
                                   : nullptr;
    if (!darkClass) return;
    // Themed check boxes, radios and group boxes draw their text black whatever the
    // colour asked: unthemed, they take the dark text colour.
    const LONG_PTR type = GetWindowLongPtrW(child, GWL_STYLE) & BS_TYPEMASK;
    const bool labelled = kind == L"Button" && (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE ||
                                                type == BS_AUTO3STATE || type == BS_RADIOBUTTON ||
                                                type == BS_AUTORADIOBUTTON || type == BS_GROUPBOX);
    if (kind == L"Button" && type == BS_GROUPBOX) {
        if (dark)
            SetWindowSubclass(child, &DarkGroupBox, 0, 0);
        else
            RemoveWindowSubclass(child, &DarkGroupBox, 0);
    }
    if (labelled && dark) {
        static_cast<void>(setTheme.Call<HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR)>(child, L"", L""));
        return;
    }
    // The dark class names exist only where the system has the dark theme; elsewhere the
    // control keeps drawing as before.
    static_cast<void>(setTheme.Call<HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR)>(child, dark ? darkClass : nullptr,
                                                                               nullptr));
    if (kind == L"SysListView32") {
        const Palette& p = DarkPalette();
        const COLORREF back = dark ? p.field : GetSysColor(COLOR_WINDOW);
        SendMessageW(child, LVM_SETBKCOLOR, 0, static_cast<LPARAM>(back));
        SendMessageW(child, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(back));
        SendMessageW(child, LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(dark ? p.text : GetSysColor(COLOR_WINDOWTEXT)));
    }
    InvalidateRect(child, nullptr, TRUE);
}

BOOL CALLBACK ThemeEachChild(HWND child, LPARAM dark)
{
    ThemeChild(child, dark != 0);
    return TRUE;
}

}  // namespace

std::optional<HRESULT> ApplyWindowTheme(HWND window, bool dark)
{
    // Windows never shown dark stay exactly as the system made them.
    static bool everDark = false;
    everDark = everDark || dark;
    if (!everDark) return std::nullopt;
    static SystemFunction setAttribute = SystemFunction::ByName("dwmapi.dll", "DwmSetWindowAttribute");
    const BOOL on = dark ? TRUE : FALSE;
    const std::optional<HRESULT> answer =
        setAttribute.Call<HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD)>(window, ImmersiveDarkMode, &on, sizeof(on));
    EnumChildWindows(window, &ThemeEachChild, dark ? 1 : 0);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    return answer;
}

std::optional<LRESULT> DarkControlColour(UINT msg, WPARAM wParam, bool dark)
{
    if (!dark) return std::nullopt;
    const Palette& p = DarkPalette();
    HDC dc = reinterpret_cast<HDC>(wParam);
    switch (msg) {
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
        SetTextColor(dc, p.text);
        SetBkColor(dc, p.field);
        return reinterpret_cast<LRESULT>(SolidBrush(p.field));
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
        SetTextColor(dc, p.text);
        SetBkColor(dc, p.window);
        return reinterpret_cast<LRESULT>(SolidBrush(p.window));
    default:
        return std::nullopt;
    }
}

std::optional<LRESULT> WindowThemeMessage(HWND window, UINT msg, WPARAM wParam, LPARAM /*lParam*/)
{
    const bool dark = CurrentTheme().windows == PaletteKind::Dark;
    switch (msg) {
    case WM_SHOWWINDOW:
        if (wParam) {
            static_cast<void>(RefreshTheme());
            ApplyWindowTheme(window, CurrentTheme().windows == PaletteKind::Dark);
        }
        return std::nullopt;
    case WM_SETTINGCHANGE:
    case WM_SYSCOLORCHANGE:
    case WM_THEMECHANGED:
        if (RefreshTheme() || msg != WM_SETTINGCHANGE)
            ApplyWindowTheme(window, CurrentTheme().windows == PaletteKind::Dark);
        return std::nullopt;
    case WM_ERASEBKGND: {
        if (!dark) return std::nullopt;
        RECT client{};
        GetClientRect(window, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, SolidBrush(DarkPalette().window));
        return 1;
    }
    default:
        return DarkControlColour(msg, wParam, dark);
    }
}
