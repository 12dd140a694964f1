// A form whose controls are named by its table's enum.
#pragma once

#include "win/accessible.h"
#include "win/form.h"

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A form whose controls are named by the enum `Id` of its table: a name that is not a
// control of this form does not compile.
template <typename Id>
class FormOf : public Form {
public:
    HWND Control(Id id) const { return ControlAt(Index(id)); }
    std::string Text(Id id) const { return ControlText(Control(id)); }
    void SetText(Id id, std::string_view text) const { SetControlText(Control(id), text); }
    bool IsChecked(Id id) const { return IsButtonChecked(Control(id)); }
    void SetChecked(Id id, bool checked) const { SetButtonChecked(Control(id), checked); }
    void SetEnabled(Id id, bool enabled) { SetEnabledAt(Index(id), enabled); }
    // Every control inside the container, at any depth (not the container itself).
    void SetControlsEnabled(Id container, bool enabled) { SetInsideEnabledAt(Index(container), enabled, false); }
    // Each control placed directly in the container.
    void SetDirectChildrenEnabled(Id container, bool enabled) { SetInsideEnabledAt(Index(container), enabled, true); }
    // A page of a tab control, with its tab and its controls.
    void ShowPage(Id page) { ShowPageAt(Index(page)); }
    // The control that gets the focus when the form opens next.
    void SetInitialFocus(Id id) { SetInitialFocusAt(Index(id)); }
    // An edit takes at most `characters` characters: a pair of surrogates is one. What goes
    // beyond is cut just before the caret, where it came in, and never half a pair (the
    // edit's own limit counts UTF-16 units and would keep one). Binds the edit's EN_CHANGE.
    void LimitText(Id id, int characters) { LimitTextAt(Index(id), characters); }
    // The button shows only that icon instead of its caption; the form keeps the icon.
    void SetButtonIcon(Id id, UniqueIcon icon) { SetButtonIconAt(Index(id), std::move(icon)); }
    // Picture `index` of `strip` beside the caption (left or right of it), at the strip's
    // cell size; shown by buttons of common controls 6, ignored by older ones. Called again
    // (for another DPI), it replaces the button's picture.
    void SetButtonGlyph(Id id, HIMAGELIST strip, int index, bool right = false)
    {
        SetButtonGlyphAt(Index(id), strip, index, right);
    }

protected:
    // Only Build makes a form: a form's constructor takes this, which only forms can name.
    struct Key {
        explicit Key() = default;
    };

    static size_t Index(Id id) { return static_cast<size_t>(id); }
    // The control, or null before the controls are made or after a failed creation.
    HWND MadeControl(Id id) const { return FindAt(Index(id)); }

    // The one way a form is made: its window, its controls, its events, its dialog keys,
    // and F1 and the like for forms with a FormKeyUp. Null when a window could not be made.
    template <typename T, typename... Args>
    static std::unique_ptr<T> Build(HWND owner, const FormDesign<T, Id>& design, Args&&... args)
    {
        LoadCommonControls(design.window.commonControls);
        auto form = std::make_unique<T>(Key{}, std::forward<Args>(args)...);
        FormShape shape = design.window;
        shape.owner = owner;
        if (!form->CreateForm(shape) || !form->CreateControls(design.controls)) return nullptr;
        form->BindEvents(form.get(), design.events);
        if (design.defaultButton)
            form->SetDialogButtonsAt(Index(*design.defaultButton),
                                     design.cancelButton ? Index(*design.cancelButton) : NoButton);
        if (design.initialFocus) form->SetInitialFocus(*design.initialFocus);
        for (const NameRow<Id>& row : design.names)
            NameControl(form->Control(row.control), row.label == OnForm<Id> ? nullptr : form->Control(row.label),
                        row.name ? row.name : "");
        if constexpr (requires(T& t) { t.FormKeyUp(WPARAM{}); })
            form->SetKeyUpPreview([f = form.get()](WPARAM key) { f->FormKeyUp(key); });
        return form;
    }
    [[nodiscard]] bool CreateControls(std::span<const ControlRow<Id>> rows)
    {
        std::vector<Row> plain;
        plain.reserve(rows.size());
        for (const ControlRow<Id>& r : rows)
            plain.push_back({r.name, r.className, r.caption, r.x, r.y, r.w, r.h, r.style, r.exStyle,
                             r.parent == OnForm<Id> ? -1 : static_cast<int>(r.parent), r.font});
        return CreateRows(plain);
    }
    // A font of the control's own: the message font at another size of its table (pixels at
    // 96 DPI), weight or underline; made again with the others.
    void SetControlFont(Id id, int pixels, int weight, bool underline = false)
    {
        SetControlFontAt(Index(id), pixels, weight, underline);
    }
    void On(Id id, WORD notification, Handler handler) { OnAt(Index(id), notification, std::move(handler)); }
    void OnNotify(Id id, UINT code, NotifyHandler handler) { OnNotifyAt(Index(id), code, std::move(handler)); }
    // Binds the handlers of the form, or of a part of it, to the form's controls.
    template <typename T>
    void BindEvents(T* self, std::span<const EventRow<T, Id>> rows)
    {
        for (const EventRow<T, Id>& row : rows)
            On(row.control, row.notification, [self, h = row.handler] { (self->*h)(); });
    }
};
