#include "menus/folder_lister_win.h"

#include "win/folder_watch.h"
#include "win/system_function.h"
#include "win/text_conversion.h"

#include <windows.h>
#include <process.h>
#include <shlwapi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

namespace {

// A change is read again once its folder has been quiet this long, or this long after the
// first change at the latest, so that copying many files is read once, not per file.
constexpr DWORD QuietMillis = 200;
constexpr DWORD LongestDelayMillis = 2000;
// Listings kept at most; the least recently asked for goes first.
constexpr size_t MaxKept = 512;
// Readings left hanging at most; past that a folder that needs one is not available.
constexpr size_t MaxHanging = 16;
// Readings at once: a share that hangs holds back no other folder, and a popup that opens
// many submenus does not start a thread for each.
constexpr size_t MaxUnderway = 4;
constexpr DWORD CancelEvery = 50;

std::atomic<int> leftRunning{0};

struct Place {
    std::wstring path;  // expanded, without a trailing backslash except at a drive's root
    std::wstring key;   // the same in upper case: one entry per folder however it is spelt
};

Place PlaceOf(const std::string& text)
{
    const std::wstring raw = Wide(text);
    Place place;
    const DWORD needed = ExpandEnvironmentStringsW(raw.c_str(), nullptr, 0);
    place.path.resize(needed);
    if (needed == 0 || ExpandEnvironmentStringsW(raw.c_str(), place.path.data(), needed) != needed) place.path = raw;
    else place.path.resize(needed - 1);
    std::replace(place.path.begin(), place.path.end(), L'/', L'\\');
    // "a\sub\.." and "a" are one folder: one listing and one watch.
    if (!place.path.empty()) {
        std::wstring full(MAX_PATH, L'\0');
        DWORD length = GetFullPathNameW(place.path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (length >= full.size()) {
            full.resize(length);
            length = GetFullPathNameW(place.path.c_str(), length, full.data(), nullptr);
        }
        if (length > 0 && length < full.size()) place.path = full.substr(0, length);
    }
    // "C:\" stays a root; "C:" alone would be the current folder on that drive.
    while (place.path.size() > 3 && place.path.back() == L'\\') place.path.pop_back();
    place.key = place.path;
    if (!place.key.empty()) CharUpperBuffW(place.key.data(), static_cast<DWORD>(place.key.size()));
    return place;
}

}  // namespace

int ShellOrder(std::string_view a, std::string_view b)
{
    // StrCmpLogicalW goes character by character, slowly under Wine, and names in one folder
    // often share a long beginning: equal characters decide nothing, so they are skipped,
    // though never into a run of digits, which counts as one number. Other scripts' digits
    // are not told apart from their letters here, so the skip also stops before any of them.
    size_t same = 0;
    while (same < a.size() && same < b.size() && a[same] == b[same]) ++same;
    while (same > 0 && (static_cast<unsigned char>(a[same - 1]) >= 0x80 || (a[same - 1] >= '0' && a[same - 1] <= '9')))
        --same;
    a.remove_prefix(same);
    b.remove_prefix(same);
    thread_local std::wstring wa, wb;
    const auto widen = [](std::string_view text, std::wstring& into) {
        into.resize(text.size() + 1);
        const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), into.data(),
                                          static_cast<int>(text.size()));
        into.resize(static_cast<size_t>(std::max(n, 0)));
    };
    widen(a, wa);
    widen(b, wb);
    return StrCmpLogicalW(wa.c_str(), wb.c_str());
}

