#include "menus/folder_listing.h"

#include <algorithm>
#include <array>

namespace {

bool EndsWithNoCase(std::string_view text, std::string_view ending)
{
    if (text.size() < ending.size()) return false;
    const std::string_view tail = text.substr(text.size() - ending.size());
    return std::equal(tail.begin(), tail.end(), ending.begin(), [](char a, char b) {
        return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
    });
}

constexpr std::array<std::string_view, 3> ShortcutEndings = {".lnk", ".url", ".pif"};

}  // namespace

bool IsShortcutName(std::string_view name)
{
    return std::any_of(ShortcutEndings.begin(), ShortcutEndings.end(), [&](std::string_view ending) {
        return name.size() > ending.size() && EndsWithNoCase(name, ending);
    });
}

void FolderListing::Add(std::string_view name, bool folder, bool hidden, bool system)
{
    // A file system name never reaches 64 KiB; one that claimed to would not fit an entry.
    if (hidden || system || name.empty() || name == "." || name == ".." || name.size() > UINT16_MAX) return;
    Entry entry;
    entry.at = static_cast<uint32_t>(text_.size());
    entry.length = static_cast<uint16_t>(name.size());
    entry.flags =
        static_cast<uint8_t>((folder ? FolderFlag : 0) | (!folder && IsShortcutName(name) ? ShortcutFlag : 0));
    text_.append(name);
    entries_.push_back(entry);
}

void FolderListing::Order(const Compare& compare)
{
    const auto nameOf = [this](const Entry& e) { return std::string_view(text_).substr(e.at, e.length); };
    std::sort(entries_.begin(), entries_.end(), [&](const Entry& a, const Entry& b) {
        const bool aFolder = a.flags & FolderFlag, bFolder = b.flags & FolderFlag;
        if (aFolder != bFolder) return aFolder;
        const std::string_view an = nameOf(a), bn = nameOf(b);
        const int order = compare(an, bn);
        // Names the comparison calls alike still come in one fixed order, listing after listing.
        return order != 0 ? order < 0 : an < bn;
    });
    // The text in shown order too: a popup reads it front to back.
    std::string text;
    text.reserve(text_.size());
    for (Entry& entry : entries_) {
        const std::string_view name = nameOf(entry);
        entry.at = static_cast<uint32_t>(text.size());
        text.append(name);
    }
    text_ = std::move(text);
    entries_.shrink_to_fit();
}

std::string_view FolderListing::Name(size_t k) const
{
    return std::string_view(text_).substr(entries_[k].at, entries_[k].length);
}

std::string_view FolderListing::ShownName(size_t k) const
{
    const std::string_view name = Name(k);
    return IsShortcut(k) ? name.substr(0, name.size() - 4) : name;
}
