// The small dialog that adds or edits one quick-launch folder: its path, how deep its
// subfolders are searched and which files count. OK checks the fields and keeps the
// dialog open, with a message, until they make a folder.
#pragma once

#include "config/model.h"
#include "win/form_of.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

enum class QuickFolderControl {
    LabelFolder, EdFolder, BtnBrowseFolder, LabelDepth, EdDepth, UdDepth, LabelDepthHint, LabelMasks, EdMasks,
    LabelMasksHint, BtnOK, BtnCancel
};

class TfrmQuickFolder final : public FormOf<QuickFolderControl> {
public:
    [[nodiscard]] static std::unique_ptr<TfrmQuickFolder> Create(HWND owner);

    // Shows `folder` under that caption; `others` are the folders it must not repeat.
    // The folder as OK took it, or none after Cancel.
    std::optional<QuickFolder> Execute(HWND owner, const char* caption, const QuickFolder& folder,
                                       std::vector<QuickFolder> others);

    // The folder dialog ("..."), replaceable: starts at the folder given, true with the choice in it.
    std::function<bool(HWND owner, std::string& folder)> ChooseFolder;

    void BtnBrowseFolderClick();
    void BtnOKClick();
    void BtnCancelClick();

    explicit TfrmQuickFolder(Key) {}

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    std::vector<QuickFolder> others_;
    std::optional<QuickFolder> chosen_;
};