namespace {

// One folder read on a thread of its own, so that a share that hangs holds only this thread.
struct Reading {
    std::wstring path;
    FolderReader read;
    FolderListing listing;
    bool readable = false;
    // Entries read so far: a large folder that keeps coming is slow, not unreachable.
    std::atomic<uint32_t> progress{0};
};

bool ReadFolder(const std::wstring& path, FolderListing& listing, std::atomic<uint32_t>& progress)
{
    std::wstring pattern = path;
    if (pattern.empty() || pattern.back() != L'\\') pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW found{};
    // FindExInfoBasic (no short names) and a large fetch are Windows 7's; older systems
    // reject them.
    HANDLE search = FindFirstFileExW(pattern.c_str(), static_cast<FINDEX_INFO_LEVELS>(1), &found,
                                     FindExSearchNameMatch, nullptr, 2);
    if (search == INVALID_HANDLE_VALUE && GetLastError() == ERROR_INVALID_PARAMETER)
        search = FindFirstFileExW(pattern.c_str(), FindExInfoStandard, &found, FindExSearchNameMatch, nullptr, 0);
    // A drive's root with nothing in it has no "." to find.
    if (search == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    const ScopeGuard close([search] { FindClose(search); });
    do {
        ++progress;
        const DWORD attributes = found.dwFileAttributes;
        listing.Add(Utf8(found.cFileName), attributes & FILE_ATTRIBUTE_DIRECTORY,
                    attributes & FILE_ATTRIBUTE_HIDDEN, attributes & FILE_ATTRIBUTE_SYSTEM);
    } while (FindNextFileW(search, &found));
    return GetLastError() == ERROR_NO_MORE_FILES;
}

unsigned __stdcall Read(void* held)
{
    const std::unique_ptr<std::shared_ptr<Reading>> owner(static_cast<std::shared_ptr<Reading>*>(held));
    Reading& reading = **owner;
    try {
        reading.readable = reading.read ? reading.read(reading.path, reading.listing, reading.progress)
                                        : ReadFolder(reading.path, reading.listing, reading.progress);
        if (reading.readable)
            reading.listing.Order([&reading](std::string_view a, std::string_view b) {
                reading.progress.fetch_add(1, std::memory_order_relaxed);
                return ShellOrder(a, b);
            });
    } catch (...) {
        reading.readable = false;  // out of memory: the folder is shown as not available
    }
    return 0;
}

struct Known {
    std::wstring path;
    FolderState state = FolderState::Loading;
    std::shared_ptr<const FolderListing> listing;
    bool queued = false;   // waiting for the worker, or in its hands
    bool changed = false;  // the listing is out of date
    DWORD readAt = 0;
    DWORD usedAt = 0;
};

FolderAnswer AnswerOf(const Known& known)
{
    if (known.changed || known.state == FolderState::Loading) return {FolderState::Loading, known.listing};
    if (known.state == FolderState::NotAvailable) return {FolderState::NotAvailable, nullptr};
    return {known.state, known.listing};
}

}  // namespace

struct FolderLister::State {
    State(std::function<void()> w, FolderReader r)
        : wake(std::move(w)), read(std::move(r)), stopEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
          workEvent(CreateEventW(nullptr, FALSE, FALSE, nullptr))
    {
    }

    const std::function<void()> wake;
    const FolderReader read;
    const UniqueHandle stopEvent;
    const UniqueHandle workEvent;
    std::atomic<bool> stop{false};

    mutable std::mutex mutex;
    std::condition_variable finished;  // a reading ended (or the lister stops)
    std::map<std::wstring, Known> known;
    std::deque<std::wstring> queue;
    std::vector<std::wstring> forgotten;  // no longer kept: the worker stops watching them
};

// The worker's side: the readings under way, the watches and the readings that hang. It
// waits on the readings together, so one folder that hangs holds back no other.
class FolderLister::Worker {
public:
    explicit Worker(State& state) : state_(state), watches_([this](size_t root) { Changed(root); }) {}

    ~Worker()
    {
        // A reading just started ends in a moment: only one still running after that is left behind.
        const DWORD deadline = GetTickCount() + StopMillis / 3;
        for (const Underway& underway : underway_) {
            const LONG left = static_cast<LONG>(deadline - GetTickCount());
            if (WaitForSingleObject(underway.thread.get(), left > 0 ? static_cast<DWORD>(left) : 0) == WAIT_TIMEOUT)
                ++leftRunning;
        }
        for (auto& [key, thread] : hanging_)
            if (WaitForSingleObject(thread.get(), 0) == WAIT_TIMEOUT) ++leftRunning;
    }

    void Loop()
    {
        while (!state_.stop) {
            {
                std::lock_guard lock(state_.mutex);
                for (const std::wstring& key : state_.forgotten) Unwatch(key);
                state_.forgotten.clear();
                for (std::wstring& key : state_.queue) Enqueue(std::move(key));
                state_.queue.clear();
            }
            const DWORD now = GetTickCount();
            for (auto change = changes_.begin(); change != changes_.end();) {
                if (static_cast<LONG>(now - change->second.second) < 0) {
                    ++change;
                    continue;
                }
                Enqueue(change->first);
                change = changes_.erase(change);
            }
            while (underway_.size() < MaxUnderway && !waiting_.empty() && !state_.stop) {
                const std::wstring key = std::move(waiting_.front());
                waiting_.pop_front();
                Start(key);
            }
            Wait();
            Collect();
        }
    }

private:
    struct Underway {
        std::wstring key;
        UniqueHandle thread;
        std::shared_ptr<Reading> reading;
        DWORD since = 0;  // when it was started or last made progress
        uint32_t progress = 0;
    };

    void Enqueue(std::wstring key)
    {
        const auto same = [&](const std::wstring& k) { return k == key; };
        if (std::any_of(waiting_.begin(), waiting_.end(), same) ||
            std::any_of(underway_.begin(), underway_.end(), [&](const Underway& u) { return u.key == key; }))
            return;
        waiting_.push_back(std::move(key));
    }

