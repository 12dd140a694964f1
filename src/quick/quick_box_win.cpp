#include "quick/quick_box_win.h"

#include "config/model.h"
#include "config/theme_win.h"
#include "menus/menu_images_win.h"
#include "menus/menus_win.h"
#include "quick/quick_history_win.h"
#include "quick/quick_rows_win.h"
#include "shell/environment_win.h"
#include "shell/path_text.h"
#include "win/accessible.h"
#include "win/dpi.h"
#include "win/text_conversion.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <ctime>
#include <unordered_set>

namespace {

using C = QuickControl;

constexpr char QuickListClass[] = "MgwQuickList";
constexpr wchar_t QuickListClassW[] = L"MgwQuickList";

constexpr ControlRow<C> Controls[] = {
    {C::EditQuick, "EditQuick", "EDIT", "", 6, 6, 408, 21, FormStyle::Edit, WS_EX_CLIENTEDGE},
    // Drawn by the box itself: a list box or list view spends tens of milliseconds under
    // Wine on each change of its row count, more than a frame, while the box only ever
    // draws the dozen rows in view.
    {C::ListQuick, "ListQuick", QuickListClass, "", 6, 33, 408, 261, WS_VISIBLE | WS_VSCROLL, WS_EX_CLIENTEDGE},
};
static_assert(WellFormedTable(Controls));
constexpr int Margin = 6;  // below the list, as on its other sides
constexpr UINT_PTR ThumbTimer = 1;
constexpr UINT ThumbDelayMs = 120;

constexpr wchar_t NoMatches[] = L"No matches";

}  // namespace

