#include "menus/entry_picture_win.h"

#include "menus/icon_file_pictures_win.h"
#include "menus/picture_location_win.h"
#include "menus/shell_pictures_win.h"

std::string EntryPictureKey(const EntryIconRequest& request) { return PictureKey(ResolveSource(request)); }

std::optional<PixelImage> MakeEntryPicture(const EntryIconRequest& request, int size)
{
    if (size < 1) return std::nullopt;
    const PictureLocation source = ResolveSource(request);
    std::optional<PixelImage> picture;
    switch (source.origin) {
    case PictureOrigin::IconFile:
        picture = FilePicture(source.file, source.index, size);
        if (!picture && source.programOwn) picture = FilePicture(Generic().program.file, Generic().program.index, size);
        break;
    case PictureOrigin::ShellImage: picture = ShellPicture(source.index, size); break;
    case PictureOrigin::None: break;
    }
    if (!picture) return std::nullopt;
    PixelImage scaled = ScalePicture(*picture, size, size);
    if (scaled.pixels.empty()) return std::nullopt;
    return scaled;
}
