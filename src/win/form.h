// Forms declared as tables: one row per control, one row per event binding.
#pragma once

#include "win/handles.h"
#include "win/window.h"

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

enum class ControlFont { Normal, Bold };

// Positions are client coordinates of the parent: the form, or the control named in
// `parent` (a group box, a panel).
struct ControlRow {
    const char* name;
    const char* className;
    const char* caption;
    int x, y, w, h;
    DWORD style;
    DWORD exStyle = 0;
    const char* parent = nullptr;
    ControlFont font = ControlFont::Normal;
};

// Handlers carry the names of the component and the event: {"BtnOK", BN_CLICKED, &TfrmKonfig::BtnOKClick}.
template <typename T>
struct EventRow {
    const char* control;
    WORD notification;
    void (T::*handler)();
};

enum class ModalResult { None, Ok, Cancel, Terminated };

class Form : public Window {
public:
    // The control of that name, or null.
    HWND Control(std::string_view name) const;
    int ControlId(std::string_view name) const;

    bool IsShown() const;
    void BringToFront() const;

    // Disables the owner, shows the form and runs its own message loop until EndModal
    // or WM_QUIT (which is passed on to the loops outside: the result is Terminated).
    ModalResult ShowModal(HWND owner);
    void EndModal(ModalResult result);
    bool InModalLoop() const { return inModalLoop_; }

protected:
    struct FormSpec {
        const char* className;
        const char* caption;
        int clientWidth;
        int clientHeight;
        DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
        DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
        HWND owner = nullptr;
        const char* fontName = "MS Sans Serif";
        int fontPixels = 11;
    };
    // Creates the hidden form, centred on the desktop.
    [[nodiscard]] bool CreateForm(const FormSpec& spec);
    [[nodiscard]] bool CreateControls(std::span<const ControlRow> rows);

    using Handler = std::function<void()>;
    void On(std::string_view control, WORD notification, Handler handler);
    template <typename T>
    void BindEvents(T* self, std::span<const EventRow<T>> rows)
    {
        for (const EventRow<T>& row : rows)
            On(row.control, row.notification, [self, h = row.handler] { (self->*h)(); });
    }

    // The close box ends a modal run with Cancel and hides the form; it is never destroyed
    // by closing, forms live as long as the program.
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    struct ControlEntry {
        std::string name;
        int id;
        HWND hwnd;
    };
    struct Binding {
        int id;
        WORD notification;
        Handler handler;
    };
    std::vector<ControlEntry> controls_;
    std::vector<Binding> bindings_;
    UniqueGdiObject font_;
    UniqueGdiObject boldFont_;
    ModalResult modalResult_ = ModalResult::None;
    bool inModalLoop_ = false;
};
