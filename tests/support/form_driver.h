// Drives a form in-process the way a user does: its controls found by their names in the
// form's table (a name the form lacks fails the test), clicked, typed into, chosen from,
// and read back. Queue* variants post, so they act from the next message loop: a modal
// form's own.
#pragma once

#include "win/form.h"

#include <windows.h>

#include <initializer_list>
#include <string>
#include <string_view>

class FormDriver {
public:
    explicit FormDriver(const Form& form) : form_(form) {}

    HWND Control(std::string_view name) const;

    // Texts are UTF-8, read and written through the wide calls.
    // ---- reading ----
    std::string Text(std::string_view name) const;
    // Enabled: what a user can reach (containers are the form's business, see Form::SetEnabled).
    bool Usable(std::string_view name) const;
    bool Checked(std::string_view name) const;
    // The size of the form's client area.
    SIZE ClientSize() const;
    // The control's rectangle in the form's client area.
    RECT Place(std::string_view name) const;
    LOGFONTW Font(std::string_view name) const;
    // A combo box's chosen entry, -1 for none.
    int Chosen(std::string_view name) const;
    // A list view's rows, the text of one cell, and the one selected row (-1 for none or several).
    int Rows(std::string_view name) const;
    std::string Cell(std::string_view name, int row, int column = 0) const;
    int SelectedRow(std::string_view name) const;
    // A check-box list view's row.
    bool RowChecked(std::string_view name, int row) const;

    // ---- acting ----
    // A mouse click on a button, check box or radio button: its state changes and the
    // form gets BN_CLICKED.
    void Click(std::string_view name) const;
    void QueueClick(std::string_view name) const;
    // Checks or clears a check box by clicking it when it is not so already.
    void Check(std::string_view name, bool checked) const;
    // The edit's whole text replaced (the form gets EN_CHANGE).
    void Type(std::string_view name, std::string_view text) const;
    // Typed at the end of the edit's text, within its length limit.
    void TypeAtEnd(std::string_view name, std::string_view text) const;
    // One character typed into the control (a list view searches its rows by it).
    void TypeChar(std::string_view name, char c) const;
    // Characters typed one by one (WM_CHAR with UTF-16 units).
    void TypeChars(std::string_view name, std::string_view utf8) const;
    // A combo box entry chosen (the form gets CBN_SELCHANGE).
    void Choose(std::string_view name, int index) const;
    // A list view row selected and focused alone, as a click on it does; -1 clears the selection.
    void SelectRow(std::string_view name, int row) const;
    // A vertical scroll bar's arrow or page area clicked (SB_LINEDOWN, SB_PAGEUP...).
    void Scroll(std::string_view name, WORD request) const;
    // A click on a check-box list view row's box.
    void ToggleRow(std::string_view name, int row) const;
    // Keys pressed in order, then released in order, as one chord typed into the control.
    void PressKeys(std::string_view name, std::initializer_list<WORD> keys) const;
    // Key presses and releases posted to the control.
    void QueueKeyDown(std::string_view name, WPARAM key) const;
    void QueueKeyUp(std::string_view name, WPARAM key) const;
    // The close box: WM_CLOSE posted to the form.
    void QueueClose() const;

private:
    const Form& form_;
};
