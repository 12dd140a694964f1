// Lists folders for folder menus on a worker thread, so a popup never waits for a disk or
// a network share, and keeps each listing while its folder stays unchanged.
#pragma once

#include "menus/folder_listing.h"
#include "win/handles.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

// The shell's order of names (StrCmpLogicalW): digits as numbers, case and accents as
// Explorer weighs them.
int ShellOrder(std::string_view a, std::string_view b);

// Reads one folder into `into`, in any order, counting what it has read in `progress`;
// false when the folder cannot be read.
using FolderReader =
    std::function<bool(const std::wstring& path, FolderListing& into, std::atomic<uint32_t>& progress)>;

struct FolderAnswer {
    FolderState state = FolderState::Loading;
    // Listed or Empty: the folder's listing. Loading: the last listing, out of date, if
    // there was one. NotAvailable: nothing.
    std::shared_ptr<const FolderListing> listing;
};

class FolderLister {
public:
    // `wake` runs on the worker each time a listing is ready (or a folder is found not
    // available); it must only post. `read` is the file system's when not given.
    explicit FolderLister(std::function<void()> wake, FolderReader read = {});
    ~FolderLister();  // returns within StopMillis, whatever the worker is doing
    FolderLister(const FolderLister&) = delete;
    FolderLister& operator=(const FolderLister&) = delete;

    // At once: what is known of the folder (environment variables expanded). A folder not
    // listed yet, or changed since, is queued and answers Loading.
    FolderAnswer Request(const std::string& path);
    // What is known, without queueing anything.
    FolderAnswer Listing(const std::string& path) const;
    // Request, then, while the folder is being read, at most `millis` for its reading to end.
    FolderAnswer Await(const std::string& path, unsigned millis);

    // A folder whose reading has made no progress for this long is NotAvailable; the
    // reading is left behind, and that folder is not read again while it still hangs.
    static constexpr unsigned GiveUpMillis = 3000;
    // A folder found not available is read again on a request this long after.
    static constexpr unsigned RetryMillis = 10000;
    static constexpr unsigned StopMillis = 800;
    // Whether a worker or a reading was left running: the process then ends without the
    // static destructors such a thread might still use.
    static bool AnyLeftRunning();

private:
    struct State;
    class Worker;
    static unsigned __stdcall Run(void* held);

    std::shared_ptr<State> state_;
    UniqueHandle thread_;
};