    void Start(const std::wstring& key)
    {
        changes_.erase(key);
        auto reading = std::make_shared<Reading>();
        reading->read = state_.read;
        {
            std::lock_guard lock(state_.mutex);
            auto known = state_.known.find(key);
            if (known == state_.known.end()) return;
            reading->path = known->second.path;
            known->second.queued = true;
            // Notices from here on belong to the next reading.
            known->second.changed = false;
        }
        if (auto hanging = hanging_.find(key); hanging != hanging_.end()) {
            if (WaitForSingleObject(hanging->second.get(), 0) == WAIT_TIMEOUT) return Finish(key, nullptr);
            hanging_.erase(hanging);
        }
        for (auto it = hanging_.begin(); it != hanging_.end();)
            it = WaitForSingleObject(it->second.get(), 0) == WAIT_TIMEOUT ? std::next(it) : hanging_.erase(it);
        if (hanging_.size() >= MaxHanging) return Finish(key, nullptr);
        auto held = std::make_unique<std::shared_ptr<Reading>>(reading);
        UniqueHandle thread(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &Read, held.get(), 0, nullptr)));
        if (!thread) return Finish(key, nullptr);
        (void)held.release();
        underway_.push_back({key, std::move(thread), std::move(reading), GetTickCount(), 0});
    }

    // Readings that ended, and those that have made no progress for too long.
    void Collect()
    {
        for (size_t k = 0; k < underway_.size() && !state_.stop;) {
            Underway& underway = underway_[k];
            std::shared_ptr<Reading> reading = underway.reading;
            if (WaitForSingleObject(underway.thread.get(), 0) == WAIT_OBJECT_0) {
                const std::wstring key = std::move(underway.key);
                underway_.erase(underway_.begin() + static_cast<ptrdiff_t>(k));
                Finish(key, reading->readable ? reading : nullptr);
                continue;
            }
            const DWORD now = GetTickCount();
            if (reading->progress != underway.progress) {
                underway.progress = reading->progress;
                underway.since = now;
            } else if (now - underway.since >= GiveUpMillis) {
                // A reading that does not end keeps only its own thread and what it holds.
                (void)EndWorkerThread(underway.thread.get(), 3 * CancelEvery, CancelEvery);
                const std::wstring key = underway.key;
                hanging_[key] = std::move(underway.thread);
                underway_.erase(underway_.begin() + static_cast<ptrdiff_t>(k));
                Finish(key, nullptr);
                continue;
            }
            ++k;
        }
    }

    // Publishes what a reading found: its listing, or nothing when the folder is not available.
    void Finish(const std::wstring& key, const std::shared_ptr<Reading>& reading)
    {
        std::wstring path;
        {
            std::lock_guard lock(state_.mutex);
            auto known = state_.known.find(key);
            if (known == state_.known.end()) return;
            path = known->second.path;
        }
        if (reading && !watched_.count(key)) {
            // Watched once it answered: opening a share that hangs would hang the worker too.
            const size_t root = roots_.size();
            if (watches_.Add(root, path, false)) {
                roots_.push_back(key);
                watched_[key] = root;
            }
        } else if (!reading) {
            Unwatch(key);
        }
        {
            std::lock_guard lock(state_.mutex);
            auto known = state_.known.find(key);
            if (known == state_.known.end()) return;
            Known& k = known->second;
            k.queued = false;
            k.readAt = GetTickCount();
            k.state = reading ? reading->listing.State() : FolderState::NotAvailable;
            k.listing = reading ? std::make_shared<const FolderListing>(std::move(reading->listing)) : nullptr;
        }
        state_.finished.notify_all();
        if (!state_.stop && state_.wake) state_.wake();
    }

    void Unwatch(const std::wstring& key)
    {
        auto watched = watched_.find(key);
        if (watched == watched_.end()) return;
        watches_.Drop(watched->second);
        roots_[watched->second].clear();
        watched_.erase(watched);
    }

    // Runs inside an alertable wait on this thread: nothing may throw out of it.
    void Changed(size_t root)
    {
        if (root >= roots_.size() || roots_[root].empty()) return;
        const std::wstring& key = roots_[root];
        {
            std::lock_guard lock(state_.mutex);
            auto known = state_.known.find(key);
            if (known != state_.known.end()) known->second.changed = true;
        }
        const DWORD now = GetTickCount();
        auto [change, added] = changes_.try_emplace(key, now, now + QuietMillis);
        if (!added) change->second.second = std::min(now + QuietMillis, change->second.first + LongestDelayMillis);
    }

    // Until a reading ends or is due to be given up, a change is due, something is asked for
    // or the lister stops; change notices arrive in here.
    void Wait()
    {
        DWORD wait = INFINITE;
        const DWORD now = GetTickCount();
        const auto until = [&](DWORD at) {
            wait = std::min<DWORD>(wait, static_cast<LONG>(at - now) > 0 ? at - now : 0);
        };
        for (const auto& [key, change] : changes_) until(change.second);
        std::vector<HANDLE> handles = {state_.stopEvent.get(), state_.workEvent.get()};
        for (const Underway& underway : underway_) {
            until(underway.since + GiveUpMillis);
            handles.push_back(underway.thread.get());
        }
        (void)WaitForMultipleObjectsEx(static_cast<DWORD>(handles.size()), handles.data(), FALSE, wait, TRUE);
        watches_.Sweep();
    }

    State& state_;
    std::deque<std::wstring> waiting_;
    std::vector<Underway> underway_;
    std::map<std::wstring, UniqueHandle> hanging_;
    std::map<std::wstring, size_t> watched_;
    std::vector<std::wstring> roots_;  // a watch's number: its folder's key, "" once dropped
    // Changed folders: when the first notice came and when they are read again.
    std::map<std::wstring, std::pair<DWORD, DWORD>> changes_;
    FolderWatches watches_;
};

