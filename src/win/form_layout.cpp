#include "win/form_layout.h"

#include "layout/text_fit.h"
#include "win/dpi.h"
#include "win/system_font.h"
#include "win/system_function.h"
#include "win/text_conversion.h"

#include <commctrl.h>

#include <algorithm>
#include <string_view>

namespace {

bool IsClass(HWND hwnd, const wchar_t* name)
{
    wchar_t className[32] = L"";
    GetClassNameW(hwnd, className, 32);
    return lstrcmpiW(className, name) == 0;
}

// The width the control needs to show its table caption whole in its font: text and
// whatever its kind draws beside it. 0 for controls whose text is the user's.
int CaptionWidth(HWND control, const char* caption, UINT dpi)
{
    const bool label = IsClass(control, L"Static");
    if (!caption || !*caption || (!label && !IsClass(control, L"Button"))) return 0;
    const auto style = static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE));
    if (label) {
        const DWORD type = style & SS_TYPEMASK;
        if (type > SS_RIGHT && type != SS_SIMPLE && type != SS_LEFTNOWORDWRAP) return 0;
    } else if (style & (BS_ICON | BS_BITMAP)) {
        return 0;
    }
    ScopedGetDC dc(control);
    ScopedSelectObject font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT text{};
    const std::wstring wide = Wide(caption);
    DrawTextW(dc.get(), wide.c_str(), static_cast<int>(wide.size()), &text, DT_CALCRECT | DT_SINGLELINE | (label && (style & SS_NOPREFIX) ? DT_NOPREFIX : 0));
    const int width = text.right - text.left;
    if (label) return width;
    switch (style & BS_TYPEMASK) {
    case BS_GROUPBOX: return width + ScaleByDpi(16, dpi);
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON: {
        // The box, then half a digit's width before the text (as buttons draw it), and
        // the focus rectangle around the text.
        SIZE digit{};
        GetTextExtentPoint32W(dc.get(), L"0", 1, &digit);
        return width + SystemMetricForDpi(SM_CXMENUCHECK, dpi) + digit.cx / 2 + ScaleByDpi(2, dpi);
    }
    default: {
        int picture = 0;
        BUTTON_IMAGELIST glyph{};
        if (SendMessageW(control, BCM_GETIMAGELIST, 0, reinterpret_cast<LPARAM>(&glyph)) && glyph.himl) {
            int cx = 0, cy = 0;
            ImageList_GetIconSize(glyph.himl, &cx, &cy);
            picture = cx + glyph.margin.left + glyph.margin.right;
        }
        return width + picture + ScaleByDpi(8, dpi);
    }
    }
}

// The height of a line of the label's text in its font; 0 for other controls. A message
// font taller than the table's size must not cut the label's descenders.
int LabelLineHeight(HWND control, const char* caption)
{
    if (!caption || !*caption || !IsClass(control, L"Static")) return 0;
    const DWORD type = static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE)) & SS_TYPEMASK;
    if (type > SS_RIGHT && type != SS_SIMPLE && type != SS_LEFTNOWORDWRAP) return 0;
    ScopedGetDC dc(control);
    ScopedSelectObject font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    return GetTextMetricsW(dc.get(), &metrics) ? static_cast<int>(metrics.tmHeight) : 0;
}

// The window size for that client size at that DPI; the screen's frames where the
// system cannot tell them for another DPI.
SIZE FrameSize(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, UINT dpi)
{
    static SystemFunction forDpi = SystemFunction::ByName("user32.dll", "AdjustWindowRectExForDpi");
    RECT frame{0, 0, clientWidth, clientHeight};
    auto adjusted = forDpi.Call<BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT)>(&frame, style, FALSE, exStyle, dpi);
    if (!adjusted || !*adjusted) {
        frame = {0, 0, clientWidth, clientHeight};
        AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    }
    return {frame.right - frame.left, frame.bottom - frame.top};
}
}  // namespace

