#include "menus/shell_pictures_win.h"

#include "menus/icon_pixels_win.h"
#include "win/handles.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

namespace {

struct ShellList {
    ComPtr<IUnknown> owner;  // keeps the list alive
    HIMAGELIST handle = nullptr;
    int size = 0;
};

// The system image lists Wine and Windows offer, small to large; SHIL_JUMBO (4) is
// named only for newer targets than ours.
std::vector<ShellList> MakeShellLists()
{
    // IID_IImageList: an image list handle is its IImageList.
    static constexpr GUID imageListId{0x46eb5926, 0x582e, 0x4017, {0x9f, 0xdf, 0xe8, 0x99, 0x8d, 0xaa, 0x09, 0x50}};
    std::vector<ShellList> found;
    for (int kind : {SHIL_SMALL, SHIL_LARGE, SHIL_EXTRALARGE, 4}) {
        ShellList list;
        void* object = nullptr;
        if (FAILED(SHGetImageList(kind, imageListId, &object)) || !object) continue;
        list.owner.Attach(static_cast<IUnknown*>(object));
        list.handle = static_cast<HIMAGELIST>(object);
        int width = 0, height = 0;
        if (!ImageList_GetIconSize(list.handle, &width, &height) || width <= 0) continue;
        list.size = width;
        found.push_back(std::move(list));
    }
    std::sort(found.begin(), found.end(), [](const ShellList& a, const ShellList& b) { return a.size < b.size; });
    return found;
}

// The lists belong to the apartment of the thread that asked for them: each thread has
// its own and lets them go before it leaves COM (ReleaseThreadPictureLists).
std::mutex shellListsMutex;
std::map<DWORD, std::vector<ShellList>> shellListsByThread;

const std::vector<ShellList>& ShellLists()
{
    const DWORD thread = GetCurrentThreadId();
    {
        std::lock_guard lock(shellListsMutex);
        if (auto found = shellListsByThread.find(thread); found != shellListsByThread.end()) return found->second;
    }
    std::vector<ShellList> made = MakeShellLists();
    std::lock_guard lock(shellListsMutex);
    // Map nodes stay put while other threads add theirs.
    return shellListsByThread.emplace(thread, std::move(made)).first->second;
}

}  // namespace

std::optional<PixelImage> ShellPicture(int index, int size)
{
    const std::vector<ShellList>& lists = ShellLists();
    if (lists.empty()) return std::nullopt;
    const ShellList* chosen = &lists.back();
    for (const ShellList& list : lists)
        if (list.size >= size) {
            chosen = &list;
            break;
        }
    UniqueIcon icon(ImageList_GetIcon(chosen->handle, index, ILD_TRANSPARENT));
    return IconPicture(icon.get());
}

void ReleaseThreadPictureLists()
{
    std::vector<ShellList> lists;
    {
        std::lock_guard lock(shellListsMutex);
        auto found = shellListsByThread.find(GetCurrentThreadId());
        if (found == shellListsByThread.end()) return;
        lists = std::move(found->second);
        shellListsByThread.erase(found);
    }
}
