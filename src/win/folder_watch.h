// Change notices for folders. Each folder is watched through an overlapped
// read of its changes whose completion runs on the thread that armed it, during that
// thread's alertable waits: no limit on how many, unlike handles waited on together.
#pragma once

#include "win/handles.h"

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class FolderWatches {
public:
    // `changed` runs on the arming thread, in its alertable waits, with the folder's root.
    explicit FolderWatches(std::function<void(size_t root)> changed);
    // Cancels every watch and waits, briefly, for the cancellations to come back.
    ~FolderWatches();
    FolderWatches(const FolderWatches&) = delete;
    FolderWatches& operator=(const FolderWatches&) = delete;

    // Whether one watch of a folder also reports its subfolders' changes. Wine reports
    // only the folder's own, so there every folder of a tree needs a watch of its own.
    static bool SubtreesReported();
    // False when the folder cannot be opened for watching (gone, or a share that refuses).
    bool Add(size_t root, const std::wstring& folder, bool subtree);
    // Ends the root's watches.
    void Drop(size_t root);
    // The roots were numbered anew: `to[old]` is the new number, nothing for a root gone.
    void Renumber(const std::vector<std::optional<size_t>>& to);
    // Lets go of watches whose cancellation has come back; after each alertable wait.
    void Sweep();

private:
    struct Watch {
        OVERLAPPED overlapped{};  // hEvent, unused with a completion routine, holds the watch
        FolderWatches* owner = nullptr;
        size_t root = 0;
        UniqueHandle folder;
        bool subtree = false;
        bool pending = false;
        bool ended = false;
        // What changed is not read: any notice means the root is walked again.
        alignas(DWORD) std::array<char, 256> notices{};
    };
    static void WINAPI Completed(DWORD error, DWORD bytes, OVERLAPPED* overlapped);
    bool Arm(Watch& watch);
    void End(Watch& watch);

    std::function<void(size_t)> changed_;
    std::vector<std::unique_ptr<Watch>> watches_;
};
