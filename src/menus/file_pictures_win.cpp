#include "menus/file_pictures_win.h"

#include "menus/entry_picture_service_win.h"

#include <unordered_map>
#include <unordered_set>

class FilePictures::Waiter final : public PictureWaiter {
public:
    explicit Waiter(std::shared_ptr<EntryPictureService> service) : service_(std::move(service)) {}
    ~Waiter()
    {
        for (auto& [ticket, asked] : asked_) {
            service_->Cancel(ticket, *this);
            service_->Release(asked.request);
        }
    }

    void Finished(uint64_t ticket, PictureKeyId key) override
    {
        auto it = asked_.find(ticket);
        if (it == asked_.end()) return;
        pending_.erase({it->second.path, it->second.size});
        keys_[{it->second.path, it->second.size}] = key;
        if (IsWindow(it->second.window)) InvalidateRect(it->second.window, &it->second.place, FALSE);
        service_->Release(it->second.request);
        asked_.erase(it);
    }

    std::pair<HIMAGELIST, int> Picture(const std::string& path, int size, HWND window, const RECT& place)
    {
        PictureStore& store = service_->Store(size);
        int index = PictureStore::PlaceholderIndex;
        // Browsing folder after folder names ever more files: what was drawn long ago is
        // asked for again should it show again (the worker then finds its picture made).
        if (keys_.size() > MaxKnown) keys_.clear();
        PathSize wanted{path, size};
        if (auto known = keys_.find(wanted); known != keys_.end()) {
            index = store.IndexOf(known->second).value_or(PictureStore::PlaceholderIndex);
        } else if (pending_.insert(wanted).second) {
            auto request = service_->Shared(EntryIconRequest{path, false, DefaultIconNum, {}});
            const uint64_t ticket = service_->Request(*this, request, size, PictureUrgency::Shown);
            asked_[ticket] = {path, size, std::move(request), window, place};
        }
        return {store.Handle(), index};
    }

private:
    struct Asking {
        std::string path;
        int size;
        std::shared_ptr<const EntryIconRequest> request;
        HWND window;
        RECT place;
    };
    struct PathSize {
        std::string path;
        int size;
        bool operator==(const PathSize&) const = default;
    };
    struct Hash {
        size_t operator()(const PathSize& k) const { return std::hash<std::string>()(k.path) ^ static_cast<size_t>(k.size); }
    };
    static constexpr size_t MaxKnown = 20000;
    std::shared_ptr<EntryPictureService> service_;
    std::unordered_map<uint64_t, Asking> asked_;
    std::unordered_map<PathSize, PictureKeyId, Hash> keys_;
    std::unordered_set<PathSize, Hash> pending_;
};

FilePictures::FilePictures(std::shared_ptr<EntryPictureService> service)
    : waiter_(service ? std::make_unique<Waiter>(std::move(service)) : nullptr)
{
}

FilePictures::~FilePictures() = default;

std::pair<HIMAGELIST, int> FilePictures::Picture(const std::string& path, int size, HWND window, const RECT& place)
{
    return waiter_ ? waiter_->Picture(path, size, window, place) : std::pair<HIMAGELIST, int>{nullptr, 0};
}

