// The settings window: lists the menus, edits the items of the selected one and opens
// the menu properties, options and About dialogs. Every button changes the live model at
// once; OK saves it, the close box keeps it in memory, Quit ends the program.
// The window owns the current menu and two parts: the Menus group and the Items group.
#pragma once

#include "settings/konfig_items_win.h"
#include "settings/konfig_menus_win.h"
#include "settings/konfig_shared_win.h"
#include "win/anchor_layout.h"

#include <memory>

class TfrmEditMenu;
class TfrmOptions;
class TfrmAbout;

class TfrmKonfig final : public KonfigForm {
public:
    // Created hidden, owned by the main window, with its dialogs.
    [[nodiscard]] static std::unique_ptr<TfrmKonfig> Create(HWND owner, KonfigHost host);
    ~TfrmKonfig() override;

    // While the settings are open the window carries the application's taskbar button.
    void ShowTaskbarButton(bool shown);

    // The dialogs it runs, for presetting and answering them.
    TfrmEditMenu& EditMenuDialog() { return *frmEditMenu_; }
    TfrmOptions& OptionsDialog() { return *frmOptions_; }
    TfrmAbout* AboutDialog() { return frmAbout_.get(); }
    // The system calls it makes, replaceable.
    KonfigSystem& System() { return system_; }

    KonfigMenus& Menus() { return *menus_; }
    KonfigItems& Items() { return *items_; }
    // The menu whose items the Items group shows, -1 for none.
    int CurrentMenu() const { return currentMenu_; }

    void FormShow();
    void FormKeyUp(WPARAM key);
    void BtnOKClick();
    void BtnQuitClick();
    void BtnOptionsClick();
    void BtnAboutClick();
    void BtnHelpClick();

    explicit TfrmKonfig(Key);

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // Laid out again for another DPI at the table's size: the anchors start from there.
    void LaidOut() override;

private:
    // The parts and the dialogs, once the controls exist; false when a dialog could not be made.
    [[nodiscard]] bool MakeParts();
    void BindParts();
    // The menus group chose another menu, or none.
    void MenuChosen(int index);
    void OpenHelp(HWND owner);
    // The button pictures drawn for the form's DPI.
    void SetGlyphs();
    // The menu the window opens with: the one used last, else the first.
    int MenuToOpenWith() const;

    KonfigHost host_;
    KonfigSystem system_;
    int currentMenu_ = -1;
    std::unique_ptr<TfrmEditMenu> frmEditMenu_;
    std::unique_ptr<TfrmOptions> frmOptions_;
    std::unique_ptr<TfrmAbout> frmAbout_;
    std::unique_ptr<KonfigMenus> menus_;
    std::unique_ptr<KonfigItems> items_;
    AnchorLayout anchors_;
    bool relayingOut_ = false;  // inside a DPI change
};
