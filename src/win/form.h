// Forms declared as tables: one row per control, one row per event binding.
#pragma once

#include "win/handles.h"
#include "win/window.h"

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Every font of a form is the system's message font at the form's DPI (system_font.h);
// Small: the form's second, smaller size (group boxes and bottom buttons of some forms).
enum class ControlFont { Normal, Small, SmallBold };

// The styles the forms' tables share; a row adds WS_GROUP, a default button and the like.
namespace FormStyle {
inline constexpr DWORD Group = WS_VISIBLE | WS_CLIPSIBLINGS | BS_GROUPBOX;
inline constexpr DWORD Button = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
inline constexpr DWORD Check = WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX;
inline constexpr DWORD Radio = WS_VISIBLE | BS_AUTORADIOBUTTON;
inline constexpr DWORD Edit = WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL;
}  // namespace FormStyle

// Positions and sizes are pixels at 96 DPI, in client coordinates of the parent: the form, or the control named in
// `parent` (a group box, a panel, a tab page). Every control is a child window of the form
// itself, placed over its parent as dialog templates do, so all notifications reach the form.
// A row of class TabPageClass adds a page to the tab control named as its parent and
// covers that page's display area; its own position is ignored. Rows are in tab order,
// each parent before its controls. Names are unique within a table.
// A form scales its table by its own DPI, and a label, check box, radio button, group box
// or button narrower than its caption grows and moves what follows it (see text_fit.h).
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

inline constexpr char TabPageClass[] = "MgwTabPage";

// The position a WM_VSCROLL/WM_HSCROLL of a scroll bar control asks for, kept within its
// range; none when it asks for no move.
std::optional<int> ScrollBarRequest(HWND bar, WPARAM wParam);

// Registers the common control classes a form uses (ICC_* flags) before its controls are made.
void LoadCommonControls(DWORD classes);

enum class ModalResult { None, Ok, Cancel, Terminated };

class Form : public Window {
public:
    // Every name given to a form's methods must be a row of its table: a name that is
    // not ends the program (FailFast), so a misspelling cannot bind or find nothing.
    HWND Control(std::string_view name) const;
    int ControlId(std::string_view name) const;
    // The control of that name, or null: for code that may run before the controls
    // exist or after a failed creation.
    HWND FindControl(std::string_view name) const;

    bool IsShown() const;
    void BringToFront() const;

    // Disables the owner, shows the form and runs its own message loop until EndModal
    // or WM_QUIT (which is passed on to the loops outside: the result is Terminated).
    ModalResult ShowModal(HWND owner);
    void EndModal(ModalResult result);
    bool InModalLoop() const { return inModalLoop_; }

    // The control that gets the focus when the form opens next.
    void SetInitialFocus(std::string_view name);
    const std::string& InitialFocus() const { return initialFocus_; }

    std::string Text(std::string_view name) const;
    void SetText(std::string_view name, std::string_view text) const;
    bool IsChecked(std::string_view name) const;
    void SetChecked(std::string_view name, bool checked) const;

    // The button shows only that icon instead of its caption; the form keeps the icon.
    void SetButtonIcon(std::string_view name, UniqueIcon icon);
    // Picture `index` of `strip` beside the caption (left or right of it), at the strip's
    // cell size; shown by buttons of common controls 6, ignored by older ones. Called again
    // (for another DPI), it replaces the button's picture.
    void SetButtonGlyph(std::string_view name, HIMAGELIST strip, int index, bool right = false);

    // An edit takes at most `characters` characters: a pair of surrogates is one. What goes
    // beyond is cut just before the caret, where it came in, and never half a pair (the
    // edit's own limit counts UTF-16 units and would keep one). Binds the edit's EN_CHANGE.
    void LimitText(std::string_view name, int characters);

