// The menu properties dialog: name, tray icon, hotkey, left-click behaviour and the folder
// a menu may follow. The caller presets the fields, runs it and reads them back on OK; the
// dialog itself never touches the model and checks only that the folder exists.
#pragma once

#include "shell/icon_picker_win.h"
#include "win/form_of.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

enum class EditMenuControl {
    GroupBox2, EdMenuName, GroupBox3, MenuHotKey, RadioLCB, RadioLCB0, RadioLCB1, RadioLCB2, GroupBox1,
    LblIconPfad, EdIconPfad, BtnBrowseMenIcon, PanelMenuIcon, ImgMenuIcon, ScrollBarMenIconNum, LblMenuFolder,
    EdMenuFolder, BtnBrowseMenuFolder, BtnOK,
    BtnCancel
};

class TfrmEditMenu final : public FormOf<EditMenuControl> {
public:
    [[nodiscard]] static std::unique_ptr<TfrmEditMenu> Create(HWND owner);

    // Runs the dialog modally under that caption.
    ModalResult Execute(HWND owner, std::string_view caption);

    // The fields the caller reads and writes.
    std::string MenuName() const { return Text(EditMenuControl::EdMenuName); }
    void SetMenuName(std::string_view name) const { SetText(EditMenuControl::EdMenuName, name); }
    // HotkeyValue: key code in bits 0-7, 8192 Shift, 16384 Ctrl, 32768 Alt; 0 = none.
    uint16_t MenuHotKey() const;
    void SetMenuHotKey(uint16_t hotkey) const;
    // Setting the path recounts the icons and resets the index to 0: set the index after it.
    std::string IconPfad() const { return Text(EditMenuControl::EdIconPfad); }
    void SetIconPfad(std::string_view path) const { SetText(EditMenuControl::EdIconPfad, path); }
    int IconNum() const;
    void SetIconNum(int index);
    // Selected choice of RadioLCB, -1 for none.
    int LCBIndex() const;
    void SetLCBIndex(int index) const;
    // The folder whose contents the menu shows, trimmed as OK took it; empty for none.
    std::string MenuFolder() const;
    void SetMenuFolder(std::string_view folder) const { SetText(EditMenuControl::EdMenuFolder, folder); }

    // The icon picker (the system's, else the own one: PickIconSystemOrOwn); replaceable. Gets the path (at most 260
    // characters) and the start index, returns true when the user chose, with the choice in both.
    std::function<bool(HWND owner, std::string& path, int& index)> PickIcon;
    // F1 asks for help; nothing happens while no one listens.
    std::function<void()> OnHelp;
    // The folder dialog (ShellBrowseForFolder); replaceable. Starts at `folder`, true with the choice in it.
    std::function<bool(HWND owner, std::string& folder)> ChooseFolder;

    void EdIconPfadChange();
    void BtnBrowseMenIconClick();
    void ImgMenuIconDblClick();
    void ScrollBarMenIconNumChange();
    void BtnBrowseMenuFolderClick();
    void BtnOKClick();
    void BtnCancelClick();
    void FormKeyUp(WPARAM key);

    // The icon shown in the preview, or null.
    HICON PreviewIcon() const;

    explicit TfrmEditMenu(Key) {}

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void UpdateMenuIconRange();
    void UpdateMenuIconPreview();

    UniqueIcon preview_;
};
