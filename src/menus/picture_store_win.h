// The pictures of one size in one image list, shared by every menu: the placeholder,
// the separator, then one per key as the worker thread finishes them.
#pragma once

#include "menus/icon_pixels_win.h"
#include "menus/picture_worker_win.h"
#include "win/handles.h"

#include <optional>
#include <vector>

// The main window's two pictures: the placeholder of entries without an icon and the
// separator picture.
struct EntryPictures {
    UniqueIcon ImgIconLeer;
    UniqueIcon ImgIconSeparator;
};


// The settings window's item list shows 32-pixel pictures whatever the menus use.
inline constexpr int SettingsPictureSize = 32;

// The pictures of one size: the placeholder, the separator, then one per key.
class PictureStore {
public:
    static constexpr int PlaceholderIndex = 0;
    static constexpr int SeparatorIndex = 1;
    PictureStore(int size, const EntryPictures& pictures);
    int Size() const { return size_; }
    HIMAGELIST Handle() const { return list_.get(); }
    // The key's picture; the placeholder for key 0. Nothing while it is not placed.
    std::optional<int> IndexOf(PictureKeyId key) const;
    // Each result's key shows its picture from now on, or the placeholder without one.
    void Place(const std::vector<const PictureResult*>& results);

private:
    int size_;
    UniqueImageList list_;
    std::vector<int> indices_;  // by key number; -1 while not placed
};
