#include "menus/entry_picture_service_win.h"

#include <algorithm>
#include <tuple>
#include <utility>

EntryPictureService::EntryPictureService(std::shared_ptr<const EntryPictures> pictures, PictureSource source,
                                         std::function<bool()> wake, std::function<void(bool)> watch)
    : pictures_(std::move(pictures)), watch_(std::move(watch)), worker_(std::move(source), std::move(wake))
{
}

EntryPictureService::~EntryPictureService() { Stop(); }

void EntryPictureService::Stop()
{
    worker_.Stop();
    Watch(false);
}

void EntryPictureService::Watch(bool on)
{
    if (on == watching_) return;
    watching_ = on;
    if (watch_) watch_(on);
}

PictureStore& EntryPictureService::Store(int size)
{
    std::unique_ptr<PictureStore>& store = stores_[size];
    if (!store) {
        static const EntryPictures none;
        store = std::make_unique<PictureStore>(size, pictures_ ? *pictures_ : none);
    }
    return *store;
}

int EntryPictureService::PlaceFinished()
{
    std::vector<PictureResult> results = worker_.TakeResults();
    // Placed even when their entries are gone: the worker will not make these keys again.
    std::map<int, std::vector<const PictureResult*>> made;
    for (const PictureResult& result : results)
        if (result.made) made[result.size].push_back(&result);
    for (const auto& [size, sized] : made) Store(size).Place(sized);
    for (const PictureResult& result : results) {
        auto waiting = waiting_.find(result.ticket);
        if (waiting == waiting_.end()) continue;
        Waiting done = std::move(waiting->second);
        waiting_.erase(waiting);
        queued_.erase(done.asked);
        std::sort(done.owners.begin(), done.owners.end());
        done.owners.erase(std::unique(done.owners.begin(), done.owners.end()), done.owners.end());
        for (PictureWaiter* images : done.owners) images->Finished(result.ticket, result.key);
    }
    if (waiting_.empty()) Watch(false);
    return static_cast<int>(results.size());
}

uint64_t EntryPictureService::Request(PictureWaiter& owner, std::shared_ptr<const EntryIconRequest> request,
                                      int size, PictureUrgency urgency)
{
    // Entries sharing a request share its ticket: one job, whatever their number.
    const auto asked = std::make_pair(request.get(), size);
    if (auto same = queued_.find(asked); same != queued_.end()) {
        waiting_[same->second].owners.push_back(&owner);
        worker_.Raise(same->second, urgency);
        return same->second;
    }
    const uint64_t ticket = nextTicket_++;
    waiting_[ticket] = Waiting{asked, {&owner}};
    queued_.emplace(asked, ticket);
    worker_.Add(ticket, std::move(request), size, urgency);
    Watch(true);
    return ticket;
}

void EntryPictureService::Raise(uint64_t ticket, PictureUrgency urgency) { worker_.Raise(ticket, urgency); }

void EntryPictureService::Cancel(uint64_t ticket, const PictureWaiter& owner)
{
    auto waiting = waiting_.find(ticket);
    if (waiting == waiting_.end()) return;
    std::vector<PictureWaiter*>& owners = waiting->second.owners;
    auto mine = std::find(owners.begin(), owners.end(), &owner);
    if (mine != owners.end()) owners.erase(mine);
    if (!owners.empty()) return;
    queued_.erase(waiting->second.asked);
    waiting_.erase(waiting);
    worker_.Cancel(ticket);
    if (waiting_.empty()) Watch(false);
}

bool EntryPictureService::SameRequest::operator()(const std::shared_ptr<const EntryIconRequest>& a,
                                                   const std::shared_ptr<const EntryIconRequest>& b) const
{
    return std::tie(a->Pfad, a->IsPIDL, a->IconNum, a->IconPfad) < std::tie(b->Pfad, b->IsPIDL, b->IconNum, b->IconPfad);
}

std::shared_ptr<const EntryIconRequest> EntryPictureService::Shared(EntryIconRequest request)
{
    auto made = std::make_shared<const EntryIconRequest>(std::move(request));
    auto held = requests_.try_emplace(std::move(made), 0).first;
    ++held->second;
    return held->first;
}

void EntryPictureService::Release(std::shared_ptr<const EntryIconRequest>& request)
{
    // A queued job keeps its own copy: forgetting the request here does not end that job.
    if (auto held = request ? requests_.find(request) : requests_.end();
        held != requests_.end() && held->first == request && --held->second <= 0)
        requests_.erase(held);
    request.reset();
}

