// The pictures of files named only by their path (catalog results, folder menus' files),
// asked of the picture worker only when they are drawn.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <utility>

class EntryPictureService;

class FilePictures {
public:
    explicit FilePictures(std::shared_ptr<EntryPictureService> service);
    ~FilePictures();
    FilePictures(const FilePictures&) = delete;
    FilePictures& operator=(const FilePictures&) = delete;
    // The file's picture in its image list (or the placeholder while it is made; `window`
    // is redrawn at `place` once it is); no list without a picture worker.
    std::pair<HIMAGELIST, int> Picture(const std::string& path, int size, HWND window, const RECT& place);

private:
    class Waiter;
    std::unique_ptr<Waiter> waiter_;
};
