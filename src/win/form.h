// Forms built from tables (form_table.h): the controls a table names, the events bound to
// them, a dialog's keys and its modal run.
#pragma once

#include "win/button_pictures.h"
#include "win/control_state.h"
#include "win/form_layout.h"
#include "win/form_table.h"
#include "win/handles.h"
#include "win/window.h"

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Registers the common control classes a form uses (ICC_* flags) before its controls are made.
void LoadCommonControls(DWORD classes);

enum class ModalResult { None, Ok, Cancel, Terminated };

class Form : public Window {
public:
    // By the name a table row carries, for tests and diagnostics. A name the table
    // lacks ends the program (FailFast); FindControl answers null instead.
    HWND Control(std::string_view name) const;
    int ControlId(std::string_view name) const;
    HWND FindControl(std::string_view name) const;

    bool IsShown() const;
    void BringToFront() const;

    // Disables the owner, shows the form and runs its own message loop until EndModal
    // or WM_QUIT (which is passed on to the loops outside: the result is Terminated).
    ModalResult ShowModal(HWND owner);
    void EndModal(ModalResult result);
    bool InModalLoop() const { return inModalLoop_; }

    // The DPI the form is laid out for.
    UINT Dpi() const { return dpi_; }

protected:
    // One row of a table with its parent as an index, as the engine keeps it.
    struct Row {
        const char* name;
        const char* className;
        const char* caption;
        int x, y, w, h;
        DWORD style;
        DWORD exStyle;
        int parent;  // -1 for the form
        ControlFont font;
    };
    // Creates the hidden form, centred on the desktop; its sizes are at 96 DPI.
    [[nodiscard]] bool CreateForm(const FormShape& shape);
    // Creates the controls and lays the form out at its DPI, centred again.
    [[nodiscard]] bool CreateRows(std::span<const Row> rows);
    // After the form was laid out again for another DPI (moved to another screen) or
    // another message font (the user changed it).
    virtual void LaidOut() {}

    // The control of row `index`, by which the typed forms below reach it.
    HWND ControlAt(size_t index) const;
    HWND FindAt(size_t index) const { return index < controls_.size() ? controls_[index].hwnd : nullptr; }
    int IdAt(size_t index) const { return entry(index).id; }
    // Controls sit flat on the form, so a container does not disable its contents by
    // itself: a control is usable when it and every container around it are enabled.
    void SetEnabledAt(size_t index, bool enabled);
    // Every control inside the container, at any depth, or only those placed directly in it.
    void SetInsideEnabledAt(size_t container, bool enabled, bool directOnly);
    void SetInitialFocusAt(size_t index) { initialFocus_ = static_cast<int>(index); }
    // Selects the tab of that page (a TabPageClass row) and shows the controls inside it;
    // those of the tab control's other pages hide. A form opens on each tab control's first
    // page; the tabs, Ctrl+Tab and Ctrl+Shift+Tab change pages too.
    void ShowPageAt(size_t page);
    void LimitTextAt(size_t index, int characters);
    void SetButtonIconAt(size_t index, UniqueIcon icon);
    void SetButtonGlyphAt(size_t index, HIMAGELIST strip, int picture, bool right);
    void SetControlFontAt(size_t index, int pixels, int weight, bool underline);

    using Handler = std::function<void()>;
    void OnAt(size_t index, WORD notification, Handler handler);
    // WM_NOTIFY from a common control; the handler's answer is the message's result.
    using NotifyHandler = std::function<LRESULT(NMHDR&)>;
    void OnNotifyAt(size_t index, UINT code, NotifyHandler handler);
    // Enter presses the default button and Esc the cancel button, as in a dialog box; a form
    // without a cancel button (NoButton) takes Esc as its close box.
    static constexpr size_t NoButton = static_cast<size_t>(-1);
    void SetDialogButtonsAt(size_t defaultButton, size_t cancelButton);
    // Keyboard preview: sees every key release meant for the form or one of its controls.
    void SetKeyUpPreview(std::function<void(WPARAM key)> preview) { keyUpPreview_ = std::move(preview); }
    // The close box ends a modal run with Cancel and hides the form; it is never destroyed
    // by closing, forms live as long as the program.
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    struct ControlEntry {
        std::string name;
        int id;
        HWND hwnd;
        int parent;  // index into controls_, -1 for the form
        bool enabled = true;
    };
    const ControlEntry& entry(size_t index) const;
    size_t IndexOf(std::string_view name) const;
    bool Inside(size_t control, size_t container) const;
    bool IsPage(size_t index) const;
    // The page shown after the current one of the form's first tab control, or before it.
    bool TurnPage(bool back);
    // The enabled push button with the keyboard focus, or null.
    HWND FocusedButton() const;
    // Enter on the push button that has the focus: true when it pressed one.
    bool PressFocusedButton();
    void ShowDefaultButton();
    void ApplyEnabled();
    // Places every control for the form's DPI; the form's client size.
    SIZE LayOut();
    // Takes the message font at `dpi` again, sets the fonts made from it and lays the form
    // out again with its top left corner there.
    void Relayout(UINT dpi, POINT topLeft);
    bool RunBinding(int id, WORD notification);
    struct Binding {
        int id;
        WORD notification;
        Handler handler;
    };
    struct NotifyBinding {
        int id;
        UINT code;
        NotifyHandler handler;
    };
    std::vector<ControlEntry> controls_;
    std::vector<LaidControl> laid_;
    std::vector<Binding> bindings_;
    std::vector<NotifyBinding> notifyBindings_;
    int defaultId_ = 0;
    int cancelId_ = 0;
    int initialFocus_ = -1;
    HWND lastFocus_ = nullptr;     // the control with the focus when the form was last deactivated
    HWND shownDefault_ = nullptr;  // the push button drawn as the default one
    std::function<void(WPARAM)> keyUpPreview_;
    FormFonts fonts_;
    FormShape shape_{};
    UINT dpi_ = 96;
    ButtonPictures buttons_;
    ModalResult modalResult_ = ModalResult::None;
    bool inModalLoop_ = false;
};
