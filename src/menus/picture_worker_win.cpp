#include "menus/picture_worker_win.h"

#include <windows.h>
#include <objbase.h>

#include <utility>

PictureWorker::PictureWorker(PictureSource source, std::function<void()> wake)
    : source_(std::move(source)), wake_(std::move(wake)), thread_([this] { Run(); })
{
}

PictureWorker::~PictureWorker() { Stop(); }

void PictureWorker::Stop()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void PictureWorker::Add(uint64_t ticket, std::shared_ptr<const EntryIconRequest> request, int size,
                        PictureUrgency urgency)
{
    if (!request) return;
    {
        std::lock_guard lock(mutex_);
        if (stop_ || !jobs_.emplace(ticket, Job{std::move(request), size, urgency}).second) return;
        order_.emplace(urgency, ticket);
    }
    changed_.notify_one();
}

void PictureWorker::Raise(uint64_t ticket, PictureUrgency urgency)
{
    std::lock_guard lock(mutex_);
    auto job = jobs_.find(ticket);
    if (job == jobs_.end() || job->second.urgency <= urgency) return;
    order_.erase({job->second.urgency, ticket});
    job->second.urgency = urgency;
    order_.emplace(urgency, ticket);
}

void PictureWorker::Cancel(uint64_t ticket)
{
    std::lock_guard lock(mutex_);
    auto job = jobs_.find(ticket);
    if (job == jobs_.end()) return;
    order_.erase({job->second.urgency, ticket});
    jobs_.erase(job);
}

std::vector<PictureResult> PictureWorker::TakeResults()
{
    std::vector<PictureResult> taken;
    {
        std::lock_guard lock(mutex_);
        taken = std::exchange(results_, {});
    }
    changed_.notify_all();
    return taken;
}

PictureResult PictureWorker::Work(uint64_t ticket, const Job& job)
{
    PictureResult result;
    result.ticket = ticket;
    result.size = job.size;
    // A source that throws (out of memory) gives the placeholder.
    try {
        std::string key = source_.Key ? source_.Key(*job.request) : std::string();
        if (key.empty()) return result;
        result.key = keyIds_.emplace(std::move(key), static_cast<PictureKeyId>(keyIds_.size() + 1)).first->second;
        std::vector<bool>& made = made_[job.size];
        if (made.size() <= result.key) made.resize(result.key + 1u);
        if (made[result.key]) return result;
        made[result.key] = true;
        result.made = true;
        if (source_.Make) result.picture = source_.Make(*job.request, job.size);
        if (result.picture && (result.picture->width != job.size || result.picture->height != job.size))
            result.picture.reset();
    } catch (...) {
        result.picture.reset();
    }
    return result;
}

void PictureWorker::Run()
{
    // The shell's icon calls want COM on the thread that makes them.
    const bool com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    std::unique_lock lock(mutex_);
    while (true) {
        // Finished pictures wait for the user-interface thread in small batches: a long
        // queue of them would leave the heap holding that many pictures' worth of pages
        // long after they are placed (freed pixels between the store's own allocations).
        changed_.wait(lock, [this] { return stop_ || (!order_.empty() && results_.size() < MaxWaitingResults); });
        if (stop_) break;
        const uint64_t ticket = std::get<1>(*order_.begin());
        order_.erase(order_.begin());
        Job job = std::move(jobs_.at(ticket));
        jobs_.erase(ticket);
        lock.unlock();
        PictureResult result = Work(ticket, job);
        lock.lock();
        const bool first = results_.empty();
        results_.push_back(std::move(result));
        // One wake-up per batch: the user-interface thread takes all that waits.
        if (first && wake_) wake_();
    }
    lock.unlock();
    if (com) CoUninitialize();
}
