// The thread that makes entry pictures, so that start-up and popups never wait for
// icon extraction. It never touches a window: finished pictures wait in a queue the
// user-interface thread empties after `wake` told it (from the worker thread) that
// there is something to take.
#pragma once

#include "menus/bitmap_scale.h"
#include "menus/entry_icon_rules.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

// Where pictures come from; both are called on the worker thread only.
struct PictureSource {
    // The same text for requests that show the same picture; "" for the placeholder.
    std::function<std::string(const EntryIconRequest&)> Key;
    // Exactly size x size pixels, or nothing when the source has no picture.
    std::function<std::optional<PixelImage>(const EntryIconRequest&, int size)> Make;
};

// Lower comes sooner.
enum class PictureUrgency { Shown = 0, Recent = 1, Rest = 2 };

// The worker's number for a key: equal keys, equal numbers; 0 for "" (the placeholder).
// Entries keep the number, so a key's text is held once however many entries share it.
using PictureKeyId = uint32_t;

struct PictureResult {
    uint64_t ticket = 0;
    int size = 0;
    PictureKeyId key = 0;
    // Whether this result carries the key's first picture at this size (then `picture`
    // is it, or nothing for the placeholder); otherwise an earlier result did.
    bool made = false;
    std::optional<PixelImage> picture;
};

class PictureWorker {
public:
    PictureWorker(PictureSource source, std::function<void()> wake);
    // Stops after the picture in hand and waits for the thread.
    ~PictureWorker();
    PictureWorker(const PictureWorker&) = delete;
    PictureWorker& operator=(const PictureWorker&) = delete;

    // Tickets are unique and, within one urgency, served in the order given.
    void Add(uint64_t ticket, std::shared_ptr<const EntryIconRequest> request, int size, PictureUrgency urgency);
    // Moves a queued job forward (never back).
    void Raise(uint64_t ticket, PictureUrgency urgency);
    // Drops a queued job; one already in hand still gives its result.
    void Cancel(uint64_t ticket);
    std::vector<PictureResult> TakeResults();
    // The worker pauses while this many results wait to be taken.
    static constexpr size_t MaxWaitingResults = 32;
    void Stop();

private:
    struct Job {
        std::shared_ptr<const EntryIconRequest> request;
        int size = 0;
        PictureUrgency urgency = PictureUrgency::Rest;
    };
    using Order = std::tuple<PictureUrgency, uint64_t>;
    void Run();
    PictureResult Work(uint64_t ticket, const Job& job);

    PictureSource source_;
    std::function<void()> wake_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool stop_ = false;
    std::map<uint64_t, Job> jobs_;
    std::set<Order> order_;
    std::vector<PictureResult> results_;
    // Worker thread only: the keys' numbers, and by size which keys are made.
    std::map<std::string, PictureKeyId> keyIds_;
    std::map<int, std::vector<bool>> made_;
    std::thread thread_;
};
