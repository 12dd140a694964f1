// The main controller: a hidden top-level window that owns everything, loads the model,
// dispatches popup menu commands, runs the settings cycle and ends the program.
#pragma once

#include "app/own_icon_win.h"
#include "menus/folder_popups_win.h"
#include "menus/menu_images_win.h"
#include "quick/quick_box_win.h"
#include "quick/quick_catalog_win.h"
#include "quick/quick_history_win.h"
#include "tools/tools_menu_win.h"
#include "win/command_ids.h"
#include "win/dpi.h"
#include "win/handles.h"
#include "win/window.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

class TfrmKonfig;
struct KonfigHost;

class THaupt final : public Window {
public:
    struct Options {
        // The folder of the configuration, help and readme files; the program's own
        // folder when not given.
        std::optional<std::string> programDir;
        // Where entry pictures come from; the program's own source when not given.
        std::optional<PictureSource> pictureSource;
        // How folder menus read folders; the file system when not given.
        FolderReader folderReader;
    };
    // Creates the hidden main window; FormCreate runs inside.
    [[nodiscard]] static std::unique_ptr<THaupt> Create(const Options& options = {});
    ~THaupt() override;

    // The settings window ShowSettings runs; created after the main window.
    // Or made by `create` once start-up is through (its dialogs take a tenth of a second
    // that a first popup should not wait for), or at once when needed earlier.
    void AttachSettings(TfrmKonfig* settings) { settings_ = settings; }
    void AttachSettings(std::function<TfrmKonfig*()> create) { createSettings_ = std::move(create); }

    void ShowWelcome();
    void ShowSettings();
    // Another start of the program or a click on its own icon: what the user is busy with
    // (a message box, the settings window or one of its dialogs) comes to the front;
    // otherwise the settings window opens. An open popup menu or quick-launch box gives way.
    void Reveal();
    // The quick-launch box, opened over the menus as they are now.
    void ShowQuickBox();
    // The theme or the system's colours may have changed: the theme is read again (the
    // popups follow before they show next) and the quick-launch box is redrawn.
    void ThemeChanged();
    // Null until first opened.
    void ClearModel();
    // The tools menu's quit entry: the same question as command 1901.
    void TPMQuitMarigoldwick1Click();

    // The tools menu (PopUpToolsMenu), made with the window; null before FormCreate.
    ToolsMenu* Tools() const { return toolsMenu_.get(); }

    int ActiveMenuIndex = -1;
    bool ShutdownPending = false;

    IShellFolder* DesktopFolder() const { return desktopFolder_.Get(); }
    HDC Canvas() const { return canvas_.get(); }
    HICON ImgIconLeer() const { return pictures_ ? pictures_->ImgIconLeer.get() : nullptr; }
    // The menu whose popup was shown last since the settings window last closed, or -1.
    int LastUsedMenu() const { return lastMenu_; }
    HICON ImgIconSeparator() const { return pictures_ ? pictures_->ImgIconSeparator.get() : nullptr; }

    struct Key {
        explicit Key() = default;
    };
    explicit THaupt(Key) {}

private:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void FormCreate();
    void HotkeyPressed(WPARAM id);
    void ShowPopupMenu(WPARAM menuIndex);
    // The tools menu, prepared and popped up at that point; its commands come back as
    // WM_COMMAND and reach it through ToolsCommand.
    void PopUpToolsMenuAt(POINT at);
    // The own icon's menu: "Settings..." and "Quit Marigoldwick".
    void PopUpOwnMenuAt(POINT at);
    // The own icon is shown exactly while no menu icon is (no menu, or the settings open),
    // so the program never leaves the notification area while it runs.
    void UpdateOwnIcon();
    // A shown, enabled window of the program that waits for the user, topmost first; null
    // when there is none.
    HWND WindowInFront() const;
    // Tracks the popup menu at that point (kept inside its monitor's work area) with the
    // foreground, then rebuilds the menus when the display changed meanwhile.
    void TrackPopup(HMENU popup, POINT at);
    bool ToolsCommand(WPARAM wParam);
    // A new screen size, work area or menu font: the popup menus' columns follow it.
    void DisplayChanged();
    // The notification area's screen has `dpi` now (a DPI change, a settings change, or
    // the shell recreated its notification area and lost the icons): icons, popups and
    // pictures that were made for another DPI are made again.
    void ScaleChanged(UINT dpi, bool shellRecreated);
    // A popup menu still open would hang the program on its way out.
    void EndOpenPopup();
    void FormDestroy();
    bool FormCloseQuery();
    // Windows ends the session now: edits not saved yet are kept beside the file, then the
    // program ends as a close does.
    void EndSession();
    // Edits kept when an earlier session ended, offered at start; true when taken into the model.
    bool OfferUnsavedSettings();
    void FormCommand(WPARAM wParam);
    // The quick-launch box's Ctrl+D: the row's entry (or the file at `path`) becomes an
    // entry of the menu as a drop on the settings window would make it, and is saved.
    void AddToMenu(int menu, const QuickBox::Row& row, const std::string& path);
    void QuitWithConfirmation();
    void ShowTaskbarButton(bool shown);

    Options options_;
    bool popupOpen_ = false;
    // A display change came while a popup menu was open; its menus are rebuilt once it closes.
    bool popupsStale_ = false;
    TfrmKonfig* settings_ = nullptr;
    std::function<TfrmKonfig*()> createSettings_;
    TfrmKonfig* Settings();
    UniqueMemoryDC canvas_;
    ComPtr<IShellFolder> desktopFolder_;
    std::shared_ptr<const EntryPictures> pictures_;
    std::shared_ptr<EntryPictureService> entryPictures_;
    // The menu whose popup was shown last: its pictures are made first after a rebuild.
    int lastMenu_ = -1;
    // The notification area's DPI (its icons are made for it), and the DPI of the screen
    // the last popup was shown on (the popups are rebuilt for it).
    UINT dpi_ = BaseDpi;
    UINT popupDpi_ = BaseDpi;
    std::unique_ptr<ToolsMenu> toolsMenu_;
    std::unique_ptr<FolderPopups> folderPopups_;
    std::unique_ptr<QuickBox> quickBox_;
    std::unique_ptr<HistoryStore> quickHistory_;
    // Made once the tray icons are up.
    std::unique_ptr<CatalogService> catalog_;
    OwnIcon ownIcon_;
    // Start-up is through (its welcome may follow); a Reveal asked for before waits for it.
    bool started_ = false;
    bool revealAsked_ = false;
    // Edits of an ended session were taken at start: the settings window opens with them.
    bool restored_ = false;
    // Told that the session ends: the program is on its way out.
    bool sessionEnded_ = false;
};

// What the settings window takes from the main window.
KonfigHost SettingsHost(THaupt& haupt);