    // Controls sit flat on the form, so a container does not disable its contents by
    // itself: a control is usable when it and every container around it are enabled.
    void SetEnabled(std::string_view name, bool enabled);
    // Every control inside the container, at any depth (not the container itself).
    void SetControlsEnabled(std::string_view container, bool enabled);
    // Each control placed directly in the container.
    void SetDirectChildrenEnabled(std::string_view container, bool enabled);

    // The DPI the form is laid out for.
    UINT Dpi() const { return dpi_; }

protected:
    struct FormSpec {
        const char* className;
        const char* caption;
        int clientWidth;
        int clientHeight;
        DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
        DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
        HWND owner = nullptr;
        // The sizes the table is designed for: DesignedMessagePixels is the message font's own.
        int fontPixels = 11;
        int smallFontPixels = 11;
    };
    // Creates the hidden form, centred on the desktop; its sizes are at 96 DPI.
    [[nodiscard]] bool CreateForm(const FormSpec& layout);
    // Creates the controls and lays the form out at its DPI, centred again.
    [[nodiscard]] bool CreateControls(std::span<const ControlRow> rows);
    // A font of the control's own: the message font at another designed size (pixels at
    // 96 DPI), weight or underline; made again with the others.
    void SetControlFont(std::string_view name, int pixels, int weight, bool underline = false);
    // After the form was laid out again for another DPI (moved to another screen) or
    // another message font (the user changed it).
    virtual void LaidOut() {}

    using Handler = std::function<void()>;
    void On(std::string_view control, WORD notification, Handler handler);
    // WM_NOTIFY from a common control; the handler's answer is the message's result.
    using NotifyHandler = std::function<LRESULT(NMHDR&)>;
    void OnNotify(std::string_view control, UINT code, NotifyHandler handler);
    template <typename T>
    void BindEvents(T* self, std::span<const EventRow<T>> rows)
    {
        for (const EventRow<T>& row : rows)
            On(row.control, row.notification, [self, h = row.handler] { (self->*h)(); });
    }

    // Enter presses the default button and Esc the cancel button, as in a dialog box.
    void SetDialogButtons(std::string_view defaultButton, std::string_view cancelButton);
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
    struct NotifyBinding {
        int id;
        UINT code;
        NotifyHandler handler;
    };
    size_t IndexOf(std::string_view name) const;
    bool Inside(size_t control, size_t container) const;
    void ApplyEnabled();
    void MakeFonts();
    // Places every control for the form's DPI; the form's client size.
    SIZE LayOut();
    void PlaceCentred(SIZE client);
    void PlaceAt(POINT topLeft, SIZE client);
    HGDIOBJ RowFont(ControlFont font) const;
    // Takes the message font at `dpi` again, sets the fonts made from it and lays the form
    // out again with its top left corner there.
    void Relayout(UINT dpi, POINT topLeft);
    std::vector<NotifyBinding> notifyBindings_;
    struct Binding {
        int id;
        WORD notification;
        Handler handler;
    };
    std::vector<ControlEntry> controls_;
    std::vector<Binding> bindings_;
    int defaultId_ = 0;
    int cancelId_ = 0;
    std::string initialFocus_;
    std::function<void(WPARAM)> keyUpPreview_;
    bool RunBinding(int id, WORD notification);
    UniqueGdiObject font_;
    UniqueGdiObject smallFont_;
    UniqueGdiObject smallBoldFont_;
    LOGFONTW messageFont_{};
    struct OwnFont {
        size_t control;
        int pixels;
        int weight;
        bool underline;
        UniqueGdiObject font;
    };
    std::vector<OwnFont> ownFonts_;
    FormSpec spec_{};
    std::vector<ControlRow> rows_;
    UINT dpi_ = 96;
    std::vector<UniqueIcon> buttonIcons_;
    struct ButtonGlyph {
        HWND button;
        UniqueImageList pictures;
    };
    std::vector<ButtonGlyph> buttonGlyphs_;
    ModalResult modalResult_ = ModalResult::None;
    bool inModalLoop_ = false;
};
