// The drop target for shell items: accepts "Shell IDList Array" data and hands the
// dropped items out as absolute identifier lists and as file-system paths.
#pragma once

#include "dragdrop/drop_target_win.h"
#include "shell/idlist_win.h"

#include <string>
#include <vector>

class TDropPIDLTarget;

// A text, or the message of the error that took its place.
struct TextResult {
    std::string text;
    std::string error;
    explicit operator bool() const { return error.empty(); }
};

// The dropped items' paths, worked out from the target's lists at each access.
class TPIDLTargetStrings {
public:
    explicit TPIDLTargetStrings(const TDropPIDLTarget& owner) : owner_(owner) {}
    int Count() const;
    // The path of item index + 1, empty when it has none; "Filename index out of range"
    // outside 0..Count()-1.
    TextResult Strings(int index) const;

private:
    const TDropPIDLTarget& owner_;
};

class TDropPIDLTarget final : public TDropTarget {
public:
    // Parent and items of the drop: 0 when nothing was read, else items + 1.
    int DropListCount() const { return static_cast<int>(idListStore_.size()); }
    // A new absolute list of item `index` (1..DropListCount()-1), or null.
    [[nodiscard]] ShellIdList DropIdList(int index) const;
    const TPIDLTargetStrings& DropFileNames() const { return dropFileNames_; }
    // One name per dropped item when the source offered a mapping, else empty.
    const std::vector<std::string>& MappedNames() const { return mappedNames_; }
    // The stored lists: the parent's, then each item's relative one.
    const std::vector<std::string>& IdListStore() const { return idListStore_; }

    DWORD ClipboardDropEffect() override;

protected:
    bool ReadDropData() override;
    void DiscardDropData() override;
    bool OffersAcceptedFormat() override;

private:
    template <typename T, typename... Args>
    friend ComponentPtr<T> MakeComponent(Args&&... args);
    TDropPIDLTarget();
    ~TDropPIDLTarget() override = default;

    void ReadNameMap();

    FORMATETC idListFormat_;
    FORMATETC nameMapFormat_;
    FORMATETC nameMapWFormat_;
    std::vector<std::string> idListStore_;
    TPIDLTargetStrings dropFileNames_{*this};
    std::vector<std::string> mappedNames_;
};
