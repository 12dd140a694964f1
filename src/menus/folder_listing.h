// What one folder holds, as a folder menu shows it: folders first, then files, each in
// the order of a comparison the caller passes (the shell's on Windows), hidden and system
// entries left out. The names share one text buffer, so a listing of thousands of files
// costs little more than their names.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Loading: asked for and not yet known (or changed since). Empty: readable, nothing shown.
// NotAvailable: missing, unreadable, or it did not answer in time.
enum class FolderState { Loading, Listed, Empty, NotAvailable };

class FolderListing {
public:
    // Negative when `a` goes before `b`, zero when they are alike, positive after.
    using Compare = std::function<int(std::string_view a, std::string_view b)>;

    // `name` is the file name alone (UTF-8); "." and ".." are passed over.
    void Add(std::string_view name, bool folder, bool hidden, bool system);
    // Puts the entries in the order they are shown and lets go of spare room.
    void Order(const Compare& compare);

    size_t Count() const { return entries_.size(); }
    std::string_view Name(size_t k) const;
    // A shortcut's name without its extension, as the shell shows it; the name otherwise.
    std::string_view ShownName(size_t k) const;
    bool IsFolder(size_t k) const { return entries_[k].flags & FolderFlag; }
    bool IsShortcut(size_t k) const { return entries_[k].flags & ShortcutFlag; }
    // Listed when anything is shown, Empty otherwise.
    FolderState State() const { return entries_.empty() ? FolderState::Empty : FolderState::Listed; }
    // Bytes held, for measuring.
    size_t Bytes() const { return text_.capacity() + entries_.capacity() * sizeof(Entry); }

private:
    static constexpr uint8_t FolderFlag = 1, ShortcutFlag = 2;
    struct Entry {
        uint32_t at = 0;
        uint16_t length = 0;
        uint8_t flags = 0;
    };
    std::string text_;
    std::vector<Entry> entries_;
};

// Whether a file name is a shortcut's: .lnk, .url or .pif, in any case.
bool IsShortcutName(std::string_view name);
