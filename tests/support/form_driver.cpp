#include "form_driver.h"

#include "win/text_conversion.h"

#include <commctrl.h>
#include <gtest/gtest.h>

HWND FormDriver::Control(std::string_view name) const
{
    HWND hwnd = form_.Control(name);
    if (!hwnd) ADD_FAILURE() << "the form has no control named " << name;
    return hwnd;
}

std::string FormDriver::Text(std::string_view name) const
{
    HWND hwnd = Control(name);
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return Utf8(text);
}

bool FormDriver::Usable(std::string_view name) const { return IsWindowEnabled(Control(name)) != FALSE; }

bool FormDriver::Checked(std::string_view name) const
{
    return SendMessageW(Control(name), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

SIZE FormDriver::ClientSize() const
{
    RECT client{};
    GetClientRect(form_.Handle(), &client);
    return {client.right, client.bottom};
}

RECT FormDriver::Place(std::string_view name) const
{
    RECT r{};
    GetWindowRect(Control(name), &r);
    MapWindowPoints(nullptr, form_.Handle(), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

LOGFONTW FormDriver::Font(std::string_view name) const
{
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HGDIOBJ>(SendMessageW(Control(name), WM_GETFONT, 0, 0)), sizeof(font), &font);
    return font;
}

int FormDriver::Chosen(std::string_view name) const
{
    return static_cast<int>(SendMessageW(Control(name), CB_GETCURSEL, 0, 0));
}

int FormDriver::Rows(std::string_view name) const
{
    return static_cast<int>(SendMessageW(Control(name), LVM_GETITEMCOUNT, 0, 0));
}

std::string FormDriver::Cell(std::string_view name, int row, int column) const
{
    wchar_t text[512] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 512;
    SendMessageW(Control(name), LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return Utf8(text);
}

int FormDriver::SelectedRow(std::string_view name) const
{
    HWND list = Control(name);
    if (SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0) != 1) return -1;
    return static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

bool FormDriver::RowChecked(std::string_view name, int row) const
{
    auto state = SendMessageW(Control(name), LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK);
    return (state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
}

void FormDriver::Click(std::string_view name) const { SendMessageW(Control(name), BM_CLICK, 0, 0); }

void FormDriver::QueueClick(std::string_view name) const { PostMessageW(Control(name), BM_CLICK, 0, 0); }

void FormDriver::Check(std::string_view name, bool checked) const
{
    if (Checked(name) != checked) Click(name);
    EXPECT_EQ(Checked(name), checked) << name << " is no check box";
}

void FormDriver::Type(std::string_view name, std::string_view text) const
{
    SetWindowTextW(Control(name), Wide(text).c_str());
}

void FormDriver::TypeAtEnd(std::string_view name, std::string_view text) const
{
    HWND edit = Control(name);
    SendMessageW(edit, EM_SETSEL, 0x7FFF, 0x7FFF);
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(Wide(text).c_str()));
}

void FormDriver::TypeChar(std::string_view name, char c) const { TypeChars(name, std::string(1, c)); }

void FormDriver::TypeChars(std::string_view name, std::string_view utf8) const
{
    // One WM_CHAR per UTF-16 unit, as the keyboard sends a character beyond the basic plane.
    for (wchar_t unit : Wide(utf8)) SendMessageW(Control(name), WM_CHAR, unit, 1);
}

void FormDriver::Choose(std::string_view name, int index) const
{
    HWND combo = Control(name);
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(form_.Handle(), WM_COMMAND, MAKEWPARAM(form_.ControlId(name), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
}

void FormDriver::SelectRow(std::string_view name, int row) const
{
    HWND list = Control(name);
    LVITEMW state{};
    if (row < 0) {
        state.stateMask = LVIS_SELECTED;
        SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
        return;
    }
    state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
    SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

void FormDriver::Scroll(std::string_view name, WORD request) const
{
    SendMessageW(form_.Handle(), WM_VSCROLL, request, reinterpret_cast<LPARAM>(Control(name)));
}

void FormDriver::ToggleRow(std::string_view name, int row) const
{
    LVITEMW item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(RowChecked(name, row) ? 1 : 2);
    SendMessageW(Control(name), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void FormDriver::PressKeys(std::string_view name, std::initializer_list<WORD> keys) const
{
    HWND control = Control(name);
    for (WORD key : keys) SendMessageW(control, WM_KEYDOWN, key, 0);
    for (WORD key : keys) SendMessageW(control, WM_KEYUP, key, 0);
}

void FormDriver::QueueKeyDown(std::string_view name, WPARAM key) const
{
    PostMessageW(Control(name), WM_KEYDOWN, key, 0);
}

void FormDriver::QueueKeyUp(std::string_view name, WPARAM key) const { PostMessageW(Control(name), WM_KEYUP, key, 0); }

void FormDriver::QueueClose() const { PostMessageW(form_.Handle(), WM_CLOSE, 0, 0); }
