#include "win/window.h"

#include "win/text_conversion.h"

#include <string>

Window::~Window() { DestroyHandle(); }

void Window::DestroyHandle()
{
    if (!hwnd_) return;
    HWND hwnd = hwnd_;
    // Messages sent while destroying must not reach a half-destroyed object.
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    hwnd_ = nullptr;
    DestroyWindow(hwnd);
}

bool Window::RegisterWindowClass(const ClassShape& layout)
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    const std::wstring name = Wide(layout.name);
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExW(instance, name.c_str(), &existing)) return true;

    // A wide class: its windows get UTF-16 in WM_CHAR, WM_SETTEXT and the notifications
    // of their common controls.
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &Window::StaticWindowProc;
    wc.hInstance = instance;
    wc.hIcon = layout.icon;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = layout.background;
    wc.lpszClassName = name.c_str();
    return RegisterClassExW(&wc) != 0;
}

bool Window::CreateWindowFor(const CreateShape& layout)
{
    HWND hwnd = CreateWindowExW(layout.exStyle, Wide(layout.className).c_str(), Wide(layout.caption ? layout.caption : "").c_str(),
                                layout.style, layout.x, layout.y, layout.width, layout.height, layout.parentOrOwner,
                                nullptr, GetModuleHandleW(nullptr), this);
    return hwnd != nullptr && hwnd == hwnd_;
}

LRESULT Window::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefaultHandling(msg, wParam, lParam);
}

LRESULT Window::DefaultHandling(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

LRESULT CALLBACK Window::StaticWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* self = static_cast<Window*>(create->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);

    LRESULT result = 0;
    try {
        result = self->HandleMessage(msg, wParam, lParam);
    } catch (...) {
        // Nothing may unwind into user32; the message gets its default handling instead.
        result = DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}
