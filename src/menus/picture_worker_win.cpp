#include "menus/picture_worker_win.h"

#include "win/system_function.h"

#include <windows.h>
#include <objbase.h>
#include <process.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <tuple>
#include <utility>

namespace {

// A wake-up that did not get through is tried again this often.
constexpr auto RetryWake = std::chrono::milliseconds(250);
// While stopping, a blocked read is cancelled this often (the source may start another).
constexpr DWORD CancelEvery = 50;

std::atomic<int> leftRunning{0};

struct Job {
    std::shared_ptr<const EntryIconRequest> request;
    int size = 0;
    PictureUrgency urgency = PictureUrgency::Rest;
};

}  // namespace

// Shared by the worker object and its thread, so that a thread left running at the end
// still owns everything it can reach.
struct PictureWorker::State {
    State(PictureSource s, std::function<bool()> w) : source(std::move(s)), wake(std::move(w)) {}

    PictureResult Work(uint64_t ticket, const Job& job);
    // Under the lock.
    void WakeIfOwed()
    {
        if (!woken && !results.empty() && wake) woken = wake();
    }
    bool Ready() const { return stop || (!order.empty() && results.size() < MaxWaitingResults); }
    void Loop();

    const PictureSource source;
    const std::function<bool()> wake;
    std::mutex mutex;
    std::condition_variable changed;
    bool stop = false;
    // A wake-up reached the user-interface thread and it has not taken the results since.
    bool woken = false;
    std::map<uint64_t, Job> jobs;
    std::set<std::tuple<PictureUrgency, uint64_t>> order;
    std::vector<PictureResult> results;
    // Worker thread only: the keys' numbers, and by size which keys are made.
    std::map<std::string, PictureKeyId> keyIds;
    std::map<int, std::vector<bool>> made;
};

PictureWorker::PictureWorker(PictureSource source, std::function<bool()> wake)
    : state_(std::make_shared<State>(std::move(source), std::move(wake)))
{
    // The thread holds its own reference to the state, released when it ends.
    auto held = std::make_unique<std::shared_ptr<State>>(state_);
    thread_.reset(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &PictureWorker::Run, held.get(), 0, nullptr)));
    if (thread_) held.release();
}

PictureWorker::~PictureWorker() { Stop(); }

bool PictureWorker::AnyLeftRunning() { return leftRunning.load() > 0; }

void PictureWorker::Stop()
{
    {
        std::lock_guard lock(state_->mutex);
        state_->stop = true;
    }
    state_->changed.notify_all();
    if (!thread_) return;
    if (!EndWorkerThread(thread_.get(), StopMillis, CancelEvery)) ++leftRunning;
    thread_.reset();
}

void PictureWorker::Add(uint64_t ticket, std::shared_ptr<const EntryIconRequest> request, int size,
                        PictureUrgency urgency)
{
    if (!request) return;
    {
        std::lock_guard lock(state_->mutex);
        if (state_->stop || !state_->jobs.emplace(ticket, Job{std::move(request), size, urgency}).second) return;
        state_->order.emplace(urgency, ticket);
    }
    state_->changed.notify_one();
}

void PictureWorker::Raise(uint64_t ticket, PictureUrgency urgency)
{
    std::lock_guard lock(state_->mutex);
    auto job = state_->jobs.find(ticket);
    if (job == state_->jobs.end() || job->second.urgency <= urgency) return;
    state_->order.erase({job->second.urgency, ticket});
    job->second.urgency = urgency;
    state_->order.emplace(urgency, ticket);
}

void PictureWorker::Cancel(uint64_t ticket)
{
    std::lock_guard lock(state_->mutex);
    auto job = state_->jobs.find(ticket);
    if (job == state_->jobs.end()) return;
    state_->order.erase({job->second.urgency, ticket});
    state_->jobs.erase(job);
}

std::vector<PictureResult> PictureWorker::TakeResults()
{
    std::vector<PictureResult> taken;
    {
        std::lock_guard lock(state_->mutex);
        taken = std::exchange(state_->results, {});
        state_->woken = false;
    }
    state_->changed.notify_all();
    return taken;
}

PictureResult PictureWorker::State::Work(uint64_t ticket, const Job& job)
{
    PictureResult result;
    result.ticket = ticket;
    result.size = job.size;
    // A source that throws (out of memory) gives the placeholder.
    try {
        std::string key = source.Key ? source.Key(*job.request) : std::string();
        if (key.empty()) return result;
        result.key = keyIds.emplace(std::move(key), static_cast<PictureKeyId>(keyIds.size() + 1)).first->second;
        std::vector<bool>& sized = made[job.size];
        if (sized.size() <= result.key) sized.resize(result.key + 1u);
        if (sized[result.key]) return result;
        sized[result.key] = true;
        result.made = true;
        if (source.Make) result.picture = source.Make(*job.request, job.size);
        if (result.picture && (result.picture->width != job.size || result.picture->height != job.size))
            result.picture.reset();
    } catch (...) {
        result.picture.reset();
    }
    return result;
}

void PictureWorker::State::Loop()
{
    std::unique_lock lock(mutex);
    while (true) {
        // A failed post is tried again whenever the worker comes round.
        WakeIfOwed();
        if (stop) break;
        // Finished pictures wait for the user-interface thread in small batches: a long
        // queue of them would leave the heap holding that many pictures' worth of pages
        // long after they are placed (freed pixels between the store's own allocations).
        if (!Ready()) {
            if (!woken && !results.empty() && wake) changed.wait_for(lock, RetryWake);
            else changed.wait(lock);
            continue;
        }
        const uint64_t ticket = std::get<1>(*order.begin());
        order.erase(order.begin());
        Job job = std::move(jobs.at(ticket));
        jobs.erase(ticket);
        lock.unlock();
        PictureResult result = Work(ticket, job);
        lock.lock();
        if (!stop) results.push_back(std::move(result));
    }
}

unsigned __stdcall PictureWorker::Run(void* held)
{
    const std::unique_ptr<std::shared_ptr<State>> state(static_cast<std::shared_ptr<State>*>(held));
    // The shell's icon calls want COM on the thread that makes them.
    const bool com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    (*state)->Loop();
    if ((*state)->source.Done) (*state)->source.Done();
    if (com) CoUninitialize();
    return 0;
}
