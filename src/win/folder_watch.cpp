#include "win/folder_watch.h"

#include <algorithm>

namespace {

constexpr DWORD Notices = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE;
// A tree with more folders than this is watched only as far as this goes.
constexpr size_t MaxWatches = 4096;
constexpr DWORD CancelWaitMillis = 500;

}  // namespace

FolderWatches::FolderWatches(std::function<void(size_t)> changed) : changed_(std::move(changed)) {}

FolderWatches::~FolderWatches()
{
    for (auto& watch : watches_) End(*watch);
    const DWORD started = GetTickCount();
    while (GetTickCount() - started < CancelWaitMillis) {
        Sweep();
        if (watches_.empty()) return;
        SleepEx(20, TRUE);
    }
    // A cancellation that never came back may still write into its watch: leave it be.
    for (auto& watch : watches_) (void)watch.release();
}

bool FolderWatches::SubtreesReported()
{
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return !(ntdll && GetProcAddress(ntdll, "wine_get_version"));
}

bool FolderWatches::Add(size_t root, const std::wstring& folder, bool subtree)
{
    Sweep();
    if (watches_.size() >= MaxWatches) return true;
    auto watch = std::make_unique<Watch>();
    watch->owner = this;
    watch->root = root;
    watch->subtree = subtree;
    // Sharing delete too, so that watching never keeps an uninstaller from removing a folder.
    watch->folder.reset(CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr));
    if (!watch->folder || !Arm(*watch)) return false;
    watches_.push_back(std::move(watch));
    return true;
}

bool FolderWatches::Arm(Watch& watch)
{
    watch.overlapped = {};
    watch.overlapped.hEvent = &watch;
    watch.pending = ReadDirectoryChangesW(watch.folder.get(), watch.notices.data(),
                                          static_cast<DWORD>(watch.notices.size()), watch.subtree, Notices, nullptr,
                                          &watch.overlapped, &FolderWatches::Completed);
    return watch.pending;
}

void WINAPI FolderWatches::Completed(DWORD error, DWORD, OVERLAPPED* overlapped)
{
    Watch& watch = *static_cast<Watch*>(overlapped->hEvent);
    watch.pending = false;
    if (watch.ended || error == ERROR_OPERATION_ABORTED) {
        watch.ended = true;
        return;
    }
    FolderWatches& owner = *watch.owner;
    // A folder that went away cannot be armed again: the walk it causes finds that out.
    if (!owner.Arm(watch)) watch.ended = true;
    owner.changed_(watch.root);
}

void FolderWatches::End(Watch& watch)
{
    watch.ended = true;
    // Only this thread reads through the handle, so this cancels exactly the watch's read.
    if (watch.pending) CancelIo(watch.folder.get());
}

void FolderWatches::Drop(size_t root)
{
    for (auto& watch : watches_)
        if (watch->root == root) End(*watch);
    Sweep();
}

void FolderWatches::Renumber(const std::vector<std::optional<size_t>>& to)
{
    for (auto& watch : watches_) {
        if (watch->ended) continue;
        if (watch->root < to.size() && to[watch->root]) watch->root = *to[watch->root];
        else End(*watch);
    }
    Sweep();
}

void FolderWatches::Sweep()
{
    watches_.erase(std::remove_if(watches_.begin(), watches_.end(),
                                  [](const std::unique_ptr<Watch>& w) { return w->ended && !w->pending; }),
                   watches_.end());
}
