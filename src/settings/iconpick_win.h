// The program's own icon picker: the icons of one file in a list, another file by typing or
// browsing, OK/Cancel. Used where the system's picker is missing or does nothing.
#pragma once

#include "win/form_of.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class ImageListMenuImages;

enum class IconPickControl { LblFile, EdFile, BtnBrowse, LblIcons, LvIcons, BtnOK, BtnCancel };

class TfrmIconPick final : public FormOf<IconPickControl> {
public:
    [[nodiscard]] static std::unique_ptr<TfrmIconPick> Create(HWND owner);
    ~TfrmIconPick() override;

    // Shows the file's icons with `index` selected (when the file has it); on Ok the choice
    // is in IconPath() and IconIndex().
    ModalResult Execute(HWND owner, std::string_view path, int index);

    // Setting another path loads its icons and selects the first.
    std::string IconPath() const { return Text(IconPickControl::EdFile); }
    void SetIconPath(std::string_view path) const { SetText(IconPickControl::EdFile, path); }
    // The selected icon, -1 for none.
    int IconIndex() const;
    void SetIconIndex(int index);

    // The file dialog behind "&Browse..." (true with the chosen file); replaceable.
    std::function<bool(HWND owner, std::string& file)> ChooseFile;

    void EdFileChange();
    void BtnBrowseClick();
    void BtnOKClick();
    void BtnCancelClick();

    explicit TfrmIconPick(Key);

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void LaidOut() override;

private:
    void LoadIcons();
    void UpdateOK();
    LRESULT LvIconsData(NMHDR& header);
    int PictureSize() const;
    HIMAGELIST Pictures();

    // The file's icons offered, by their index in the file; list entry i shows offered_[i].
    std::vector<int> offered_;
    std::unique_ptr<ImageListMenuImages> pictures_;
    UniqueImageList blank_;
    std::string loadedPath_;
    bool scrollPending_ = false;
};

// Slots in the entries' picture store; null while there is no store (no main window).
std::unique_ptr<ImageListMenuImages> NewPictureSlots();
// Runs the own picker; true when the user chose, with the choice in both.
bool OwnPickIcon(HWND owner, std::string& path, int& index);
// The system's picker where it works (see SystemIconPickerUsable), otherwise the own one.
bool PickIconSystemOrOwn(HWND owner, std::string& path, int& index);
