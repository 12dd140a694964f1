#include "win/form.h"

#include "win/application.h"
#include "win/dpi.h"
#include "win/text_conversion.h"
#include "win/text_limit.h"

#include <commctrl.h>

#include <algorithm>

namespace {
constexpr int FirstControlId = 1000;
}  // namespace

void LoadCommonControls(DWORD classes)
{
    if (!classes) return;
    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof(icc);
    icc.dwICC = classes;
    InitCommonControlsEx(&icc);
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

const Form::ControlEntry& Form::entry(size_t index) const
{
    // Only a table whose enum has more values than rows gets here.
    if (index >= controls_.size()) FailFast("a form has no row " + std::to_string(index) + " in its table");
    return controls_[index];
}

HWND Form::Control(std::string_view name) const { return controls_[IndexOf(name)].hwnd; }

int Form::ControlId(std::string_view name) const { return controls_[IndexOf(name)].id; }

HWND Form::ControlAt(size_t index) const { return entry(index).hwnd; }

void Form::LimitTextAt(size_t index, int characters)
{
    HWND edit = ControlAt(index);
    OnAt(index, EN_CHANGE, LimitCharacters(edit, characters));
}

void Form::SetButtonIconAt(size_t index, UniqueIcon icon) { buttons_.SetIcon(ControlAt(index), std::move(icon)); }

void Form::SetButtonGlyphAt(size_t index, HIMAGELIST strip, int picture, bool right)
{
    buttons_.SetGlyph(ControlAt(index), strip, picture, right);
}

void Form::SetDialogButtonsAt(size_t defaultButton, size_t cancelButton)
{
    defaultId_ = IdAt(defaultButton);
    cancelId_ = cancelButton == NoButton ? 0 : IdAt(cancelButton);
}

bool Form::IsShown() const { return Handle() && IsWindowVisible(Handle()); }

void Form::BringToFront() const
{
    if (!Handle()) return;
    SetForegroundWindow(Handle());
    SetFocus(Handle());
}

bool Form::CreateForm(const FormShape& shape)
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    HICON icon = LoadIconW(instance, L"MAINICON");
    if (!RegisterWindowClass({shape.className, icon})) return false;

    shape_ = shape;
    if (!CreateWindowFor({shape.className, shape.caption, shape.style & ~WS_VISIBLE, shape.exStyle, 0, 0,
                          shape.clientWidth, shape.clientHeight, shape.owner}))
        return false;
    // The window's DPI is known once it exists (per-monitor awareness: the screen it is on).
    dpi_ = WindowDpi(Handle());
    fonts_.Make(shape_, dpi_);
    PlaceFormCentred(Handle(), shape_, LayOut(), dpi_);
    return true;
}

SIZE Form::LayOut() { return LayOutControls(Handle(), laid_, {shape_.clientWidth, shape_.clientHeight}, dpi_); }

void Form::SetControlFontAt(size_t index, int pixels, int weight, bool underline)
{
    fonts_.SetOwn(ControlAt(index), pixels, weight, underline);
    PlaceFormCentred(Handle(), shape_, LayOut(), dpi_);
}

void Form::Relayout(UINT dpi, POINT topLeft)
{
    dpi_ = dpi;
    fonts_.Remake(shape_, dpi_, laid_);
    PlaceFormAt(Handle(), shape_, topLeft, LayOut(), dpi_);
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    LaidOut();
}

bool Form::CreateRows(std::span<const Row> rows)
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    for (size_t at = 0; at < rows.size(); ++at) {
        const Row& row = rows[at];
        const bool frames = std::any_of(rows.begin(), rows.end(), [at](const Row& r) { return r.parent == static_cast<int>(at); });
        RECT place{row.x, row.y, row.x + row.w, row.y + row.h};
        if (row.parent >= 0) {
            HWND parent = ControlAt(static_cast<size_t>(row.parent));
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
        if (frames) style |= WS_CLIPSIBLINGS | WS_GROUP;
        // A page is only the origin of its controls: an invisible static that paints nothing.
        HWND hwnd = CreateWindowExW(page ? 0 : row.exStyle, Wide(page ? "STATIC" : row.className).c_str(),
                                    Wide(page ? "" : row.caption).c_str(),
                                    style, place.left, place.top,
                                    place.right - place.left, place.bottom - place.top, Handle(),
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        if (!hwnd) return false;
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.Of(row.font)), FALSE);
        controls_.push_back({row.name, id, hwnd, row.parent, IsWindowEnabled(hwnd) != FALSE});
        laid_.push_back({hwnd, row.parent, row.className, row.caption, row.x, row.y, row.w, row.h, row.font});
    }
    PlaceFormCentred(Handle(), shape_, LayOut(), dpi_);
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
    std::vector<bool> tabsShown(controls_.size());
    for (size_t i = 0; i < controls_.size(); ++i) {
        if (!IsPage(i) || tabsShown[static_cast<size_t>(controls_[i].parent)]) continue;
        tabsShown[static_cast<size_t>(controls_[i].parent)] = true;
        ShowPageAt(i);
    }
    return true;
}

