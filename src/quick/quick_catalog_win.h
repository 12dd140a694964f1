// Builds the quick-launch catalog on a worker thread and keeps it current as the folders
// change.
#pragma once

#include "config/model.h"
#include "quick/quick_catalog.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// The user's and all users' Programs folders of the Start menu (UTF-8), those that exist.
std::vector<std::string> StartMenuFolders();

class CatalogService {
public:
    // Starts at once: the Start menu folders `startMenu` (every shortcut, .url and program,
    // all the way down) and the user's `folders`. `wake` is called on the worker each time
    // a newer catalog is ready (while the first build runs too, so the box fills in as it
    // goes); it must only post.
    CatalogService(std::vector<std::string> startMenu, std::vector<QuickFolder> folders, std::function<void()> wake);
    ~CatalogService();  // ends the worker within a second, whatever it is doing
    CatalogService(const CatalogService&) = delete;
    CatalogService& operator=(const CatalogService&) = delete;

    // The user changed the folders in Options: the catalog is built again from them.
    void SetFolders(std::vector<QuickFolder> folders);
    // The newest catalog; never null (empty before anything is found). Any thread.
    std::shared_ptr<const QuickCatalog> Now() const;
};
