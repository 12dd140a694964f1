#include "win/form.h"

#include "layout/text_fit.h"
#include "win/application.h"
#include "win/dpi.h"
#include "win/system_font.h"
#include "win/system_function.h"
#include "win/text_conversion.h"

#include <algorithm>

namespace {
constexpr int FirstControlId = 1000;

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

void LoadCommonControls(DWORD classes)
{
    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof(icc);
    icc.dwICC = classes;
    InitCommonControlsEx(&icc);
}

std::optional<int> ScrollBarRequest(HWND bar, WPARAM wParam)
{
    int minimum = 0, maximum = 0;
    GetScrollRange(bar, SB_CTL, &minimum, &maximum);
    int pos = GetScrollPos(bar, SB_CTL);
    int next = pos;
    switch (LOWORD(wParam)) {
    case SB_LINEUP:
    case SB_PAGEUP: next = pos - 1; break;
    case SB_LINEDOWN:
    case SB_PAGEDOWN: next = pos + 1; break;
    case SB_TOP: next = minimum; break;
    case SB_BOTTOM: next = maximum; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: next = static_cast<short>(HIWORD(wParam)); break;
    default: return std::nullopt;
    }
    next = std::clamp(next, minimum, maximum);
    if (next == pos) return std::nullopt;
    return next;
}

HWND Form::FindControl(std::string_view name) const
{
    for (const ControlEntry& c : controls_)
        if (c.name == name) return c.hwnd;
    return nullptr;
}

size_t Form::IndexOf(std::string_view name) const
{
    for (size_t i = 0; i < controls_.size(); ++i)
        if (controls_[i].name == name) return i;
    wchar_t formClass[64] = L"";
    if (Handle()) GetClassNameW(Handle(), formClass, 64);
    FailFast("form " + Utf8(formClass) + " has no control named \"" + std::string(name) + "\"");
}

HWND Form::Control(std::string_view name) const { return controls_[IndexOf(name)].hwnd; }

int Form::ControlId(std::string_view name) const { return controls_[IndexOf(name)].id; }

void Form::SetInitialFocus(std::string_view name)
{
    if (!name.empty()) (void)IndexOf(name);
    initialFocus_ = name;
}

std::string Form::Text(std::string_view name) const
{
    HWND hwnd = Control(name);
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return Utf8(text);
}

void Form::SetText(std::string_view name, std::string_view text) const
{
    SetWindowTextW(Control(name), Wide(text).c_str());
}

bool Form::IsChecked(std::string_view name) const
{
    return SendMessageW(Control(name), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Form::SetChecked(std::string_view name, bool checked) const
{
    SendMessageW(Control(name), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void Form::LimitText(std::string_view name, int characters)
{
    HWND edit = Control(name);
    // Room for every character to be a pair; the characters are counted on each change.
    SendMessageW(edit, EM_LIMITTEXT, static_cast<WPARAM>(2 * characters), 0);
    On(name, EN_CHANGE, [edit, characters] {
        const int length = GetWindowTextLengthW(edit);
        if (length <= characters) return;  // fewer units than the limit: fewer characters too
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        text.resize(static_cast<size_t>(GetWindowTextW(edit, text.data(), length + 1)));
        auto pairAt = [&text](size_t i) {
            return i + 1 < text.size() && IS_HIGH_SURROGATE(text[i]) && IS_LOW_SURROGATE(text[i + 1]);
        };
        size_t count = 0;
        for (size_t i = 0; i < text.size(); i += pairAt(i) ? 2 : 1) ++count;
        DWORD start = 0, end = 0;
        SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        const size_t caret = std::min<size_t>(end, text.size());
        // A lone first half at the caret counts as a character: typed at the limit, it goes,
        // and so does the second half after it.
        if (count <= static_cast<size_t>(characters)) return;
        size_t from = caret;
        for (size_t excess = count - static_cast<size_t>(characters); excess > 0 && from > 0; --excess) {
            --from;
            if (from > 0 && pairAt(from - 1)) --from;
        }
        SendMessageW(edit, EM_SETSEL, from, caret);
        SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
    });
}

void Form::SetButtonIcon(std::string_view name, UniqueIcon icon)
{
    HWND button = Control(name);
    if (!icon) return;
    SetWindowLongPtrW(button, GWL_STYLE, GetWindowLongPtrW(button, GWL_STYLE) | BS_ICON);
    SendMessageW(button, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon.get()));
    buttonIcons_.push_back(std::move(icon));
}

void Form::SetButtonGlyph(std::string_view name, HIMAGELIST strip, int index, bool right)
{
    HWND button = Control(name);
    // Set again after a DPI change: the picture of the old size goes once the button lets go of it.
    auto previous = std::find_if(buttonGlyphs_.begin(), buttonGlyphs_.end(),
                                 [button](const ButtonGlyph& g) { return g.button == button; });
    UniqueImageList old;
    if (previous != buttonGlyphs_.end()) {
        old = std::move(previous->pictures);
        buttonGlyphs_.erase(previous);
    }
    BUTTON_IMAGELIST layout{};
    layout.margin = {2, 0, 0, 0};
    layout.uAlign = right ? BUTTON_IMAGELIST_ALIGN_RIGHT : BUTTON_IMAGELIST_ALIGN_LEFT;
    int cx = 0, cy = 0;
    if (strip && ImageList_GetIconSize(strip, &cx, &cy)) {
        // A caption that would be cut keeps the button to itself.
        std::wstring caption = Wide(Text(name));
        std::erase(caption, L'&');
        RECT place{};
        GetClientRect(button, &place);
        SIZE extent{};
        {
            ScopedGetDC dc(button);
            ScopedSelectObject selectFont(dc.get(),
                                          reinterpret_cast<HGDIOBJ>(SendMessageW(button, WM_GETFONT, 0, 0)));
            GetTextExtentPoint32W(dc.get(), caption.c_str(), static_cast<int>(caption.size()), &extent);
        }
        UniqueIcon picture;
        UniqueImageList glyph;
        if (extent.cx + cx + 2 + 8 <= place.right - place.left) {
            picture.reset(ImageList_GetIcon(strip, index, ILD_NORMAL));
            glyph.reset(ImageList_Create(cx, cy, ILC_COLOR24 | ILC_MASK, 1, 0));
        }
        if (picture && glyph && ImageList_AddIcon(glyph.get(), picture.get()) >= 0) {
            layout.himl = glyph.get();
            if (SendMessageW(button, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&layout)))
                buttonGlyphs_.push_back({button, std::move(glyph)});
            return;
        }
    }
    // No list at all: the caption alone.
    if (old) SendMessageW(button, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&layout));
}

void Form::SetDialogButtons(std::string_view defaultButton, std::string_view cancelButton)
{
    defaultId_ = ControlId(defaultButton);
    cancelId_ = ControlId(cancelButton);
}

bool Form::IsShown() const { return Handle() && IsWindowVisible(Handle()); }

void Form::BringToFront() const
{
    if (!Handle()) return;
    SetForegroundWindow(Handle());
    SetFocus(Handle());
}

bool Form::CreateForm(const FormSpec& layout)
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    HICON icon = LoadIconW(instance, L"MAINICON");
    if (!RegisterWindowClass({layout.className, icon})) return false;

    spec_ = layout;
    if (!CreateWindowFor({layout.className, layout.caption, layout.style & ~WS_VISIBLE, layout.exStyle, 0, 0,
                          layout.clientWidth, layout.clientHeight, layout.owner}))
        return false;
    // The window's DPI is known once it exists (per-monitor awareness: the screen it is on).
    dpi_ = WindowDpi(Handle());
    MakeFonts();
    PlaceCentred(LayOut());
    return true;
}

void Form::PlaceCentred(SIZE client)
{
    SIZE size = FrameSize(client.cx, client.cy, spec_.style, spec_.exStyle, dpi_);
    PlaceAt({(GetSystemMetrics(SM_CXSCREEN) - size.cx) / 2, (GetSystemMetrics(SM_CYSCREEN) - size.cy) / 2}, client);
}

void Form::PlaceAt(POINT topLeft, SIZE client)
{
    SIZE size = FrameSize(client.cx, client.cy, spec_.style, spec_.exStyle, dpi_);
    SetWindowPos(Handle(), nullptr, topLeft.x, topLeft.y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    // The frame the window really has may be another DPI's (where the system scales it
    // later, or not at all): the client area is what must come out right.
    RECT inside{};
    GetClientRect(Handle(), &inside);
    if (inside.right != client.cx || inside.bottom != client.cy)
        SetWindowPos(Handle(), nullptr, 0, 0, size.cx + client.cx - inside.right, size.cy + client.cy - inside.bottom,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::MakeFonts()
{
    messageFont_ = MessageFont(dpi_);
    const LONG weight = messageFont_.lfWeight;
    font_ = DerivedFont(messageFont_, spec_.fontPixels, weight);
    smallFont_ = DerivedFont(messageFont_, spec_.smallFontPixels, weight);
    smallBoldFont_ = DerivedFont(messageFont_, spec_.smallFontPixels, FW_BOLD);
    for (OwnFont& own : ownFonts_) {
        own.font = DerivedFont(messageFont_, own.pixels, own.weight, own.underline);
        SendMessageW(controls_[own.control].hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(own.font.get()), FALSE);
    }
}

HGDIOBJ Form::RowFont(ControlFont font) const
{
    if (font == ControlFont::Small) return smallFont_.get();
    if (font == ControlFont::SmallBold) return smallBoldFont_.get();
    return font_.get();
}

void Form::SetControlFont(std::string_view name, int pixels, int weight, bool underline)
{
    size_t at = IndexOf(name);
    std::erase_if(ownFonts_, [at](const OwnFont& own) { return own.control == at; });
    OwnFont& own = ownFonts_.emplace_back(OwnFont{at, pixels, weight, underline, {}});
    own.font = DerivedFont(messageFont_, pixels, weight, underline);
    SendMessageW(controls_[at].hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(own.font.get()), FALSE);
    PlaceCentred(LayOut());
}

SIZE Form::LayOut()
{
    auto scale = [this](int value) { return ScaleByDpi(value, dpi_); };
    std::vector<FitBox> boxes(controls_.size());
    for (size_t i = 0; i < controls_.size(); ++i) {
        const ControlRow& row = rows_[i];
        FitBox& box = boxes[i];
        box.parent = controls_[i].parent;
        if (std::string_view(row.className) == TabPageClass) {
            // A page covers its tab control's display area, which depends on the tabs' font.
            const FitBox& tabs = boxes[static_cast<size_t>(box.parent)];
            RECT area{0, 0, tabs.w, tabs.h};
            SendMessageW(controls_[static_cast<size_t>(box.parent)].hwnd, TCM_ADJUSTRECT, FALSE,
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
        if (const int line = LabelLineHeight(controls_[i].hwnd, row.caption); line > box.h) {
            box.y -= line - box.h;
            box.h = line;
        }
        box.minWidth = CaptionWidth(controls_[i].hwnd, row.caption, dpi_);
    }
    const FitLayout fit = FitToText(boxes, scale(spec_.clientWidth));
    std::vector<POINT> origins(controls_.size());
    for (size_t i = 0; i < controls_.size(); ++i) {
        const FitBox& box = fit.boxes[i];
        const POINT base = box.parent < 0 ? POINT{0, 0} : origins[static_cast<size_t>(box.parent)];
        origins[i] = {base.x + box.x, base.y + box.y};
        RECT place{origins[i].x, origins[i].y, origins[i].x + box.w, origins[i].y + box.h};
        // A drop-down list's window height includes its open list.
        if (std::string_view(rows_[i].className) == "COMBOBOX") place.bottom += 8 * box.h;
        HWND hwnd = controls_[i].hwnd;
        // A form may have moved a control into another (a picture into its panel).
        if (HWND holder = GetParent(hwnd); holder != Handle())
            MapWindowPoints(Handle(), holder, reinterpret_cast<POINT*>(&place), 2);
        SetWindowPos(hwnd, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return {fit.clientWidth, scale(spec_.clientHeight)};
}

void Form::Relayout(UINT dpi, POINT topLeft)
{
    // The old fonts live until every control has let go of them.
    HGDIOBJ old[] = {font_.get(), smallFont_.get(), smallBoldFont_.get()};
    UniqueGdiObject keep[] = {std::move(font_), std::move(smallFont_), std::move(smallBoldFont_)};
    std::vector<UniqueGdiObject> keepOwn;
    for (OwnFont& own : ownFonts_) keepOwn.push_back(std::move(own.font));
    dpi_ = dpi;
    MakeFonts();
    for (size_t i = 0; i < controls_.size(); ++i) {
        // Fonts a form set by itself stay; the form's own fonts follow the DPI and the message font.
        auto current = reinterpret_cast<HGDIOBJ>(SendMessageW(controls_[i].hwnd, WM_GETFONT, 0, 0));
        if (std::find(std::begin(old), std::end(old), current) != std::end(old))
            SendMessageW(controls_[i].hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(RowFont(rows_[i].font)), FALSE);
    }
    PlaceAt(topLeft, LayOut());
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    LaidOut();
}

bool Form::CreateControls(std::span<const ControlRow> rows)
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    auto frames = [rows](const ControlRow& row) {
        return std::any_of(rows.begin(), rows.end(),
                           [&](const ControlRow& r) { return r.parent && std::string_view(r.parent) == row.name; });
    };
    for (const ControlRow& row : rows) {
        RECT place{row.x, row.y, row.x + row.w, row.y + row.h};
        // A misspelt parent or a second row of one name is a fault of the table, not of
        // the system: it ends the program rather than leave a form without its window.
        if (FindControl(row.name)) FailFast("the table of a form names \"" + std::string(row.name) + "\" twice");
        if (row.parent) {
            HWND parent = Control(row.parent);
            RECT origin{};
            GetWindowRect(parent, &origin);
            MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&origin), 2);
            if (std::string_view(row.className) == TabPageClass) {
                std::wstring caption = Wide(row.caption);
                TCITEMW item{};
                item.mask = TCIF_TEXT;
                item.pszText = caption.data();
                int count = static_cast<int>(SendMessageW(parent, TCM_GETITEMCOUNT, 0, 0));
                SendMessageW(parent, TCM_INSERTITEMW, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(&item));
                place = {0, 0, origin.right - origin.left, origin.bottom - origin.top};
                SendMessageW(parent, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&place));
            }
            OffsetRect(&place, origin.left, origin.top);
        }
        bool page = std::string_view(row.className) == TabPageClass;
        // A drop-down list's window height includes its open list.
        if (std::string_view(row.className) == "COMBOBOX") place.bottom += 8 * row.h;
        int id = FirstControlId + static_cast<int>(controls_.size());
        // A container ends up below its controls (see the end): clipped by them, it
        // never paints over them, and as a group of its own the arrow keys never step onto it.
        DWORD style = page ? WS_CHILD : (row.style | WS_CHILD);
        if (frames(row)) style |= WS_CLIPSIBLINGS | WS_GROUP;
        // A page is only the origin of its controls: an invisible static that paints nothing.
        HWND hwnd = CreateWindowExW(page ? 0 : row.exStyle, Wide(page ? "STATIC" : row.className).c_str(),
                                    Wide(page ? "" : row.caption).c_str(),
                                    style, place.left, place.top,
                                    place.right - place.left, place.bottom - place.top, Handle(),
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        if (!hwnd) return false;
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(RowFont(row.font)), FALSE);
        int parent = row.parent ? static_cast<int>(IndexOf(row.parent)) : -1;
        controls_.push_back({row.name, id, hwnd, parent, IsWindowEnabled(hwnd) != FALSE});
        rows_.push_back(row);
    }
    PlaceCentred(LayOut());
    // Another process's WindowFromPoint (OLE's search for a drop target during a drag from
    // the file manager) never asks our windows for their hit test, so a group box's
    // transparency does not count there: a container lying above its controls would take
    // the drops meant for them. Containers go to the bottom, each above the containers
    // around it; the other controls keep their order, which is also their Tab order.
    std::vector<bool> container(controls_.size());
    for (const ControlEntry& c : controls_)
        if (c.parent >= 0) container[static_cast<size_t>(c.parent)] = true;
    // Rows list each container before the ones inside it: the outermost goes down last.
    for (size_t i = controls_.size(); i-- > 0;)
        if (container[i])
            SetWindowPos(controls_[i].hwnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return true;
}

bool Form::Inside(size_t control, size_t container) const
{
    for (int p = controls_[control].parent; p >= 0; p = controls_[static_cast<size_t>(p)].parent)
        if (static_cast<size_t>(p) == container) return true;
    return false;
}

void Form::ApplyEnabled()
{
    // Rows come parent first, so each container's state is final before its contents.
    std::vector<bool> usable(controls_.size());
    for (size_t i = 0; i < controls_.size(); ++i) {
        int p = controls_[i].parent;
        usable[i] = controls_[i].enabled && (p < 0 || usable[static_cast<size_t>(p)]);
        if ((IsWindowEnabled(controls_[i].hwnd) != FALSE) != usable[i]) EnableWindow(controls_[i].hwnd, usable[i]);
    }
}

void Form::SetEnabled(std::string_view name, bool enabled)
{
    controls_[IndexOf(name)].enabled = enabled;
    ApplyEnabled();
}

void Form::SetControlsEnabled(std::string_view container, bool enabled)
{
    size_t at = IndexOf(container);
    for (size_t i = 0; i < controls_.size(); ++i)
        if (Inside(i, at)) controls_[i].enabled = enabled;
    ApplyEnabled();
}

void Form::SetDirectChildrenEnabled(std::string_view container, bool enabled)
{
    auto at = static_cast<int>(IndexOf(container));
    for (ControlEntry& c : controls_)
        if (c.parent == at) c.enabled = enabled;
    ApplyEnabled();
}

void Form::OnNotify(std::string_view control, UINT code, NotifyHandler handler)
{
    notifyBindings_.push_back({ControlId(control), code, std::move(handler)});
}

void Form::On(std::string_view control, WORD notification, Handler handler)
{
    bindings_.push_back({ControlId(control), notification, std::move(handler)});
}

ModalResult Form::ShowModal(HWND owner)
{
    if (!Handle() || inModalLoop_) return ModalResult::Cancel;
    bool disableOwner = owner && IsWindowEnabled(owner);
    if (disableOwner) EnableWindow(owner, FALSE);
    modalResult_ = ModalResult::None;
    inModalLoop_ = true;
    ShowWindow(Handle(), SW_SHOW);
    SetForegroundWindow(Handle());
    if (!initialFocus_.empty()) SetFocus(Control(initialFocus_));

    MSG msg;
    while (modalResult_ == ModalResult::None) {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            TerminateApplication(static_cast<int>(msg.wParam));
            modalResult_ = ModalResult::Terminated;
            break;
        }
        if (got == -1) {
            modalResult_ = ModalResult::Cancel;
            break;
        }
        if (msg.message == WM_KEYUP && keyUpPreview_ && (msg.hwnd == Handle() || IsChild(Handle(), msg.hwnd)))
            keyUpPreview_(msg.wParam);
        if (!IsDialogMessageW(Handle(), &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    inModalLoop_ = false;
    // Re-enable the owner before hiding, or Windows activates some other program's window.
    if (disableOwner) EnableWindow(owner, TRUE);
    if (Handle()) ShowWindow(Handle(), SW_HIDE);
    return modalResult_;
}

void Form::EndModal(ModalResult result)
{
    if (inModalLoop_) modalResult_ = result;
    else if (Handle()) ShowWindow(Handle(), SW_HIDE);
}

bool Form::RunBinding(int id, WORD notification)
{
    for (const Binding& b : bindings_) {
        if (b.id == id && b.notification == notification) {
            Handler handler = b.handler;  // the handler may bind more events
            handler();
            return true;
        }
    }
    return false;
}

LRESULT Form::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_COMMAND: {
        int id = LOWORD(wParam);
        WORD notification = HIWORD(wParam);
        // IsDialogMessage turns Enter and Esc into IDOK and IDCANCEL without a control.
        if (lParam == 0 && id == IDCANCEL && cancelId_ > 0) {
            if (IsWindowEnabled(GetDlgItem(Handle(), cancelId_))) RunBinding(cancelId_, BN_CLICKED);
            return 0;
        }
        if (lParam == 0 && id == IDOK && defaultId_ > 0) {
            if (IsWindowEnabled(GetDlgItem(Handle(), defaultId_))) RunBinding(defaultId_, BN_CLICKED);
            return 0;
        }
        // lParam is null for menu and accelerator commands, which share these ids' range.
        if (lParam == 0) break;
        if (RunBinding(id, notification)) return 0;
        break;
    }
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        for (const NotifyBinding& b : notifyBindings_) {
            if (header && static_cast<int>(header->idFrom) == b.id && header->code == b.code) {
                NotifyHandler handler = b.handler;
                return handler(*header);
            }
        }
        break;
    }
    case WM_GETFONT:
        // What the form draws itself (an owner-drawn list) is in the form's font too.
        return reinterpret_cast<LRESULT>(font_.get());
    case DM_GETDEFID:
        if (defaultId_ > 0) return MAKELRESULT(defaultId_, DC_HASDEFID);
        break;
    case WM_CLOSE:
        EndModal(ModalResult::Cancel);
        return 0;
    case WmDpiChanged:
        if (lParam) {
            const auto& suggested = *reinterpret_cast<const RECT*>(lParam);
            Relayout(HIWORD(wParam), {suggested.left, suggested.top});
        }
        return 0;
    case WM_SETTINGCHANGE:
        // Sent to every top-level window, shown or not, when the user picks other fonts.
        if (!SameFont(MessageFont(dpi_), messageFont_)) {
            RECT frame{};
            GetWindowRect(Handle(), &frame);
            Relayout(dpi_, {frame.left, frame.top});
        }
        break;
    default:
        break;
    }
    return DefaultHandling(msg, wParam, lParam);
}
