#include "win/form.h"

#include "win/application.h"

namespace {
constexpr int FirstControlId = 1000;

UniqueGdiObject MakeFont(const char* name, int pixels, int weight)
{
    return UniqueGdiObject(CreateFontA(-pixels, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                       VARIABLE_PITCH | FF_SWISS, name));
}
}  // namespace

HWND Form::Control(std::string_view name) const
{
    for (const ControlEntry& c : controls_)
        if (c.name == name) return c.hwnd;
    return nullptr;
}

int Form::ControlId(std::string_view name) const
{
    for (const ControlEntry& c : controls_)
        if (c.name == name) return c.id;
    return -1;
}

bool Form::IsShown() const { return Handle() && IsWindowVisible(Handle()); }

void Form::BringToFront() const
{
    if (!Handle()) return;
    SetForegroundWindow(Handle());
    SetFocus(Handle());
}

bool Form::CreateForm(const FormSpec& spec)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HICON icon = LoadIconA(instance, "MAINICON");
    if (!RegisterWindowClass({spec.className, icon})) return false;

    RECT frame{0, 0, spec.clientWidth, spec.clientHeight};
    AdjustWindowRectEx(&frame, spec.style, FALSE, spec.exStyle);
    int width = frame.right - frame.left;
    int height = frame.bottom - frame.top;
    int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;

    font_ = MakeFont(spec.fontName, spec.fontPixels, FW_NORMAL);
    boldFont_ = MakeFont(spec.fontName, spec.fontPixels, FW_BOLD);
    if (!CreateWindowFor({spec.className, spec.caption, spec.style & ~WS_VISIBLE, spec.exStyle, x, y, width,
                          height, spec.owner}))
        return false;
    SendMessageA(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    return true;
}

bool Form::CreateControls(std::span<const ControlRow> rows)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    for (const ControlRow& row : rows) {
        HWND parent = row.parent ? Control(row.parent) : Handle();
        if (!parent) return false;
        int id = FirstControlId + static_cast<int>(controls_.size());
        HWND hwnd = CreateWindowExA(row.exStyle, row.className, row.caption, row.style | WS_CHILD, row.x, row.y,
                                    row.w, row.h, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                    instance, nullptr);
        if (!hwnd) return false;
        HGDIOBJ font = row.font == ControlFont::Bold ? boldFont_.get() : font_.get();
        SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        controls_.push_back({row.name, id, hwnd});
    }
    return true;
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

LRESULT Form::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_COMMAND: {
        int id = LOWORD(wParam);
        WORD notification = HIWORD(wParam);
        // lParam is null for menu and accelerator commands, which share these ids' range.
        if (lParam == 0) break;
        for (const Binding& b : bindings_) {
            if (b.id == id && b.notification == notification) {
                Handler handler = b.handler;  // the handler may bind more events
                handler();
                return 0;
            }
        }
        break;
    }
    case WM_CLOSE:
        EndModal(ModalResult::Cancel);
        return 0;
    default:
        break;
    }
    return DefaultHandling(msg, wParam, lParam);
}
