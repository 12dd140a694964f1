// What screen readers learn about our windows beyond what the system's proxies tell: a
// control's name where its own text is not one (an edit after its label), and the rows of
// a list the program draws itself.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

// Answers about a window; each one left empty is what the system's proxy for the window
// says. Children are counted from 1 (CHILDID_SELF is the window itself).
class AccessibleAnswers {
public:
    virtual ~AccessibleAnswers() = default;
    virtual std::optional<std::wstring> Name(LONG child) const = 0;
    // Simple elements of the window (rows), answered for by Name, Role and State.
    virtual std::optional<LONG> ChildCount() const { return std::nullopt; }
    virtual std::optional<LONG> Role(LONG /*child*/) const { return std::nullopt; }
    virtual std::optional<LONG> State(LONG /*child*/) const { return std::nullopt; }
    // Where a child is on the screen, when it shows.
    virtual std::optional<RECT> Location(LONG /*child*/) const { return std::nullopt; }
    // The child that has the focus and the selection, CHILDID_SELF for none.
    virtual std::optional<LONG> Focus() const { return std::nullopt; }
};

// The answer to WM_GETOBJECT: for OBJID_CLIENT an accessible object of `window` that asks
// `answers` as long as they live, else 0 (the system then answers for the window).
LRESULT AnswerGetObject(HWND window, WPARAM wParam, LPARAM lParam, std::weak_ptr<const AccessibleAnswers> answers);

// Gives `control` the accessible name `name`, or, where `label` is not null, the text the
// label shows when asked (without its mnemonic "&" and closing colon). For as long as the
// control lives.
void NameControl(HWND control, HWND label, std::string_view name = {});

// A label's text as a name: "&Working dir:" reads "Working dir"; "&&" stays one "&".
std::wstring NameFromLabel(std::wstring_view label);
