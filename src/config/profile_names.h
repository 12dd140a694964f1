// The names of a profile file as Wine compares them: ignoring ASCII case only, so
// 0xC4 and 0xE4 stay different.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

inline char FoldProfileChar(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

// True when name, folded, is `folded`.
bool EqualsFolded(std::string_view name, std::string_view folded);
void AppendFolded(std::string& out, std::string_view s);

// (number, name folded to lower case) -> value, never 0, by open addressing: a save
// adds thousands of keys, and a node-based map costs an allocation for each. Names
// are given unfolded and compared ignoring ASCII case, so a lookup builds no folded copy.
class ProfileNameIndex {
public:
    void Clear(size_t expected);
    void Reserve(size_t expected);  // room for `expected` more names
    uint32_t Find(uint32_t number, std::string_view name) const;  // 0: none
    void Insert(uint32_t number, std::string_view name, uint32_t value);  // first one stays

private:
    struct Entry {
        uint32_t value;
        uint32_t number;
        uint32_t hash;
        uint32_t nameAt;  // the folded name is names_[nameAt, nameAt + nameSize)
        uint32_t nameSize;
    };
    // The slot of (number, name): the one holding it, or the free one where it goes.
    size_t SlotFor(uint32_t number, std::string_view name, uint32_t hash) const;
    void Grow(size_t size);  // to `size` slots, a power of two
    // Slots hold an entry number + 1, 0 when free: a table of 4-byte slots is
    // cheap to clear and to grow, the entries never move.
    std::vector<uint32_t> slots_;
    std::vector<Entry> entries_;
    std::string names_;
};
