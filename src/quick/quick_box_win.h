// The quick-launch box: a small top-most window with an edit field and the list of
// entries from every menu that match what is typed, best first.
#pragma once

#include "quick/quick_match.h"
#include "quick/quick_rows_win.h"
#include "win/form_of.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class AccessibleAnswers;

// Starts entry `item` of menu `menu` with its own start mode; asAdministrator forces the
// shell's "runas" verb.
using QuickLaunch = std::function<void(int menu, int item, bool asAdministrator)>;

enum class QuickControl { EditQuick, ListQuick };

class QuickBox final : public FormOf<QuickControl> {
public:
    // Created hidden, owned by `owner` (the main window).
    [[nodiscard]] static std::unique_ptr<QuickBox> Create(HWND owner, QuickLaunch launch = LaunchFromQuickBox);

    // Takes every entry of the menus as they are now and shows the box empty, on top and
    // focused, near the centre of the screen under the cursor.
    void Open();
    // Hides the box; the entries it took are let go.
    void Close();

    struct Row {
        int menu;
        int item;
    };
    int RowCount() const { return static_cast<int>(hits_.size()); }
    // The highlighted row, -1 when the list is empty.
    int SelectedRow() const { return selected_; }
    Row RowAt(int row) const { return entries_[static_cast<size_t>(hits_[static_cast<size_t>(row)].candidate)]; }

    // The typed text changed: ranks the entries and shows the list again from its top.
    void TypedChanged();
    // Closes the box and starts the highlighted entry; with nothing highlighted (no row
    // matches) the box stays open and nothing starts.
    void StartSelected(bool asAdministrator);
    // Drawn again in the colours of the theme now.
    void ThemeChanged();

    QuickBox(Key, QuickLaunch launch) : launch_(std::move(launch)) {}
    ~QuickBox() override;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void LaidOut() override;

private:
    static LRESULT CALLBACK EditKeys(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR self);
    static LRESULT CALLBACK ListProc(HWND list, UINT msg, WPARAM wParam, LPARAM lParam);
    int RowHeight() const { return rowHeight_; }
    int PictureSize() const;
    int RowsInView() const;
    // Rows as high as the picture or the text needs, and a list exactly as high as the
    // whole rows that fit where the form puts it; the box shrinks by what is left over.
    void FitRows();
    // The row highlighted (kept within the list), scrolled into view.
    void Select(int row);
    void ScrollTo(int top);
    // The view moved by the wheel or the scroll bar: the highlight moves along into it.
    void ScrollView(int top);
    void Wheel(int delta);
    void VerticalScroll(WORD request);
    // The scroll bar and the list's name follow its rows.
    void ListChanged();
    void PaintList(HWND list, HDC screen);
    // Screen readers hear the highlighted row.
    void AnnounceSelected() const;
    class ListAnswers;
    std::shared_ptr<const AccessibleAnswers> MakeListAnswers() const;
    void DrawRow(HDC dc, HWND list, int row, const RECT& place);

    QuickLaunch launch_;
    QuickMatcher matcher_;
    std::vector<Row> entries_;  // per candidate of matcher_
    std::vector<QuickHit> hits_, ranked_;
    std::string typed_;
    int selected_ = -1;
    int top_ = 0;  // the row at the top of the list
    int rowHeight_ = 22;
    int wheelRest_ = 0;  // wheel turns below one line, kept for the next
    // Asked by the list's accessible object, which a screen reader may hold longer.
    std::shared_ptr<const AccessibleAnswers> listAnswers_;
};
