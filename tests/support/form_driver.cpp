#include "form_driver.h"

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
    std::string text(static_cast<size_t>(GetWindowTextLengthA(hwnd)) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

bool FormDriver::Usable(std::string_view name) const { return IsWindowEnabled(Control(name)) != FALSE; }

bool FormDriver::Checked(std::string_view name) const
{
    return SendMessageA(Control(name), BM_GETCHECK, 0, 0) == BST_CHECKED;
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

LOGFONTA FormDriver::Font(std::string_view name) const
{
    LOGFONTA font{};
    GetObjectA(reinterpret_cast<HGDIOBJ>(SendMessageA(Control(name), WM_GETFONT, 0, 0)), sizeof(font), &font);
    return font;
}

int FormDriver::Chosen(std::string_view name) const
{
    return static_cast<int>(SendMessageA(Control(name), CB_GETCURSEL, 0, 0));
}

int FormDriver::Rows(std::string_view name) const
{
    return static_cast<int>(SendMessageA(Control(name), LVM_GETITEMCOUNT, 0, 0));
}

std::string FormDriver::Cell(std::string_view name, int row, int column) const
{
    char text[512] = {};
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof(text);
    SendMessageA(Control(name), LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
}

int FormDriver::SelectedRow(std::string_view name) const
{
    HWND list = Control(name);
    if (SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0) != 1) return -1;
    return static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

bool FormDriver::RowChecked(std::string_view name, int row) const
{
    auto state = SendMessageA(Control(name), LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK);
    return (state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
}

void FormDriver::Click(std::string_view name) const { SendMessageA(Control(name), BM_CLICK, 0, 0); }

void FormDriver::QueueClick(std::string_view name) const { PostMessageA(Control(name), BM_CLICK, 0, 0); }

void FormDriver::Check(std::string_view name, bool checked) const
{
    if (Checked(name) != checked) Click(name);
    EXPECT_EQ(Checked(name), checked) << name << " is no check box";
}

void FormDriver::Type(std::string_view name, std::string_view text) const
{
    SetWindowTextA(Control(name), std::string(text).c_str());
}

void FormDriver::TypeAtEnd(std::string_view name, std::string_view text) const
{
    HWND edit = Control(name);
    SendMessageA(edit, EM_SETSEL, 0x7FFF, 0x7FFF);
    SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(std::string(text).c_str()));
}

void FormDriver::TypeChar(std::string_view name, char c) const
{
    SendMessageA(Control(name), WM_CHAR, static_cast<unsigned char>(c), 1);
}

void FormDriver::Choose(std::string_view name, int index) const
{
    HWND combo = Control(name);
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(form_.Handle(), WM_COMMAND, MAKEWPARAM(form_.ControlId(name), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
}

void FormDriver::SelectRow(std::string_view name, int row) const
{
    HWND list = Control(name);
    LVITEMA state{};
    if (row < 0) {
        state.stateMask = LVIS_SELECTED;
        SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
        return;
    }
    state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
    SendMessageA(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

void FormDriver::Scroll(std::string_view name, WORD request) const
{
    SendMessageA(form_.Handle(), WM_VSCROLL, request, reinterpret_cast<LPARAM>(Control(name)));
}

void FormDriver::ToggleRow(std::string_view name, int row) const
{
    LVITEMA item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(RowChecked(name, row) ? 1 : 2);
    SendMessageA(Control(name), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void FormDriver::PressKeys(std::string_view name, std::initializer_list<WORD> keys) const
{
    HWND control = Control(name);
    for (WORD key : keys) SendMessageA(control, WM_KEYDOWN, key, 0);
    for (WORD key : keys) SendMessageA(control, WM_KEYUP, key, 0);
}

void FormDriver::QueueKeyDown(std::string_view name, WPARAM key) const
{
    PostMessageA(Control(name), WM_KEYDOWN, key, 0);
}

void FormDriver::QueueKeyUp(std::string_view name, WPARAM key) const { PostMessageA(Control(name), WM_KEYUP, key, 0); }

void FormDriver::QueueClose() const { PostMessageA(form_.Handle(), WM_CLOSE, 0, 0); }
