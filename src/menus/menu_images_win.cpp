#include "menus/menu_images_win.h"

ImageListMenuImages::ImageListMenuImages(std::shared_ptr<const EntryPictures> pictures)
    : pictures_(std::move(pictures)), list_(ImageList_Create(32, 32, ILC_COLOR32 | ILC_MASK, 4, 4))
{
    if (list_) ImageList_SetBkColor(list_.get(), GetSysColor(COLOR_MENU));
}

int ImageListMenuImages::Count() const { return list_ ? ImageList_GetImageCount(list_.get()) : 0; }

int ImageListMenuImages::AddEntryImage(const TOneItem& item)
{
    if (!list_ || !pictures_) return -1;
    // Until entry icons are looked up, every entry shows the placeholder picture.
    HICON icon = item.IsSeparator() ? pictures_->ImgIconSeparator.get() : pictures_->ImgIconLeer.get();
    return ImageList_AddIcon(list_.get(), icon);
}

MenuImagesFactory MakeMenuImagesFactory(std::shared_ptr<const EntryPictures> pictures)
{
    return [pictures]() -> std::unique_ptr<MenuImages> { return std::make_unique<ImageListMenuImages>(pictures); };
}
