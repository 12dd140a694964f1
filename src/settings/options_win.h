// The options dialog: edits the global options (Konfig) in place; OK stores, Cancel keeps.
#pragma once

#include "win/form_of.h"

#include <functional>
#include <memory>

enum class OptionsControl {
    GroupBox1, CheckAutorun, CheckSingleLeftClick, CheckWrapMenu, CheckAskBeforeQuit, RadioIconSize, RadioIconSize0,
    RadioIconSize1, RadioIconSize2, LabelQuickLaunch, QuickLaunchHotKey, LabelTheme, RadioThemeSystem, RadioThemeLight,
    RadioThemeDark, BtnOK, BtnCancel, PageControlExtraMenus,
    TabSheet1, CheckToolsMenu, ToolsCbList, BtnToolsSelectAll, BtnToolsSelectNone
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

    enum class Transfer { ToControls, FromControls };
    void TransferToolsMenuCfg(Transfer direction);

    // Row i of ToolsCbList, ticked or not.
    bool ToolsRowChecked(int row) const;
    void SetToolsRowChecked(int row, bool checked) const;
    // Selected index of RadioIconSize, -1 when none is.
    int IconSizeIndex() const;

    explicit TfrmOptions(Key) {}

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void LaidOut() override;

private:
    // The colour of the tab page under the controls that sit on it, found once it is asked for.
    HBRUSH PageBrush();
    UniqueGdiObject pageBrush_;
};
