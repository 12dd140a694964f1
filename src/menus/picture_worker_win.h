// The thread that makes entry pictures, so that start-up and popups never wait for
// icon extraction. It never touches a window: finished pictures wait in a queue the
// user-interface thread empties after `wake` told it (from the worker thread) that
// there is something to take.
#pragma once

#include "menus/bitmap_scale.h"
#include "menus/entry_icon_rules.h"
#include "win/handles.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Where pictures come from; all are called on the worker thread only.
struct PictureSource {
    // The same text for requests that show the same picture; "" for the placeholder.
    std::function<std::string(const EntryIconRequest&)> Key;
    // Exactly size x size pixels, or nothing when the source has no picture.
    std::function<std::optional<PixelImage>(const EntryIconRequest&, int size)> Make;
    // Before the thread leaves COM: lets go of what Key and Make made on it.
    std::function<void()> Done;
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
    // `wake` runs on the worker thread when results wait and no wake-up is owed: true when
    // it reached the user-interface thread (a message posted), false to be tried again.
    PictureWorker(PictureSource source, std::function<bool()> wake);
    ~PictureWorker();
    PictureWorker(const PictureWorker&) = delete;
    PictureWorker& operator=(const PictureWorker&) = delete;

    // Tickets are unique and, within one urgency, served in the order given.
    void Add(uint64_t ticket, std::shared_ptr<const EntryIconRequest> request, int size, PictureUrgency urgency);
    // Moves a queued job forward (never back).
    void Raise(uint64_t ticket, PictureUrgency urgency);
    // Drops a queued job; one already in hand still gives its result.
    void Cancel(uint64_t ticket);
    // Everything finished so far; a wake-up is owed again for what comes next.
    std::vector<PictureResult> TakeResults();
    // The worker pauses while this many results wait to be taken.
    static constexpr size_t MaxWaitingResults = 32;
    // Returns within StopMillis whatever the worker is doing: a read that hangs (a network
    // share) is cancelled; a thread that still does not end is left to the process's end
    // with what it holds, and nothing here touches that again.
    void Stop();
    static constexpr unsigned StopMillis = 600;
    // Whether a stopped worker was left running: the process then ends without the static
    // destructors such a thread might still use.
    static bool AnyLeftRunning();

private:
    struct State;
    static unsigned __stdcall Run(void* state);

    std::shared_ptr<State> state_;
    UniqueHandle thread_;
};