FolderLister::FolderLister(std::function<void()> wake, FolderReader read)
    : state_(std::make_shared<State>(std::move(wake), std::move(read)))
{
    if (!state_->stopEvent || !state_->workEvent) return;
    // The thread holds its own reference to the state, released when it ends.
    auto held = std::make_unique<std::shared_ptr<State>>(state_);
    thread_.reset(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &FolderLister::Run, held.get(), 0, nullptr)));
    if (thread_) (void)held.release();
}

FolderLister::~FolderLister()
{
    {
        std::lock_guard lock(state_->mutex);
        state_->stop = true;
    }
    state_->finished.notify_all();
    if (state_->stopEvent) SetEvent(state_->stopEvent.get());
    if (!thread_) return;
    if (!EndWorkerThread(thread_.get(), StopMillis, CancelEvery)) ++leftRunning;
}

bool FolderLister::AnyLeftRunning() { return leftRunning.load() > 0; }

FolderAnswer FolderLister::Request(const std::string& path)
{
    const Place place = PlaceOf(path);
    if (place.path.empty() || !thread_) return {FolderState::NotAvailable, nullptr};
    const DWORD now = GetTickCount();
    std::lock_guard lock(state_->mutex);
    auto [it, added] = state_->known.try_emplace(place.key);
    Known& known = it->second;
    if (added) known.path = place.path;
    known.usedAt = now;
    const bool due = added || known.changed ||
                     (known.state == FolderState::NotAvailable && now - known.readAt >= RetryMillis);
    if (due && !known.queued) {
        known.queued = true;
        state_->queue.push_back(place.key);
        SetEvent(state_->workEvent.get());
    }
    const FolderAnswer answer = AnswerOf(known);
    if (state_->known.size() > MaxKept) {
        auto oldest = state_->known.end();
        for (auto k = state_->known.begin(); k != state_->known.end(); ++k)
            if (!k->second.queued &&
                (oldest == state_->known.end() || now - k->second.usedAt > now - oldest->second.usedAt))
                oldest = k;
        if (oldest != state_->known.end()) {
            state_->forgotten.push_back(oldest->first);
            state_->known.erase(oldest);
        }
    }
    return answer;
}

FolderAnswer FolderLister::Listing(const std::string& path) const
{
    const Place place = PlaceOf(path);
    std::lock_guard lock(state_->mutex);
    auto known = state_->known.find(place.key);
    if (known == state_->known.end()) return {FolderState::Loading, nullptr};
    return AnswerOf(known->second);
}

FolderAnswer FolderLister::Await(const std::string& path, unsigned millis)
{
    FolderAnswer answer = Request(path);
    if (answer.state != FolderState::Loading || millis == 0) return answer;
    const Place place = PlaceOf(path);
    std::unique_lock lock(state_->mutex);
    state_->finished.wait_for(lock, std::chrono::milliseconds(millis), [&] {
        auto known = state_->known.find(place.key);
        if (state_->stop || known == state_->known.end()) return true;
        answer = AnswerOf(known->second);
        return answer.state != FolderState::Loading;
    });
    return answer;
}

unsigned __stdcall FolderLister::Run(void* held)
{
    const std::unique_ptr<std::shared_ptr<State>> state(static_cast<std::shared_ptr<State>*>(held));
    // Out of memory ends the worker; what was listed stays readable.
    try {
        Worker worker(**state);
        worker.Loop();
    } catch (...) {
    }
    return 0;
}
