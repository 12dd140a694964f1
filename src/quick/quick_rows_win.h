// The entries the quick-launch box lists: the one behind a row, how it starts and how its
// row looks.
#pragma once

#include <windows.h>

#include "menus/file_pictures_win.h"
#include "win/handles.h"

#include <map>
#include <memory>
#include <string>
#include <utility>

class EntryPictureService;
class QuickCatalog;
struct TOneItem;

// Entry `item` of menu `menu`, or null when the menus no longer hold it.
const TOneItem* QuickEntry(int menu, int item);

// The program's own way to start an entry: LaunchItem, with the entry asking for
// administrator rights while it starts when that is forced.
void LaunchFromQuickBox(int menu, int item, bool asAdministrator);
// Starts a file found beyond the menus as an entry with that path would start.
using QuickLaunchPath = void (*)(const std::string& path, const std::string& name, bool asAdministrator);
void LaunchPathFromQuickBox(const std::string& path, const std::string& name, bool asAdministrator);

// What the history calls an entry's target: its path as TargetKey gives it (with its
// parameters, if any), or a digest of its identifier list.
std::string EntryTarget(const TOneItem& item);
// Shows the file selected in its folder's window; false when the shell could not.
bool ShowInFolder(const TOneItem& item);
bool ShowInFolder(const std::string& path);

// Pictures drawn over a plain background, kept as small opaque bitmaps: Wine blends an
// image list's alpha picture anew at each draw, a fifth of a millisecond, most of a
// keystroke's repaint.
class RowPictures {
public:
    void Draw(HDC dc, HIMAGELIST images, int index, POINT at, int size, COLORREF back);
    // The image lists may be made again (another DPI, theme): nothing drawn before is kept.
    void Clear()
    {
        bitmaps_.clear();
        source_.reset();
    }

private:
    struct Key {
        HIMAGELIST images;
        int index;
        int size;
        COLORREF back;
        bool operator<(const Key& o) const;
    };
    UniqueMemoryDC source_;
    std::map<Key, UniqueGdiObject> bitmaps_;
};

struct QuickRow {
    int menu;
    int item;
    bool selected;
    int pictureSize;
    UINT dpi;
    RowPictures* cache;
};
// The entry's picture, its description and, in at most a third of the row on the right,
// its menu's name; highlighted when selected.
void DrawQuickRow(HDC dc, HWND list, const QuickRow& row, const RECT& place);

// The pictures of catalog results, asked of the picture worker only for rows drawn.
using CatalogPictures = FilePictures;

struct CatalogRow {
    std::string_view name;
    std::string_view path;
    std::string_view menu;  // the menu whose folder holds it, or empty
    bool selected;
    int pictureSize;
    UINT dpi;
    RowPictures* cache;
};
// A catalog result's row: picture, name and, on the right, its place (ResultPlace).
void DrawCatalogRow(HDC dc, HWND list, CatalogPictures* pictures, const CatalogRow& row, const RECT& place);
