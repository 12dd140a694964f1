// Builds the quick-launch catalog on a worker thread and keeps it current as the folders
// change.
#pragma once

#include "config/model.h"
#include "quick/quick_catalog.h"
#include "win/handles.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// The user's and all users' Programs folders of the Start menu (UTF-8), those that exist.
std::vector<std::string> StartMenuFolders();

class CatalogService {
public:
    // Starts at once: the Start menu folders `startMenu` (every shortcut, .url and program,
    // all the way down), the user's `folders` and the folders the menus show, `folderMenus`
    // (every file but hidden and system ones, MaxQuickFolderDepth levels down). `wake` is
    // called on the worker each time a newer catalog is ready (while the first build runs
    // too, so the box fills in as it goes); it must only post.
    CatalogService(std::vector<std::string> startMenu, std::vector<QuickFolder> folders, std::function<void()> wake,
                   std::vector<FolderMenuSource> folderMenus = {});
    ~CatalogService();  // ends the worker within a second, whatever it is doing
    CatalogService(const CatalogService&) = delete;
    CatalogService& operator=(const CatalogService&) = delete;

    // The user changed the folders in Options: the catalog is built again from them.
    void SetFolders(std::vector<QuickFolder> folders);
    // The menus show other folders, or under other names: likewise.
    void SetFolderMenus(std::vector<FolderMenuSource> folderMenus);
    // The newest catalog; never null (empty before anything is found). Any thread.
    std::shared_ptr<const QuickCatalog> Now() const;

    // The destructor waits this long; a worker stuck in a read (a share that went away)
    // is then left to the process's end with what it holds.
    static constexpr unsigned StopMillis = 800;
    // Whether a worker was left running: the process then ends without the static
    // destructors such a thread might still use.
    static bool AnyLeftRunning();

private:
    struct State;
    class Walker;  // the worker's side
    static unsigned __stdcall Run(void* held);

    std::shared_ptr<State> state_;
    UniqueHandle thread_;
};
