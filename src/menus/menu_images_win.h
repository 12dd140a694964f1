// The Win32 picture list of a menu: 32x32 images on an image list.
#pragma once

#include "config/model.h"
#include "win/handles.h"

#include <memory>

// The main window's two pictures: the placeholder of entries without an icon and the
// separator picture.
struct EntryPictures {
    UniqueIcon ImgIconLeer;
    UniqueIcon ImgIconSeparator;
};

class ImageListMenuImages final : public MenuImages {
public:
    explicit ImageListMenuImages(std::shared_ptr<const EntryPictures> pictures);
    int Count() const override;
    int AddEntryImage(const TOneItem& item) override;
    HIMAGELIST Handle() const { return list_.get(); }

private:
    std::shared_ptr<const EntryPictures> pictures_;
    UniqueImageList list_;
};

// For NewMenuImages: every new menu gets its own image list sharing the pictures.
MenuImagesFactory MakeMenuImagesFactory(std::shared_ptr<const EntryPictures> pictures);
