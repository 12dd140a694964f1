#include "config/profile_names.h"

#include <algorithm>

namespace {

// The hash of the folded name, folding as it goes.
uint32_t HashName(uint32_t number, std::string_view name)
{
    uint32_t h = 2166136261u ^ number;  // FNV-1a
    for (char c : name) h = (h ^ static_cast<uint8_t>(FoldProfileChar(c))) * 16777619u;
    return h;
}

}  // namespace

bool EqualsFolded(std::string_view name, std::string_view folded)
{
    if (name.size() != folded.size()) return false;
    for (size_t i = 0; i < name.size(); ++i)
        if (FoldProfileChar(name[i]) != folded[i]) return false;
    return true;
}

void AppendFolded(std::string& out, std::string_view s)
{
    const size_t at = out.size();
    out.append(s);
    for (size_t i = at; i < out.size(); ++i) out[i] = FoldProfileChar(out[i]);
}

void ProfileNameIndex::Clear(size_t expected)
{
    size_t size = 16;
    while (size < expected * 2) size *= 2;
    slots_.assign(size, 0);
    entries_.clear();
    entries_.reserve(expected);
    names_.clear();
}

size_t ProfileNameIndex::SlotFor(uint32_t number, std::string_view name, uint32_t hash) const
{
    const size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const uint32_t slot = slots_[i];
        if (slot == 0) return i;
        const Entry& entry = entries_[slot - 1];
        if (entry.hash == hash && entry.number == number &&
            EqualsFolded(name, std::string_view(names_.data() + entry.nameAt, entry.nameSize)))
            return i;
    }
}

uint32_t ProfileNameIndex::Find(uint32_t number, std::string_view name) const
{
    if (slots_.empty()) return 0;
    const uint32_t slot = slots_[SlotFor(number, name, HashName(number, name))];
    return slot == 0 ? 0 : entries_[slot - 1].value;
}

void ProfileNameIndex::Reserve(size_t expected)
{
    const size_t total = entries_.size() + expected;
    entries_.reserve(total);
    size_t size = std::max<size_t>(16, slots_.size());
    while (size < total * 2) size *= 2;
    if (size != slots_.size()) Grow(size);
}

void ProfileNameIndex::Grow(size_t size)
{
    slots_.assign(size, 0);
    const size_t mask = slots_.size() - 1;
    for (size_t e = 0; e < entries_.size(); ++e) {
        size_t i = entries_[e].hash & mask;
        while (slots_[i] != 0) i = (i + 1) & mask;
        slots_[i] = static_cast<uint32_t>(e + 1);
    }
}

void ProfileNameIndex::Insert(uint32_t number, std::string_view name, uint32_t value)
{
    // Keep the table at most half full: probes stay short.
    if ((entries_.size() + 1) * 2 > slots_.size()) Grow(std::max<size_t>(16, slots_.size() * 2));
    const uint32_t hash = HashName(number, name);
    uint32_t& slot = slots_[SlotFor(number, name, hash)];
    if (slot != 0) return;
    entries_.push_back(Entry{value, number, hash, static_cast<uint32_t>(names_.size()),
                             static_cast<uint32_t>(name.size())});
    slot = static_cast<uint32_t>(entries_.size());
    AppendFolded(names_, name);
}
