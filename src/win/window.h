// Base of every window class: the window procedure finds its object through
// GWLP_USERDATA and forwards to a virtual member.
#pragma once

#include <windows.h>

class Window {
public:
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    // Destroys the window if it still exists; derived classes that need their own
    // WM_DESTROY handling destroy it in their destructor first.
    virtual ~Window();

    HWND Handle() const { return hwnd_; }

protected:
    Window() = default;

    // Names and captions are UTF-8.
    struct ClassShape {
        const char* name;
        HICON icon = nullptr;
        HBRUSH background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    };
    // Registers the class once per process; later calls with the same name succeed.
    [[nodiscard]] static bool RegisterWindowClass(const ClassShape& layout);

    struct CreateShape {
        const char* className;
        const char* caption;
        DWORD style;
        DWORD exStyle = 0;
        int x = CW_USEDEFAULT;
        int y = CW_USEDEFAULT;
        int width = CW_USEDEFAULT;
        int height = CW_USEDEFAULT;
        HWND parentOrOwner = nullptr;
    };
    [[nodiscard]] bool CreateWindowFor(const CreateShape& layout);

    // Every message of the window; the default is DefWindowProcW.
    virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultHandling(UINT msg, WPARAM wParam, LPARAM lParam);
    void DestroyHandle();

private:
    static LRESULT CALLBACK StaticWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
};
