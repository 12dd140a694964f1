// What a form is made of, as tables: one row per control, one row per event binding, and
// the description that puts them together with the window around them.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

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

inline constexpr char TabPageClass[] = "MgwTabPage";

// The parent of a row that lies on the form itself.
template <typename Id>
inline constexpr Id OnForm = static_cast<Id>(-1);

// Each form names its controls by an enum of its own, whose values are the rows' places
// in its table; `name` is the name by which tests and diagnostics find a control.
// Positions and sizes are pixels at 96 DPI, in client coordinates of the parent: the form,
// or the control named in `parent` (a group box, a panel, a tab page). Every control is a
// child window of the form itself, placed over its parent as dialog templates do, so all
// notifications reach the form. A row of class TabPageClass adds a page to the tab control
// named as its parent and covers that page's display area; its own position is ignored.
// Rows are in tab order, each parent before its controls.
// A form scales its table by its own DPI, and a label, check box, radio button, group box
// or button narrower than its caption grows and moves what follows it (see text_fit.h).
template <typename Id>
struct ControlRow {
    Id id;
    const char* name;
    const char* className;
    const char* caption;
    int x, y, w, h;
    DWORD style;
    DWORD exStyle = 0;
    Id parent = OnForm<Id>;
    ControlFont font = ControlFont::Normal;
};

// A table whose rows come in the order of its enum, each parent before its controls, each
// name once: checked where the table is written, by static_assert.
template <typename Id, std::size_t N>
constexpr bool WellFormedTable(const ControlRow<Id> (&rows)[N])
{
    for (std::size_t i = 0; i < N; ++i) {
        if (static_cast<std::size_t>(rows[i].id) != i) return false;
        if (rows[i].parent != OnForm<Id> && static_cast<std::size_t>(rows[i].parent) >= i) return false;
        for (std::size_t j = 0; j < i; ++j)
            if (std::string_view(rows[j].name) == rows[i].name) return false;
    }
    return true;
}

// Handlers carry the names of the component and the event: {Id::BtnOK, BN_CLICKED, &TfrmKonfig::BtnOKClick}.
// The handler may belong to the form or to a part of it.
template <typename T, typename Id>
struct EventRow {
    Id control;
    WORD notification;
    void (T::*handler)();
};

// The window around a table; its sizes are at 96 DPI.
struct FormShape {
    const char* className;
    const char* caption;
    int clientWidth;
    int clientHeight;
    // The common control classes (ICC_*) the table uses.
    DWORD commonControls = 0;
    DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    HWND owner = nullptr;
    // The sizes the table is designed for: DesignedMessagePixels is the message font's own.
    int fontPixels = 11;
    int smallFontPixels = 11;
};

// A control's accessible name where its own text is none (an edit, a list, a picture):
// the text the label row `label` shows, or `name` for a control without a label
// (`label` OnForm).
template <typename Id>
struct NameRow {
    Id control;
    Id label;
    const char* name = nullptr;
};

// Everything a form is built from: its window, its table, its events, and the buttons Enter
// and Esc press and the control that has the focus when it opens, where it has them, and
// the names its unlabelled controls are read by.
template <typename T, typename Id>
struct FormDesign {
    FormShape window;
    std::span<const ControlRow<Id>> controls;
    std::span<const EventRow<T, Id>> events = {};
    std::optional<Id> defaultButton = std::nullopt;
    std::optional<Id> cancelButton = std::nullopt;
    std::optional<Id> initialFocus = std::nullopt;
    std::span<const NameRow<Id>> names = {};
};
