#include "win/form.h"

#include "win/application.h"

#include <algorithm>

namespace {
constexpr int FirstControlId = 1000;

UniqueGdiObject MakeFont(const char* name, int pixels, int weight)
{
    return UniqueGdiObject(CreateFontA(-pixels, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                       VARIABLE_PITCH | FF_SWISS, name));
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
    char formClass[64] = "";
    if (Handle()) GetClassNameA(Handle(), formClass, sizeof(formClass));
    FailFast("form " + std::string(formClass) + " has no control named \"" + std::string(name) + "\"");
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
    std::string text(static_cast<size_t>(GetWindowTextLengthA(hwnd)) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

void Form::SetText(std::string_view name, std::string_view text) const
{
    SetWindowTextA(Control(name), std::string(text).c_str());
}

bool Form::IsChecked(std::string_view name) const
{
    return SendMessageA(Control(name), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Form::SetChecked(std::string_view name, bool checked) const
{
    SendMessageA(Control(name), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void Form::SetButtonIcon(std::string_view name, UniqueIcon icon)
{
    HWND button = Control(name);
    if (!icon) return;
    SetWindowLongPtrA(button, GWL_STYLE, GetWindowLongPtrA(button, GWL_STYLE) | BS_ICON);
    SendMessageA(button, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon.get()));
    buttonIcons_.push_back(std::move(icon));
}

void Form::SetButtonGlyph(std::string_view name, HIMAGELIST strip, int index, bool right)
{
    HWND button = Control(name);
    if (!strip) return;
    // A caption that would be cut keeps the button to itself.
    std::string caption = Text(name);
    std::erase(caption, '&');
    RECT place{};
    GetClientRect(button, &place);
    SIZE extent{};
    {
        ScopedGetDC dc(button);
        ScopedSelectObject selectFont(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageA(button, WM_GETFONT, 0, 0)));
        GetTextExtentPoint32A(dc.get(), caption.c_str(), static_cast<int>(caption.size()), &extent);
    }
    if (extent.cx + 16 + 2 + 8 > place.right - place.left) return;
    UniqueIcon picture(ImageList_GetIcon(strip, index, ILD_NORMAL));
    UniqueImageList glyph(ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 1, 0));
    if (!picture || !glyph || ImageList_AddIcon(glyph.get(), picture.get()) < 0) return;
    BUTTON_IMAGELIST layout{};
    layout.himl = glyph.get();
    layout.margin = {2, 0, 0, 0};
    layout.uAlign = right ? BUTTON_IMAGELIST_ALIGN_RIGHT : BUTTON_IMAGELIST_ALIGN_LEFT;
    if (SendMessageA(button, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&layout)))
        buttonGlyphs_.push_back(std::move(glyph));
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
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HICON icon = LoadIconA(instance, "MAINICON");
    if (!RegisterWindowClass({layout.className, icon})) return false;

    RECT frame{0, 0, layout.clientWidth, layout.clientHeight};
    AdjustWindowRectEx(&frame, layout.style, FALSE, layout.exStyle);
    int width = frame.right - frame.left;
    int height = frame.bottom - frame.top;
    int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;

    font_ = MakeFont(layout.fontName, layout.fontPixels, FW_NORMAL);
    smallFont_ = MakeFont(layout.fontName, layout.smallFontPixels, FW_NORMAL);
    smallBoldFont_ = MakeFont(layout.fontName, layout.smallFontPixels, FW_BOLD);
    if (!CreateWindowFor({layout.className, layout.caption, layout.style & ~WS_VISIBLE, layout.exStyle, x, y, width,
                          height, layout.owner}))
        return false;
    SendMessageA(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    return true;
}

bool Form::CreateControls(std::span<const ControlRow> rows)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
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
                TCITEMA item{};
                item.mask = TCIF_TEXT;
                item.pszText = const_cast<char*>(row.caption);
                int count = static_cast<int>(SendMessageA(parent, TCM_GETITEMCOUNT, 0, 0));
                SendMessageA(parent, TCM_INSERTITEMA, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(&item));
                place = {0, 0, origin.right - origin.left, origin.bottom - origin.top};
                SendMessageA(parent, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&place));
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
        HWND hwnd = CreateWindowExA(page ? 0 : row.exStyle, page ? "STATIC" : row.className, page ? "" : row.caption,
                                    style, place.left, place.top,
                                    place.right - place.left, place.bottom - place.top, Handle(),
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        if (!hwnd) return false;
        HGDIOBJ font = font_.get();
        if (row.font == ControlFont::Small) font = smallFont_.get();
        if (row.font == ControlFont::SmallBold) font = smallBoldFont_.get();
        SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        int parent = row.parent ? static_cast<int>(IndexOf(row.parent)) : -1;
        controls_.push_back({row.name, id, hwnd, parent, IsWindowEnabled(hwnd) != FALSE});
    }
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
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
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
        if (!IsDialogMessageA(Handle(), &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
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
    case DM_GETDEFID:
        if (defaultId_ > 0) return MAKELRESULT(defaultId_, DC_HASDEFID);
        break;
    case WM_CLOSE:
        EndModal(ModalResult::Cancel);
        return 0;
    default:
        break;
    }
    return DefaultHandling(msg, wParam, lParam);
}
