// The stores, the worker and the tickets of the pictures asked for and not placed yet:
// the one way entries get their pictures.
#pragma once

#include "menus/entry_icon_rules.h"
#include "menus/picture_store_win.h"
#include "menus/picture_worker_win.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <utility>
#include <vector>

// What waits for pictures asked for: told, for every ticket it waits for, the key whose
// picture is placed.
class PictureWaiter {
public:
    virtual void Finished(uint64_t ticket, PictureKeyId key) = 0;

protected:
    ~PictureWaiter() = default;
};

class EntryPictureService {
public:
    // `wake` is called on the worker thread when finished pictures wait; it must only
    // post (or signal), so that PlaceFinished runs on the user-interface thread, and say
    // whether that worked. `watch`, on the user-interface thread, is told when pictures
    // are first asked for (true) and when none is awaited any more (false): while it is
    // on, the caller places finished pictures now and then in case a wake-up got lost.
    EntryPictureService(std::shared_ptr<const EntryPictures> pictures, PictureSource source,
                        std::function<bool()> wake, std::function<void(bool)> watch = {});
    ~EntryPictureService();
    // Ends the worker (within a second, whatever it is doing); no more pictures arrive.
    void Stop();

    PictureStore& Store(int size);
    // Places every finished picture, repaints what showed their placeholders; returns
    // how many requests it answered.
    int PlaceFinished();

    uint64_t Request(PictureWaiter& owner, std::shared_ptr<const EntryIconRequest> request, int size,
                     PictureUrgency urgency);
    void Raise(uint64_t ticket, PictureUrgency urgency);
    // `owner` no longer waits for `ticket`; the job goes when no one waits for it.
    void Cancel(uint64_t ticket, const PictureWaiter& owner);

    // One copy of equal requests, shared: many entries start the same program.
    std::shared_ptr<const EntryIconRequest> Shared(EntryIconRequest request);
    // An entry lets go of `request`; it is forgotten once no entry holds it.
    void Release(std::shared_ptr<const EntryIconRequest>& request);

private:
    struct SameRequest {
        bool operator()(const std::shared_ptr<const EntryIconRequest>& a,
                        const std::shared_ptr<const EntryIconRequest>& b) const;
    };
    void Watch(bool on);
    // Each request with the number of entries holding it: counted here rather than read
    // from use_count(), which the worker's copies change from another thread.
    std::map<std::shared_ptr<const EntryIconRequest>, int, SameRequest> requests_;
    std::shared_ptr<const EntryPictures> pictures_;
    std::function<void(bool)> watch_;
    bool watching_ = false;
    std::map<int, std::unique_ptr<PictureStore>> stores_;
    using Asked = std::pair<const EntryIconRequest*, int>;  // a request at a size
    struct Waiting {
        Asked asked;
        std::vector<PictureWaiter*> owners;  // once per entry waiting
    };
    std::map<uint64_t, Waiting> waiting_;
    std::map<Asked, uint64_t> queued_;
    uint64_t nextTicket_ = 1;
    PictureWorker worker_;
};