bool Form::IsPage(size_t index) const
{
    return std::string_view(laid_[index].className) == TabPageClass && controls_[index].parent >= 0;
}

void Form::ShowPageAt(size_t page)
{
    (void)entry(page);
    if (!IsPage(page)) return;
    const int tabs = controls_[page].parent;
    HWND tabControl = controls_[static_cast<size_t>(tabs)].hwnd;
    int tab = 0;
    for (size_t i = 0; i < page; ++i) tab += IsPage(i) && controls_[i].parent == tabs;
    // Setting the selection from code sends no TCN_SELCHANGE.
    if (SendMessageW(tabControl, TCM_GETCURSEL, 0, 0) != tab) SendMessageW(tabControl, TCM_SETCURSEL, tab, 0);
    // Every control lies flat on the form: the pages hide and show their contents, so the
    // keyboard (Tab, mnemonics) reaches only those of the page shown.
    HWND focus = GetFocus();
    bool focusHidden = false;
    for (size_t i = 0; i < controls_.size(); ++i) {
        for (int p = controls_[i].parent; p >= 0; p = controls_[static_cast<size_t>(p)].parent) {
            if (!IsPage(static_cast<size_t>(p)) || controls_[static_cast<size_t>(p)].parent != tabs) continue;
            const bool shown = static_cast<size_t>(p) == page;
            ShowWindow(controls_[i].hwnd, shown ? SW_SHOWNA : SW_HIDE);
            focusHidden = focusHidden || (!shown && controls_[i].hwnd == focus);
            break;
        }
    }
    if (focusHidden) SetFocus(tabControl);
}

bool Form::TurnPage(bool back)
{
    std::vector<size_t> pages;
    for (size_t i = 0; i < controls_.size(); ++i)
        if (IsPage(i) && (pages.empty() || controls_[i].parent == controls_[pages[0]].parent)) pages.push_back(i);
    if (pages.size() < 2) return false;
    const auto current = static_cast<size_t>(
        std::max<LRESULT>(0, SendMessageW(controls_[static_cast<size_t>(controls_[pages[0]].parent)].hwnd, TCM_GETCURSEL, 0, 0)));
    ShowPageAt(pages[(current + (back ? pages.size() - 1 : 1)) % pages.size()]);
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

void Form::SetEnabledAt(size_t index, bool enabled)
{
    (void)entry(index);
    controls_[index].enabled = enabled;
    ApplyEnabled();
}

void Form::SetInsideEnabledAt(size_t container, bool enabled, bool directOnly)
{
    (void)entry(container);
    for (size_t i = 0; i < controls_.size(); ++i)
        if (directOnly ? controls_[i].parent == static_cast<int>(container) : Inside(i, container))
            controls_[i].enabled = enabled;
    ApplyEnabled();
}

void Form::OnNotifyAt(size_t index, UINT code, NotifyHandler handler)
{
    notifyBindings_.push_back({IdAt(index), code, std::move(handler)});
}

void Form::OnAt(size_t index, WORD notification, Handler handler)
{
    bindings_.push_back({IdAt(index), notification, std::move(handler)});
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
    if (initialFocus_ >= 0) SetFocus(ControlAt(static_cast<size_t>(initialFocus_)));

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
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN && PressFocusedButton()) continue;
        // As in a property sheet; the dialog manager would take it for Tab.
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB && GetKeyState(VK_CONTROL) < 0 &&
            (msg.hwnd == Handle() || IsChild(Handle(), msg.hwnd)) && TurnPage(GetKeyState(VK_SHIFT) < 0))
            continue;
        if (!IsDialogMessageW(Handle(), &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        ShowDefaultButton();
    }
    inModalLoop_ = false;
    // Re-enable the owner before hiding, or Windows activates some other program's window.
    if (disableOwner) EnableWindow(owner, TRUE);
    if (Handle()) ShowWindow(Handle(), SW_HIDE);
    return modalResult_;
}