LRESULT CALLBACK QuickBox::ListProc(HWND list, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* box = reinterpret_cast<QuickBox*>(GetWindowLongPtrW(list, 0));
    if (!box) return DefWindowProcW(list, msg, wParam, lParam);
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT paint{};
        HDC dc = BeginPaint(list, &paint);
        box->PaintList(list, dc);
        EndPaint(list, &paint);
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        const int row = box->RowAtPoint({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        if (row >= 0) box->Select(row);
        SetFocus(box->Control(C::EditQuick));
        if (msg == WM_LBUTTONDBLCLK && row >= 0) box->StartSelected(false);
        return 0;
    }
    case WM_RBUTTONDOWN: {
        const int row = box->RowAtPoint({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        if (row >= 0) box->Select(row);
        SetFocus(box->Control(C::EditQuick));
        return 0;
    }
    case WM_CONTEXTMENU: {
        POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        // From the keyboard (Shift+F10, the menu key) the menu opens at the highlighted row;
        // a click below the last row asks for none.
        if (at.x == -1 && at.y == -1) {
            at = box->SelectedRowCorner();
        } else {
            POINT inList = at;
            ScreenToClient(list, &inList);
            if (box->RowAtPoint(inList) < 0) return 0;
        }
        box->ShowContextMenu(at);
        return 0;
    }
    case WM_MOUSEWHEEL:
        box->Wheel(GET_WHEEL_DELTA_WPARAM(wParam));
        return 0;
    case WM_VSCROLL:
        box->VerticalScroll(LOWORD(wParam));
        return 0;
    case WM_SIZE:
        InvalidateRect(list, nullptr, FALSE);
        return 0;
    case WM_TIMER:
        if (wParam != ThumbTimer) break;
        KillTimer(list, ThumbTimer);
        RedrawWindow(list, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
        return 0;
    // Answered as a list box would, so that tools outside can read the list.
    case LB_GETCOUNT:
        return box->RowCount();
    case LB_GETCURSEL:
        return box->SelectedRow();
    case LB_GETTOPINDEX:
        return box->top_;
    case LB_GETITEMHEIGHT:
        return box->RowHeight();
    case WM_GETOBJECT:
        if (LRESULT answer = AnswerGetObject(list, wParam, lParam, box->listAnswers_)) return answer;
        break;
    default:
        break;
    }
    return DefWindowProcW(list, msg, wParam, lParam);
}

std::unique_ptr<QuickBox> QuickBox::Create(HWND owner, QuickLaunch launch)
{
    WNDCLASSEXW listClass{};
    listClass.cbSize = sizeof(listClass);
    if (!GetClassInfoExW(GetModuleHandleW(nullptr), QuickListClassW, &listClass)) {
        listClass.style = CS_DBLCLKS;
        listClass.lpfnWndProc = &QuickBox::ListProc;
        listClass.cbWndExtra = sizeof(QuickBox*);
        listClass.hInstance = GetModuleHandleW(nullptr);
        listClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        listClass.lpszClassName = QuickListClassW;
        if (!RegisterClassExW(&listClass)) return nullptr;
    }
    const FormDesign<QuickBox, C> design{{"TQuickBox", "Quick launch", 420, 300, 0, WS_POPUP | WS_BORDER,
                                          WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT},
                                         Controls};
    auto box = Build(owner, design, std::move(launch));
    if (!box) return nullptr;
    box->matcher_ = QuickMatcher(SystemCaseFold);
    box->On(C::EditQuick, EN_CHANGE, [b = box.get()] { b->TypedChanged(); });
    SetWindowLongPtrW(box->Control(C::ListQuick), 0, reinterpret_cast<LONG_PTR>(box.get()));
    SetWindowSubclass(box->Control(C::EditQuick), &QuickBox::EditKeys, 1, reinterpret_cast<DWORD_PTR>(box.get()));
    NameControl(box->Control(C::EditQuick), nullptr, "Quick launch");
    box->listAnswers_ = box->MakeListAnswers();
    box->FitRows();
    return box;
}

QuickBox::~QuickBox()
{
    // Destroying the shown box deactivates it, and its list paints until it is gone:
    // both must still find the box whole.
    DestroyHandle();
}

void QuickBox::TakeCandidates()
{
    entries_.clear();
    targets_.clear();
    matcher_.Clear();
    catalog_ = services_.catalog ? services_.catalog() : nullptr;
    const size_t results = catalog_ ? catalog_->Count() : 0;
    size_t count = results;
    for (const auto& menu : MenuList) count += menu->Items.size();
    matcher_.Reserve(count, count * 32);
    entries_.reserve(count);
    targets_.reserve(count);
    // A catalog result whose file an entry already starts shows once, as the entry.
    std::unordered_set<uint64_t> started;
    for (size_t m = 0; m < MenuList.size(); ++m) {
        const TOneMenu& menu = *MenuList[m];
        for (size_t k = 0; k < menu.Items.size(); ++k) {
            const TOneItem& item = *menu.Items[k];
            if (item.IsSeparator()) continue;
            matcher_.Add(item.Description, item.IsPIDL ? std::string_view() : FileNamePart(item.Pfad));
            entries_.push_back({static_cast<int>(m), static_cast<int>(k)});
            const bool plain = !item.IsPIDL && item.Parameters.empty();
            targets_.push_back(TargetHash(plain ? std::string_view(item.Pfad) : std::string_view(EntryTarget(item))));
            // Shortcut targets come with their variables expanded.
            if (!results || item.IsPIDL) continue;
            if (item.Pfad.find('%') == std::string::npos) started.insert(TargetHash(item.Pfad));
            else started.insert(TargetHash(ExpandEnvironment(item.Pfad)));
        }
    }
    for (size_t r = 0; r < results; ++r) {
        const uint64_t target = TargetHash(catalog_->Target(r));
        if (!started.empty() && (started.contains(target) || started.contains(TargetHash(catalog_->Path(r))))) continue;
        matcher_.Add(catalog_->Name(r), FileNamePart(catalog_->Target(r)));
        entries_.push_back({-1, -1, static_cast<int>(r)});
        targets_.push_back(target);
    }
    PrepareRanking();
}

void QuickBox::PrepareRanking()
{
    narrowed_.clear();
    ranking_.reset();
    if (services_.history && !services_.history->History().Records().empty())
        ranking_.emplace(services_.history->History(), static_cast<int64_t>(std::time(nullptr)), targets_);
}

void QuickBox::Open()
{
    if (!pictures_ && services_.pictures) pictures_ = std::make_unique<CatalogPictures>(services_.pictures);
    TakeCandidates();
    typed_.clear();
    hits_.clear();
    // Setting the text ranks through EN_CHANGE only when it changes.
    SetWindowTextW(Control(C::EditQuick), L"");
    // The font may have changed since the box was laid out.
    FitRows();
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
    SetFocus(Control(C::EditQuick));
}

void QuickBox::Close()
{
    if (!Handle()) return;
    ShowWindow(Handle(), SW_HIDE);
    hits_.clear();
    entries_.clear();
    targets_.clear();
    ranking_.reset();
    narrowed_.clear();
    matcher_.Clear();
    catalog_.reset();
    rowPictures_.Clear();
    selected_ = -1;
    top_ = 0;
}

int QuickBox::RowsInView() const
{
    RECT client{};
    GetClientRect(Control(C::ListQuick), &client);
    return std::max(1, static_cast<int>(client.bottom) / RowHeight());
}

void QuickBox::FitRows()
{
    HWND list = Control(C::ListQuick);
    {
        ScopedGetDC screen(list);
        ScopedSelectObject font(screen.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(Handle(), WM_GETFONT, 0, 0)));
        TEXTMETRICW metrics{};
        const int text = GetTextMetricsW(screen.get(), &metrics) ? metrics.tmHeight : 0;
        rowHeight_ = std::max(PictureSize(), text) + ScaleByDpi(6, Dpi());
    }
    // From the table's edges each time: the list was made smaller the time before.
    const ControlRow<C>& row = Controls[static_cast<size_t>(C::ListQuick)];
    const int top = ScaleByDpi(row.y, Dpi()), designed = ScaleByDpi(row.y + row.h, Dpi()) - top;
    RECT outer{}, inner{};
    GetWindowRect(list, &outer);
    GetClientRect(list, &inner);
    const int frame = (outer.bottom - outer.top) - inner.bottom;
    const int rows = std::max(1, (designed - frame) / rowHeight_);
    const int height = rows * rowHeight_ + frame;
    MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&outer), 2);
    SetWindowPos(list, nullptr, outer.left, top, outer.right - outer.left, height, SWP_NOZORDER | SWP_NOACTIVATE);

    RECT client{}, box{};
    GetClientRect(Handle(), &client);
    GetWindowRect(Handle(), &box);
    const int grow = top + height + ScaleByDpi(Margin, Dpi()) - client.bottom;
    if (grow != 0)
        SetWindowPos(Handle(), nullptr, 0, 0, box.right - box.left, box.bottom - box.top + grow,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ScrollTo(top_);
    if (selected_ >= 0) Select(selected_);
    ListChanged();
}

void QuickBox::LaidOut() { FitRows(); }

void QuickBox::ListChanged(bool typing)
{
    HWND list = Control(C::ListQuick);
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    // No SIF_DISABLENOSCROLL: the bar goes away while every row is in view.
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMax = std::max(0, RowCount() - 1);
    info.nPage = static_cast<UINT>(RowsInView());
    info.nPos = top_;
    // Wine takes a quarter of a frame to draw the bar: it is drawn again only when its
    // thumb moved.
    SetScrollInfo(list, SB_VERT, &info, FALSE);
    SCROLLBARINFO bar{};
    bar.cbSize = sizeof(bar);
    if (!GetScrollBarInfo(list, OBJID_VSCROLL, &bar) || bar.xyThumbTop != thumb_.first ||
        bar.xyThumbBottom != thumb_.second) {
        thumb_ = {bar.xyThumbTop, bar.xyThumbBottom};
        // While letters come in, the bar follows once they pause.
        if (typing) SetTimer(list, ThumbTimer, ThumbDelayMs, nullptr);
        else RedrawWindow(list, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
    }
    // Its name, for tools that read the list from outside, says what it shows when empty.
    const bool empty = RowCount() == 0;
    if (empty != (GetWindowTextLengthW(list) > 0)) SetWindowTextW(list, empty ? NoMatches : L"");
    InvalidateRect(list, nullptr, FALSE);
}

void QuickBox::ScrollTo(int top)
{
    top = std::clamp(top, 0, std::max(0, RowCount() - RowsInView()));
    if (top == top_) return;
    top_ = top;
    ListChanged();
}

void QuickBox::ScrollView(int top)
{
    ScrollTo(top);
    if (selected_ < 0) return;
    const int inView = std::clamp(selected_, top_, top_ + RowsInView() - 1);
    if (inView != selected_) Select(inView);
}

void QuickBox::Wheel(int delta)
{
    UINT lines = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    // WHEEL_PAGESCROLL asks for a page per notch.
    const int perNotch = lines == WHEEL_PAGESCROLL ? RowsInView() : static_cast<int>(std::min(lines, 100u));
    wheelRest_ += delta;
    const int notches = wheelRest_ / WHEEL_DELTA;
    wheelRest_ -= notches * WHEEL_DELTA;
    if (notches != 0) ScrollView(top_ - notches * perNotch);
}

void QuickBox::VerticalScroll(WORD request)
{
    const int page = RowsInView();
    switch (request) {
    case SB_LINEUP: ScrollView(top_ - 1); break;
    case SB_LINEDOWN: ScrollView(top_ + 1); break;
    case SB_PAGEUP: ScrollView(top_ - page); break;
    case SB_PAGEDOWN: ScrollView(top_ + page); break;
    case SB_TOP: ScrollView(0); break;
    case SB_BOTTOM: ScrollView(RowCount()); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        // The 16-bit position in wParam cannot hold more than 65535 rows: the full one.
        SCROLLINFO info{};
        info.cbSize = sizeof(info);
        info.fMask = SIF_TRACKPOS;
        if (GetScrollInfo(Control(C::ListQuick), SB_VERT, &info)) ScrollView(info.nTrackPos);
        break;
    }
    default: break;
    }
}

void QuickBox::Select(int row)
{
    if (RowCount() == 0) return;
    const int before = selected_;
    selected_ = std::clamp(row, 0, RowCount() - 1);
    InvalidateRect(Control(C::ListQuick), nullptr, FALSE);
    if (selected_ < top_) ScrollTo(selected_);
    else if (selected_ >= top_ + RowsInView()) ScrollTo(selected_ - RowsInView() + 1);
    // In-context hooks ask at once: the row is in view by now.
    if (selected_ != before) AnnounceSelected();
}

void QuickBox::Rank(const std::string& typed)
{
    const HistoryStore* history = services_.history;
    if (typed.empty() && history && !history->History().Records().empty()) {
        ShowRecent();
        return;
    }
    // Letters added at the end can only narrow the list: the last hits are all there is to
    // try, and they are kept for when the letters are taken back.
    if (!typed_.empty() && typed.size() > typed_.size() && typed.starts_with(typed_)) {
        matcher_.RankAmong(typed, hits_, ranked_);
        narrowed_.push_back({typed_, std::move(hits_)});
        hits_.swap(ranked_);
        ranked_.clear();
    } else {
        while (!narrowed_.empty() && !(typed.starts_with(narrowed_.back().typed) && typed.size() >= narrowed_.back().typed.size()))
            narrowed_.pop_back();
        if (!narrowed_.empty() && narrowed_.back().typed == typed) {
            hits_ = std::move(narrowed_.back().hits);
            narrowed_.pop_back();
            return;
        }
        narrowed_.clear();
        matcher_.Rank(typed, hits_);
    }
    if (ranking_ && !typed.empty()) ranking_->Rank(matcher_, typed, hits_);
}

void QuickBox::ShowRecent()
{
    hits_.clear();
    const std::vector<std::string> recent = services_.history->History().Recent();
    std::unordered_map<uint64_t, size_t> rank;
    for (size_t i = 0; i < recent.size(); ++i) rank.emplace(TargetHash(recent[i]), i);
    std::vector<int> found(recent.size(), -1);
    for (size_t c = 0; c < targets_.size(); ++c) {
        auto it = rank.find(targets_[c]);
        if (it != rank.end() && found[it->second] < 0) found[it->second] = static_cast<int>(c);
    }
    for (int candidate : found)
        if (candidate >= 0) hits_.push_back({candidate, 0});
}

void QuickBox::TypedChanged()
{
    std::string typed = Text(C::EditQuick);
    Rank(typed);
    typed_ = std::move(typed);
    top_ = 0;
    selected_ = hits_.empty() ? -1 : 0;
    ListChanged(true);
    // The first row is another entry now, or the same one still best: read it either way.
    AnnounceSelected();
}

void QuickBox::CatalogChanged()
{
    if (!Handle() || !IsWindowVisible(Handle())) return;
    auto targetAt = [this](int row) { return targets_[static_cast<size_t>(hits_[static_cast<size_t>(row)].candidate)]; };
    const uint64_t chosen = selected_ >= 0 ? targetAt(selected_) : 0;
    TakeCandidates();
    const std::string typed = std::move(typed_);
    typed_.clear();
    Rank(typed);
    typed_ = typed;
    int again = hits_.empty() ? -1 : 0;
    for (int row = 0; chosen && row < RowCount(); ++row)
        if (targetAt(row) == chosen) again = row;
    top_ = std::clamp(top_, 0, std::max(0, RowCount() - RowsInView()));
    selected_ = -1;
    ListChanged();
    if (again >= 0) Select(again);
}

std::string QuickBox::TargetOf(int row) const
{
    const Row chosen = RowAt(row);
    if (chosen.menu < 0) return catalog_ ? TargetKey(catalog_->Target(static_cast<size_t>(chosen.result))) : "";
    const TOneItem* item = QuickEntry(chosen.menu, chosen.item);
    return item ? EntryTarget(*item) : "";
}

int QuickBox::RowAtPoint(POINT inList) const
{
    if (inList.y < 0) return -1;
    const int row = top_ + inList.y / RowHeight();
    return row < RowCount() ? row : -1;
}

POINT QuickBox::SelectedRowCorner() const
{
    POINT at{0, (std::max(selected_, top_) - top_ + 1) * RowHeight()};
    ClientToScreen(Control(C::ListQuick), &at);
    return at;
}

void QuickBox::StartSelected(bool asAdministrator)
{
    const int row = SelectedRow();
    if (row < 0) return;
    const Row chosen = RowAt(row);
    if (services_.history) services_.history->Record(typed_, TargetOf(row));
    std::string path, name;
    if (chosen.menu < 0 && catalog_) {
        path = catalog_->Path(static_cast<size_t>(chosen.result));
        name = catalog_->Name(static_cast<size_t>(chosen.result));
    }
    // Hidden first: what starts takes the foreground, and a failure's box must not sit
    // behind a top-most window.
    Close();
    if (chosen.menu >= 0) {
        if (launch_) launch_(chosen.menu, chosen.item, asAdministrator);
    } else if (services_.launchPath && !path.empty()) {
        services_.launchPath(path, name, asAdministrator);
    }
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
        case VK_NEXT: {
            // The list moves its highlight as if it had the focus.
            const int page = box->RowsInView();
            const int step = wParam == VK_UP ? -1 : wParam == VK_DOWN ? 1 : wParam == VK_PRIOR ? -page : page;
            box->Select(box->selected_ + step);
            return 0;
        }
        case VK_RETURN:
            box->StartSelected(GetKeyState(VK_CONTROL) < 0);
            return 0;
        case 'O':
        case 'D':
            if (GetKeyState(VK_CONTROL) >= 0 || GetKeyState(VK_MENU) < 0) break;
            if (wParam == 'O') box->ShowSelectedInFolder();
            else box->AddSelectedToMenu();
            return 0;
        case VK_DELETE: {
            // Del forgets the row's starts only where it would delete nothing typed.
            DWORD from = 0, to = 0;
            SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
            if (from != to || static_cast<int>(to) < GetWindowTextLengthW(edit) || GetKeyState(VK_SHIFT) < 0) break;
            if (!box->ForgetSelected()) MessageBeep(MB_OK);
            return 0;
        }

        case VK_ESCAPE:
            box->Close();
            return 0;
        default:
            break;
        }
        break;
    case WM_CONTEXTMENU:
        // From the keyboard (the menu key, Shift+F10) the highlighted row's menu; a right
        // click on the text keeps the edit's own.
        if (GET_X_LPARAM(lParam) != -1 || GET_Y_LPARAM(lParam) != -1 || box->selected_ < 0) break;
        box->ShowContextMenu(box->SelectedRowCorner());
        return 0;
    case WM_MOUSEWHEEL:
        // A single-line edit takes the wheel for itself: it scrolls the list instead.
        box->Wheel(GET_WHEEL_DELTA_WPARAM(wParam));
        return 0;
    case WM_CHAR:
        // Enter, Ctrl+Enter (a line feed), Esc, Ctrl+O and Ctrl+D were handled as keys: no
        // beep, no character.
        if (wParam == '\r' || wParam == '\n' || wParam == 0x1B || wParam == 0x0F || wParam == 0x04) return 0;
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

void QuickBox::PaintList(HWND list, HDC screen)
{

    RECT client{};
    GetClientRect(list, &client);
    // Drawn whole off the screen and copied once: one transfer to the display per update.
    UniqueMemoryDC dc(CreateCompatibleDC(screen));
    UniqueGdiObject picture(CreateCompatibleBitmap(screen, client.right, client.bottom));
    if (!dc || !picture) return;
    ScopedSelectObject selectPicture(dc.get(), picture.get());
    ScopedSelectObject selectFont(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(Handle(), WM_GETFONT, 0, 0)));
    const SurfaceColours colours = SurfaceColoursNow();
    FillRect(dc.get(), &client, SolidBrush(colours.listBack));
    const int height = RowHeight();
    if (RowCount() == 0) {
        RECT place{ScaleByDpi(9, Dpi()) + PictureSize(), 0, client.right, height};
        SetBkMode(dc.get(), TRANSPARENT);
        SetTextColor(dc.get(), colours.quietText);
        DrawTextW(dc.get(), NoMatches, -1, &place, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    for (int row = top_; row < RowCount() && (row - top_) * height < client.bottom; ++row) {
        RECT place{0, (row - top_) * height, client.right, (row - top_ + 1) * height};
        DrawRow(dc.get(), list, row, place);
    }
    BitBlt(screen, 0, 0, client.right, client.bottom, dc.get(), 0, 0, SRCCOPY);
}

void QuickBox::DrawRow(HDC dc, HWND list, int index, const RECT& place)
{
    const Row row = RowAt(index);
    if (row.menu < 0) {
        if (!catalog_) return;
        const auto r = static_cast<size_t>(row.result);
        DrawCatalogRow(dc, list, pictures_.get(),
                       {catalog_->Name(r), catalog_->Path(r), catalog_->Menu(r), index == selected_, PictureSize(), Dpi(), &rowPictures_},
                       place);
    } else if (QuickEntry(row.menu, row.item)) {
        DrawQuickRow(dc, list, {row.menu, row.item, index == selected_, PictureSize(), Dpi(), &rowPictures_}, place);
    }
}

LRESULT QuickBox::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_ACTIVATE:
        // Clicking elsewhere or switching away closes the box, as Esc does.
        if (LOWORD(wParam) == WA_INACTIVE && IsWindowVisible(Handle())) Close();
        return DefaultHandling(msg, wParam, lParam);
    case WM_CLOSE:
        Close();
        return 0;
    case WM_CTLCOLOREDIT: {
        const SurfaceColours colours = SurfaceColoursNow();
        if (!colours.dark) break;
        SetTextColor(reinterpret_cast<HDC>(wParam), colours.text);
        SetBkColor(reinterpret_cast<HDC>(wParam), colours.listBack);
        return reinterpret_cast<LRESULT>(SolidBrush(colours.listBack));
    }
    case WM_ERASEBKGND: {
        const SurfaceColours colours = SurfaceColoursNow();
        if (!colours.dark) break;
        RECT client{};
        GetClientRect(Handle(), &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, SolidBrush(DarkPalette().window));
        return 1;
    }
    default:
        break;
    }
    return Form::HandleMessage(msg, wParam, lParam);
}

void QuickBox::ThemeChanged()
{
    rowPictures_.Clear();
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}
