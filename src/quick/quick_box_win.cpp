#include "quick/quick_box_win.h"

#include "config/model.h"
#include "launch/launch_win.h"
#include "menus/menu_images_win.h"
#include "menus/menus_win.h"
#include "shell/path_text.h"
#include "win/dpi.h"
#include "win/text_conversion.h"

#include <commctrl.h>

#include <algorithm>

namespace {

constexpr ControlRow Controls[] = {
    {"EditQuick", "EDIT", "", 6, 6, 408, 21, FormStyle::Edit, WS_EX_CLIENTEDGE},
    // No data of its own: the box tells it the row count and draws each row it shows.
    {"ListQuick", "LISTBOX", "", 6, 33, 408, 261,
     WS_VISIBLE | WS_VSCROLL | LBS_NODATA | LBS_OWNERDRAWFIXED | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
     WS_EX_CLIENTEDGE},
};

// The user's case rule for letters beyond ASCII: CharLowerW takes a single character
// in the low word of its argument.
char32_t SystemCaseFold(char32_t c)
{
    if (c < 0x80) return AsciiCaseFold(c);
    if (c > 0xFFFF) return c;
    return static_cast<char32_t>(
        reinterpret_cast<UINT_PTR>(CharLowerW(reinterpret_cast<LPWSTR>(static_cast<UINT_PTR>(c)))) & 0xFFFF);
}

std::wstring WindowTextW(HWND window)
{
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

const TOneItem* EntryOf(int menu, int item)
{
    const TOneMenu* owner = MenuAt(menu);
    if (!owner || item < 0 || static_cast<size_t>(item) >= owner->Items.size()) return nullptr;
    return owner->Items[static_cast<size_t>(item)].get();
}

}  // namespace

void LaunchFromQuickBox(int menu, int item, bool asAdministrator)
{
    TOneItem* entry = const_cast<TOneItem*>(EntryOf(menu, item));
    if (!entry) return;
    // The launch reads the entry's own flag: forced for this one start, then put back.
    const bool asked = entry->RunAsAdmin;
    entry->RunAsAdmin = asked || asAdministrator;
    LaunchItem(menu, item, false);
    // A box about a failed start runs messages: the entry may have gone meanwhile.
    if (EntryOf(menu, item) == entry) entry->RunAsAdmin = asked;
}

std::unique_ptr<QuickBox> QuickBox::Create(HWND owner, QuickLaunch launch)
{
    auto box = std::make_unique<QuickBox>(Key{}, std::move(launch));
    FormSpec layout{"TQuickBox", "Quick launch", 420, 300};
    layout.style = WS_POPUP | WS_BORDER;
    layout.exStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT;
    layout.owner = owner;
    if (!box->CreateForm(layout) || !box->CreateControls(Controls)) return nullptr;
    box->matcher_ = QuickMatcher(SystemCaseFold);
    box->On("EditQuick", EN_CHANGE, [b = box.get()] { b->TypedChanged(); });
    box->On("ListQuick", LBN_DBLCLK, [b = box.get()] { b->StartSelected(false); });
    // A click chooses a row; typing goes on in the edit field.
    box->On("ListQuick", LBN_SELCHANGE, [b = box.get()] { SetFocus(b->Control("EditQuick")); });
    SetWindowSubclass(box->Control("EditQuick"), &QuickBox::EditKeys, 1, reinterpret_cast<DWORD_PTR>(box.get()));
    box->LaidOut();
    return box;
}

void QuickBox::Open()
{
    entries_.clear();
    matcher_.Clear();
    size_t count = 0;
    for (const auto& menu : MenuList) count += menu->Items.size();
    matcher_.Reserve(count, count * 32);
    entries_.reserve(count);
    for (size_t m = 0; m < MenuList.size(); ++m) {
        const TOneMenu& menu = *MenuList[m];
        for (size_t k = 0; k < menu.Items.size(); ++k) {
            const TOneItem& item = *menu.Items[k];
            if (item.IsSeparator()) continue;
            matcher_.Add(item.Description, item.IsPIDL ? std::string_view() : FileNamePart(item.Pfad));
            entries_.push_back({static_cast<int>(m), static_cast<int>(k)});
        }
    }
    typed_.clear();
    hits_.clear();
    // Setting the text ranks through EN_CHANGE only when it changes.
    SetWindowTextW(Control("EditQuick"), L"");
    TypedChanged();

    POINT cursor{};
    GetCursorPos(&cursor);
    const RECT work = WorkAreaOf(MonitorFromPoint(cursor, MONITOR_DEFAULTTONEAREST));
    RECT frame{};
    GetWindowRect(Handle(), &frame);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    const int x = work.left + std::max(0L, (work.right - work.left - width) / 2);
    const int y = work.top + std::max(0L, (work.bottom - work.top - height) / 3);
    SetWindowPos(Handle(), HWND_TOPMOST, x, y, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    SetForegroundWindow(Handle());
    SetFocus(Control("EditQuick"));
}

void QuickBox::Close()
{
    if (!Handle()) return;
    ShowWindow(Handle(), SW_HIDE);
    hits_.clear();
    entries_.clear();
    matcher_.Clear();
    SendMessageW(Control("ListQuick"), LB_SETCOUNT, 0, 0);
}

int QuickBox::SelectedRow() const
{
    const auto row = static_cast<int>(SendMessageW(Control("ListQuick"), LB_GETCURSEL, 0, 0));
    return row >= 0 && row < RowCount() ? row : -1;
}

void QuickBox::TypedChanged()
{
    std::string typed = Utf8(WindowTextW(Control("EditQuick")));
    // Letters added at the end can only narrow the list: the last hits are all there is to try.
    if (!typed_.empty() && typed.size() > typed_.size() && typed.starts_with(typed_)) {
        matcher_.RankAmong(typed, hits_, ranked_);
        hits_.swap(ranked_);
    } else {
        matcher_.Rank(typed, hits_);
    }
    typed_ = std::move(typed);
    HWND list = Control("ListQuick");
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LB_SETCOUNT, hits_.size(), 0);
    SendMessageW(list, LB_SETCURSEL, hits_.empty() ? static_cast<WPARAM>(-1) : 0, 0);
    SendMessageW(list, LB_SETTOPINDEX, 0, 0);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void QuickBox::StartSelected(bool asAdministrator)
{
    const int row = SelectedRow();
    const Row chosen = row >= 0 ? RowAt(row) : Row{-1, -1};
    // Hidden first: what starts takes the foreground, and a failure's box must not sit
    // behind a top-most window.
    Close();
    if (chosen.menu >= 0 && launch_) launch_(chosen.menu, chosen.item, asAdministrator);
}

LRESULT CALLBACK QuickBox::EditKeys(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self)
{
    auto* box = reinterpret_cast<QuickBox*>(self);
    switch (msg) {
    case WM_KEYDOWN:
        switch (wParam) {
        case VK_UP:
        case VK_DOWN:
        case VK_PRIOR:
        case VK_NEXT:
            // The list moves its highlight as if it had the focus.
            SendMessageW(box->Control("ListQuick"), WM_KEYDOWN, wParam, lParam);
            return 0;
        case VK_RETURN:
            box->StartSelected(GetKeyState(VK_CONTROL) < 0);
            return 0;
        case VK_ESCAPE:
            box->Close();
            return 0;
        default:
            break;
        }
        break;
    case WM_CHAR:
        // Enter, Ctrl+Enter (a line feed) and Esc were handled as keys: no beep, no character.
        if (wParam == '\r' || wParam == '\n' || wParam == 0x1B) return 0;
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(edit, &QuickBox::EditKeys, 1);
        break;
    default:
        break;
    }
    return DefSubclassProc(edit, msg, wParam, lParam);
}

int QuickBox::PictureSize() const { return ScaleByDpi(16, Dpi()); }

int QuickBox::RowHeight() const { return PictureSize() + ScaleByDpi(6, Dpi()); }

void QuickBox::LaidOut()
{
    if (HWND list = FindControl("ListQuick")) SendMessageW(list, LB_SETITEMHEIGHT, 0, RowHeight());
}

void QuickBox::DrawRow(const DRAWITEMSTRUCT& draw)
{
    if (draw.itemID == static_cast<UINT>(-1) || draw.itemID >= hits_.size()) return;
    const Row row = RowAt(static_cast<int>(draw.itemID));
    const TOneItem* item = EntryOf(row.menu, row.item);
    if (!item) return;
    const TOneMenu& menu = *MenuAt(row.menu);
    HDC dc = draw.hDC;
    const bool selected = (draw.itemState & ODS_SELECTED) != 0;
    FillRect(dc, &draw.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));

    const int pad = ScaleByDpi(3, Dpi()), size = PictureSize();
    RECT picture{draw.rcItem.left + pad, draw.rcItem.top + (draw.rcItem.bottom - draw.rcItem.top - size) / 2, 0, 0};
    picture.right = picture.left + size;
    picture.bottom = picture.top + size;
    if (ImageListMenuImages* images = ImageListOf(menu)) {
        // A placeholder drawn now is drawn again once the entry's picture is made.
        images->MarkShownPending(row.item, size, draw.hwndItem, &draw.rcItem);
        ImageList_Draw(images->Handle(size), images->PictureIndex(row.item, size), dc, picture.left, picture.top,
                       ILD_NORMAL);
    }

    SetBkMode(dc, TRANSPARENT);
    RECT text = draw.rcItem;
    text.left = picture.right + 2 * pad;
    text.right -= pad;
    // The menu's name on the right, in at most a third of the row.
    RECT name = text;
    name.left = text.right - (text.right - text.left) / 3;
    const UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;
    const std::wstring menuName = Wide(menu.MenuName);
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_GRAYTEXT));
    DrawTextW(dc, menuName.c_str(), static_cast<int>(menuName.size()), &name, format | DT_RIGHT);
    text.right = name.left - pad;
    const std::wstring description = Wide(DescriptionWithoutMnemonic(item->Description));
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    DrawTextW(dc, description.c_str(), static_cast<int>(description.size()), &text, format);
}

LRESULT QuickBox::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_MEASUREITEM: {
        auto& measure = *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (measure.CtlType != ODT_LISTBOX) break;
        measure.itemHeight = static_cast<UINT>(RowHeight());
        return TRUE;
    }
    case WM_DRAWITEM: {
        const auto& draw = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (draw.CtlType != ODT_LISTBOX) break;
        DrawRow(draw);
        return TRUE;
    }
    case WM_ACTIVATE:
        // Clicking elsewhere or switching away closes the box, as Esc does.
        if (LOWORD(wParam) == WA_INACTIVE && IsWindowVisible(Handle())) Close();
        return DefaultHandling(msg, wParam, lParam);
    case WM_CLOSE:
        Close();
        return 0;
    default:
        break;
    }
    return Form::HandleMessage(msg, wParam, lParam);
}