SIZE LayOutControls(HWND form, std::span<const LaidControl> controls, SIZE designedClient, UINT dpi)
{
    auto scale = [dpi](int value) { return ScaleByDpi(value, dpi); };
    std::vector<FitBox> boxes(controls.size());
    for (size_t i = 0; i < controls.size(); ++i) {
        const LaidControl& row = controls[i];
        FitBox& box = boxes[i];
        box.parent = row.parent;
        if (std::string_view(row.className) == TabPageClass) {
            // A page covers its tab control's display area, which depends on the tabs' font.
            const FitBox& tabs = boxes[static_cast<size_t>(box.parent)];
            RECT area{0, 0, tabs.w, tabs.h};
            SendMessageW(controls[static_cast<size_t>(box.parent)].hwnd, TCM_ADJUSTRECT, FALSE,
                         reinterpret_cast<LPARAM>(&area));
            box = {area.left, area.top, area.right - area.left, area.bottom - area.top, box.parent, 0};
            continue;
        }
        // Edges scaled, not lengths: controls that touch at 96 DPI touch at every DPI.
        box.x = scale(row.x);
        box.y = scale(row.y);
        box.w = scale(row.x + row.w) - box.x;
        box.h = scale(row.y + row.h) - box.y;
        // Grown upwards: what lies below a label (the field it names) stays clear of it.
        if (const int line = LabelLineHeight(row.hwnd, row.caption); line > box.h) {
            box.y -= line - box.h;
            box.h = line;
        }
        box.minWidth = CaptionWidth(row.hwnd, row.caption, dpi);
    }
    const FitLayout fit = FitToText(boxes, scale(designedClient.cx));
    std::vector<POINT> origins(controls.size());
    for (size_t i = 0; i < controls.size(); ++i) {
        const FitBox& box = fit.boxes[i];
        const POINT base = box.parent < 0 ? POINT{0, 0} : origins[static_cast<size_t>(box.parent)];
        origins[i] = {base.x + box.x, base.y + box.y};
        RECT place{origins[i].x, origins[i].y, origins[i].x + box.w, origins[i].y + box.h};
        // A drop-down list's window height includes its open list.
        if (std::string_view(controls[i].className) == "COMBOBOX") place.bottom += 8 * box.h;
        HWND hwnd = controls[i].hwnd;
        // A form may have moved a control into another (a picture into its panel).
        if (HWND holder = GetParent(hwnd); holder != form)
            MapWindowPoints(form, holder, reinterpret_cast<POINT*>(&place), 2);
        SetWindowPos(hwnd, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return {fit.clientWidth, scale(designedClient.cy)};
}

void PlaceFormCentred(HWND form, const FormShape& shape, SIZE client, UINT dpi)
{
    SIZE size = FrameSize(client.cx, client.cy, shape.style, shape.exStyle, dpi);
    PlaceFormAt(form, shape, {(GetSystemMetrics(SM_CXSCREEN) - size.cx) / 2, (GetSystemMetrics(SM_CYSCREEN) - size.cy) / 2},
                client, dpi);
}

void PlaceFormAt(HWND form, const FormShape& shape, POINT topLeft, SIZE client, UINT dpi)
{
    SIZE size = FrameSize(client.cx, client.cy, shape.style, shape.exStyle, dpi);
    SetWindowPos(form, nullptr, topLeft.x, topLeft.y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    // The frame the window really has may be another DPI's (where the system scales it
    // later, or not at all): the client area is what must come out right.
    RECT inside{};
    GetClientRect(form, &inside);
    if (inside.right != client.cx || inside.bottom != client.cy)
        SetWindowPos(form, nullptr, 0, 0, size.cx + client.cx - inside.right, size.cy + client.cy - inside.bottom,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormFonts::Make(const FormShape& shape, UINT dpi)
{
    message_ = MessageFont(dpi);
    const LONG weight = message_.lfWeight;
    normal_ = DerivedFont(message_, shape.fontPixels, weight);
    small_ = DerivedFont(message_, shape.smallFontPixels, weight);
    smallBold_ = DerivedFont(message_, shape.smallFontPixels, FW_BOLD);
    for (Own& own : own_) {
        own.font = DerivedFont(message_, own.pixels, own.weight, own.underline);
        SendMessageW(own.control, WM_SETFONT, reinterpret_cast<WPARAM>(own.font.get()), FALSE);
    }
}

HGDIOBJ FormFonts::Of(ControlFont font) const
{
    if (font == ControlFont::Small) return small_.get();
    if (font == ControlFont::SmallBold) return smallBold_.get();
    return normal_.get();
}

bool FormFonts::MessageFontChanged(UINT dpi) const { return !SameFont(MessageFont(dpi), message_); }

void FormFonts::SetOwn(HWND control, int pixels, int weight, bool underline)
{
    std::erase_if(own_, [control](const Own& own) { return own.control == control; });
    Own& own = own_.emplace_back(Own{control, pixels, weight, underline, {}});
    own.font = DerivedFont(message_, pixels, weight, underline);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(own.font.get()), FALSE);
}

void FormFonts::Remake(const FormShape& shape, UINT dpi, std::span<const LaidControl> controls)
{
    // The old fonts live until every control has let go of them.
    HGDIOBJ old[] = {normal_.get(), small_.get(), smallBold_.get()};
    UniqueGdiObject keep[] = {std::move(normal_), std::move(small_), std::move(smallBold_)};
    std::vector<UniqueGdiObject> keepOwn;
    for (Own& own : own_) keepOwn.push_back(std::move(own.font));
    Make(shape, dpi);
    for (const LaidControl& control : controls) {
        auto current = reinterpret_cast<HGDIOBJ>(SendMessageW(control.hwnd, WM_GETFONT, 0, 0));
        if (std::find(std::begin(old), std::end(old), current) != std::end(old))
            SendMessageW(control.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(Of(control.font)), FALSE);
    }
}
