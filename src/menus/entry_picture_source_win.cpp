// The one place production names where entry pictures come from; tests hand the
// worker sources of their own.
#include "menus/entry_icon_win.h"
#include "menus/menu_images_win.h"

PictureSource ProgramPictureSource()
{
    return {EntryPictureKey, MakeEntryPicture};
}
