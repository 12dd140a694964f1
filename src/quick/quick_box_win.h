// The quick-launch box: a small top-most window with an edit field and the list of
// entries from every menu that match what is typed, best first.
#pragma once

#include "quick/quick_catalog.h"
#include "quick/quick_history.h"
#include "quick/quick_match.h"
#include "quick/quick_rows_win.h"
#include "win/form_of.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class AccessibleAnswers;
class EntryPictureService;
class HistoryStore;

// Starts entry `item` of menu `menu` with its own start mode; asAdministrator forces the
// shell's "runas" verb.
using QuickLaunch = std::function<void(int menu, int item, bool asAdministrator)>;

enum class QuickControl { EditQuick, ListQuick };

class QuickBox final : public FormOf<QuickControl> {
public:
    // Created hidden, owned by `owner` (the main window).
    [[nodiscard]] static std::unique_ptr<QuickBox> Create(HWND owner, QuickLaunch launch = LaunchFromQuickBox);

    // Entry `item` of menu `menu`, or (menu -1) result `result` of the catalog.
    struct Row {
        int menu;
        int item;
        int result = -1;
    };
    // Where the box finds more than the menus' entries and what it does beyond starting
    // them; each may be left empty.
    struct Services {
        HistoryStore* history = nullptr;
        std::function<std::shared_ptr<const QuickCatalog>()> catalog;
        QuickLaunchPath launchPath = LaunchPathFromQuickBox;
        // Ctrl+D: adds the row's entry (or the catalog result at `path`) to menu `menu`
        // and saves.
        std::function<void(int menu, const Row& row, const std::string& path)> addToMenu;
        std::shared_ptr<EntryPictureService> pictures;
    };
    void SetServices(Services services) { services_ = std::move(services); }

    // Takes every entry of the menus as they are now and the catalog as far as it is
    // built, and shows the box empty, on top and focused, near the centre of the screen
    // under the cursor.
    void Open();
    // Hides the box; the entries it took are let go.
    void Close();
    // A newer catalog is ready: an open box takes it and ranks again, keeping the
    // highlighted row where it can.
    void CatalogChanged();
    int RowCount() const { return static_cast<int>(hits_.size()); }
    // The highlighted row, -1 when the list is empty.
    int SelectedRow() const { return selected_; }
    Row RowAt(int row) const { return entries_[static_cast<size_t>(hits_[static_cast<size_t>(row)].candidate)]; }
    // The catalog the box took when it opened (null without one).
    const QuickCatalog* Catalog() const { return catalog_.get(); }

    // The typed text changed: ranks the entries and shows the list again from its top.
    void TypedChanged();
    // Closes the box and starts the highlighted entry; with nothing highlighted (no row
    // matches) the box stays open and nothing starts.
    void StartSelected(bool asAdministrator);
    // Drawn again in the colours of the theme now.
    void ThemeChanged();
    // Ctrl+O: the highlighted row's file shown selected in its folder.
    void ShowSelectedInFolder();
    // Ctrl+D: a popup of the menus at the highlighted row; the one picked takes it.
    void AddSelectedToMenu();
    // Del: the highlighted row's starts are forgotten. False when it had none.
    bool ForgetSelected();

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
    void ListChanged(bool typing = false);
    void PaintList(HWND list, HDC screen);
    // Screen readers hear the highlighted row.
    void AnnounceSelected() const;
    class ListAnswers;
    std::shared_ptr<const AccessibleAnswers> MakeListAnswers() const;
    void DrawRow(HDC dc, HWND list, int row, const RECT& place);
    // The menus' entries and the catalog's results (one per target) as candidates.
    void TakeCandidates();
    // Ranks the candidates for the typed text: the learned order, or the latest starts
    // while nothing is typed.
    void Rank(const std::string& typed);
    void ShowRecent();
    // The row under a point of the list, -1 below the last.
    int RowAtPoint(POINT inList) const;
    void ShowContextMenu(POINT screen);
    // The menu picked from a popup of them at `screen`, -1 for none.
    int PickMenu(POINT screen);
    void AddSelectedTo(int menu);
    POINT SelectedRowCorner() const;
    // What the history calls the row's target.
    std::string TargetOf(int row) const;
    void PrepareRanking();

    QuickLaunch launch_;
    Services services_;
    std::shared_ptr<const QuickCatalog> catalog_;
    std::vector<uint64_t> targets_;  // per candidate: TargetHash of what the history calls its target
    std::optional<HistoryRanking> ranking_;
    // The hits of each shorter text typed on the way to this one, for taking letters back.
    struct Narrowed {
        std::string typed;
        std::vector<QuickHit> hits;
    };
    std::vector<Narrowed> narrowed_;
    std::unique_ptr<FilePictures> pictures_;
    RowPictures rowPictures_;
    QuickMatcher matcher_;
    std::vector<Row> entries_;  // per candidate of matcher_
    std::vector<QuickHit> hits_, ranked_;
    std::string typed_;
    int selected_ = -1;
    int top_ = 0;  // the row at the top of the list
    int rowHeight_ = 22;
    int wheelRest_ = 0;
    std::pair<int, int> thumb_{-1, -1};  // the scroll bar's thumb as last drawn  // wheel turns below one line, kept for the next
    // Asked by the list's accessible object, which a screen reader may hold longer.
    std::shared_ptr<const AccessibleAnswers> listAnswers_;
};
