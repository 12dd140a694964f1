// The options dialog: edits the global options (Konfig) in place; OK stores, Cancel keeps.
#pragma once

#include "config/model.h"
#include "win/form_of.h"

#include <functional>
#include <memory>
#include <vector>

class TfrmQuickFolder;

// Forgets what the quick-launch box learned; called by "Clear quick-launch history" once
// the user agreed. Empty until the program sets it.
extern std::function<void()> ClearQuickHistory;

enum class OptionsControl {
    GroupBox1, CheckAutorun, CheckSingleLeftClick, CheckWrapMenu, CheckAskBeforeQuit, RadioIconSize,
    RadioIconSize0, RadioIconSize1, RadioIconSize2, PageControlExtraMenus, TabSheet1, CheckToolsMenu,
    ToolsCbList, BtnToolsSelectAll, BtnToolsSelectNone, TabSheet2, LabelQuickFolders, QuickFoldersList,
    BtnQuickFolderAdd, BtnQuickFolderEdit, BtnQuickFolderRemove, BtnClearQuickHistory, LabelQuickLaunch, QuickLaunchHotKey, LabelTheme,
    RadioThemeSystem, RadioThemeLight, RadioThemeDark, BtnOK, BtnCancel
};

class TfrmOptions final : public FormOf<OptionsControl> {
public:
    // Created hidden, owned by the settings window.
    [[nodiscard]] static std::unique_ptr<TfrmOptions> Create(HWND owner);

    // Loads the controls from Konfig and runs the dialog modally; OK has stored them.
    ModalResult Execute(HWND owner);

    // F1 asks for help; nothing happens while no one listens.
    std::function<void()> OnHelp;

    void FormShow();
    void BtnOKClick();
    void BtnCancelClick();
    void BtnToolsSelectAllClick();
    void BtnToolsSelectNoneClick();
    void FormKeyUp(WPARAM key);
    void BtnQuickFolderAddClick();
    void BtnQuickFolderEditClick();
    void BtnQuickFolderRemoveClick();
    void BtnClearQuickHistoryClick();

    // Whether the last OK changed Konfig.QuickFolders (so the catalog must follow them).
    bool QuickFoldersChanged() const { return quickFoldersChanged_; }
    TfrmQuickFolder& FolderDialog() { return *folderForm_; }

    enum class Transfer { ToControls, FromControls };
    void TransferToolsMenuCfg(Transfer direction);

    // Row i of ToolsCbList, ticked or not.
    bool ToolsRowChecked(int row) const;
    void SetToolsRowChecked(int row, bool checked) const;
    // Selected index of RadioIconSize, -1 when none is.
    int IconSizeIndex() const;

    explicit TfrmOptions(Key);
    ~TfrmOptions() override;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void LaidOut() override;

private:
    // The colour of the tab page under the controls that sit on it, found once it is asked for.
    HBRUSH PageBrush();
    UniqueGdiObject pageBrush_;

    // The quick-launch folders as edited since the window opened; Konfig gets them on OK.
    void ShowQuickFolders(int select);
    void QuickFolderSelectionChanged();
    void FitQuickFolderColumns();
    std::vector<QuickFolder> quickFolders_;
    bool quickFoldersChanged_ = false;
    std::unique_ptr<TfrmQuickFolder> folderForm_;
};