HWND Form::FocusedButton() const
{
    HWND focus = GetFocus();
    if (!focus || !IsChild(Handle(), focus) || !IsWindowEnabled(focus)) return nullptr;
    return (SendMessageW(focus, WM_GETDLGCODE, 0, 0) & (DLGC_UNDEFPUSHBUTTON | DLGC_DEFPUSHBUTTON)) ? focus : nullptr;
}

bool Form::PressFocusedButton()
{
    // A dialog box's manager makes the focused push button the default one, so Enter presses
    // it; IsDialogMessage on a form would press the form's default button instead.
    HWND button = FocusedButton();
    if (!button) return false;
    SendMessageW(Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED), reinterpret_cast<LPARAM>(button));
    return true;
}

void Form::ShowDefaultButton()
{
    // The thick frame shows what Enter presses: the push button with the focus, else the
    // form's default button.
    HWND defaultButton = defaultId_ > 0 ? GetDlgItem(Handle(), defaultId_) : nullptr;
    HWND shown = FocusedButton();
    if (!shown) shown = defaultButton;
    if (shown == shownDefault_) return;
    for (HWND previous : {shownDefault_, defaultButton})
        if (previous && previous != shown && IsChild(Handle(), previous))
            SendMessageW(previous, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    if (shown) SendMessageW(shown, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    shownDefault_ = shown;
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
        // Without a cancel button Esc is the close box, where the form has one.
        if (lParam == 0 && id == IDCANCEL && (GetWindowLongPtrW(Handle(), GWL_STYLE) & WS_SYSMENU)) {
            SendMessageW(Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
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
        if (header && header->code == TCN_SELCHANGE) {
            const LRESULT tab = SendMessageW(header->hwndFrom, TCM_GETCURSEL, 0, 0);
            LRESULT seen = 0;
            for (size_t i = 0; i < controls_.size(); ++i)
                if (IsPage(i) && controls_[static_cast<size_t>(controls_[i].parent)].hwnd == header->hwndFrom &&
                    seen++ == tab)
                    ShowPageAt(i);
        }
        for (const NotifyBinding& b : notifyBindings_) {
            if (header && static_cast<int>(header->idFrom) == b.id && header->code == b.code) {
                NotifyHandler handler = b.handler;
                return handler(*header);
            }
        }
        break;
    }
    case WM_NEXTDLGCTL: {
        // A label's mnemonic: IsDialogMessage focuses the label, then asks for the next tab
        // stop this way, which only a dialog box's own procedure would answer.
        HWND next = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam) : GetNextDlgTabItem(Handle(), GetFocus(), wParam != 0);
        if (next) SetFocus(next);
        if (next && (SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)) SendMessageW(next, EM_SETSEL, 0, -1);
        return 0;
    }
    case WM_GETFONT:
        // What the form draws itself (an owner-drawn list) is in the form's font too.
        return reinterpret_cast<LRESULT>(fonts_.Of(ControlFont::Normal));
    case DM_GETDEFID:
        if (defaultId_ > 0) return MAKELRESULT(defaultId_, DC_HASDEFID);
        break;
    case WM_CLOSE:
        EndModal(ModalResult::Cancel);
        return 0;
    case WM_ACTIVATE:
        // As a dialog box does: the control that had the keyboard focus gets it back when the
        // form comes to the front again (after a dialog or message box of its own, or another
        // program), where the default handling would give it to the form itself.
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            lastFocus_ = focus && IsChild(Handle(), focus) ? focus : nullptr;
        } else if (lastFocus_ && IsWindowVisible(lastFocus_) && IsWindowEnabled(lastFocus_)) {
            SetFocus(lastFocus_);
            return 0;
        }
        break;
    case WM_SHOWWINDOW:
        // Each showing starts with the focus the form gives, not the last run's.
        if (!wParam) lastFocus_ = nullptr;
        break;
    case WmDpiChanged:
        if (lParam) {
            const auto& suggested = *reinterpret_cast<const RECT*>(lParam);
            Relayout(HIWORD(wParam), {suggested.left, suggested.top});
        }
        return 0;
    case WM_SETTINGCHANGE:
        // Sent to every top-level window, shown or not, when the user picks other fonts.
        if (fonts_.MessageFontChanged(dpi_)) {
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
