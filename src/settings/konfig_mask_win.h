// The mask of the settings window's Items group: the fields that edit one item, their
// browse buttons and the preview of the item's picture.
#pragma once

#include "settings/konfig_shared_win.h"

#include <memory>
#include <optional>
#include <string>

class ImageListMenuImages;
struct ItemMask;
struct TOneItem;

class KonfigMask {
public:
    KonfigMask(KonfigForm& form, const KonfigHost& host, const KonfigSystem& system);
    ~KonfigMask();
    KonfigMask(const KonfigMask&) = delete;
    KonfigMask& operator=(const KonfigMask&) = delete;

    // Empty, for a new item that starts normally.
    void Clear();
    // Shows the item; a separator's fields stay disabled. True for a separator.
    bool Load(const TOneItem& item);
    ItemMask Read() const;
    // The mask names a shell item (its path field shows the item's name), and that item.
    bool ShowsShellItem() const { return isPIDL_; }
    const ShellIdList& ShellItem() const { return pidl_; }
    int IconNumPosition() const;
    HICON PreviewIcon() const;
    // The pictures drawn again at the window's DPI; the preview only while it is shown.
    void LaidOut(bool shown);
    // Pictures the store finished since they were asked for: the preview and the glyphs.
    void TakeFinishedPictures();
    // The window's messages for the mask: the typing pause and the icon scroll bar.
    std::optional<LRESULT> HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

    void EdPfadChange();
    void EdIconPfadChange();
    void CheckDefaultIconClick();
    void ScrollBarIconNumChange();
    void BtnBrowsePfadClick();
    void BtnBrowseIconPathClick();
    void BtnBrowseWorkingDirClick();
    void ImgIconClick();

private:
    void SetIconNumPosition(int position);
    void UpdateIconRange();
    void UpdateIconPreview();
    // The submenu choice follows the path: offered only for a folder that exists.
    void UpdateFolderMenuCheck();
    void SetPreview(UniqueIcon icon);
    // A pause after typing in the paths: the range and preview follow.
    void PathTyped();
    void SetPfadEditable(bool editable);
    void SetComboStartMode(KonfigControl combo, uint16_t value);
    int ComboChoice(KonfigControl combo) const;
    int PreviewPictureSize() const;
    int GlyphSize() const;
    // The browse buttons' folder picture at the window's DPI, once the store has it.
    void SetBrowseGlyphs();

    static constexpr UINT_PTR PreviewTimer = 1;
    static constexpr UINT PreviewPause = 300;  // ms after the last key

    KonfigForm& form_;
    const KonfigHost& host_;
    const KonfigSystem& system_;
    bool isPIDL_ = false;
    ShellIdList pidl_;
    // Slots in the entries' picture store: the preview's and the browse glyph's.
    std::unique_ptr<ImageListMenuImages> previewPicture_;
    std::unique_ptr<ImageListMenuImages> glyphPicture_;
    UniqueIcon preview_;
    UniqueIcon browseGlyph_;
    bool previewPending_ = false;
    bool glyphPending_ = false;
    bool pfadTyped_ = false;
    bool loading_ = false;
};
