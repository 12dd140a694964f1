#include "dragdrop/idlist_array.h"

#include "shell/idlist_bytes.h"


namespace {

uint32_t ReadU32(const char* p)
{
    const auto* b = reinterpret_cast<const uint8_t*>(p);
    return static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 | static_cast<uint32_t>(b[2]) << 16 |
           static_cast<uint32_t>(b[3]) << 24;
}

}  // namespace

bool ParseIdListArray(std::string_view block, std::vector<std::string>& store)
{
    if (block.size() < 4) return false;
    // The count is signed in the shell's structure: a negative one names no lists.
    auto count = static_cast<int32_t>(ReadU32(block.data()));
    std::vector<std::string> lists;
    if (count >= 0) {
        // Count and offsets must fit before anything is read; the division keeps a huge
        // count from overflowing the size computed from it.
        size_t offsets = static_cast<size_t>(count) + 1;
        if (offsets > (block.size() - 4) / 4) return false;
        lists.reserve(offsets);
        for (size_t i = 0; i < offsets; ++i) {
            uint32_t offset = ReadU32(block.data() + 4 + 4 * i);
            if (offset >= block.size()) return false;
            std::string_view rest = block.substr(offset);
            auto length = IdListLengthIn(rest);
            if (!length) return false;
            lists.emplace_back(rest.substr(0, *length));
        }
    }
    for (std::string& list : lists) store.push_back(std::move(list));
    return store.size() >= 2;
}

std::string JoinIdLists(std::string_view parent, std::string_view relative)
{
    std::string joined;
    if (parent.size() > 2) joined.assign(parent.substr(0, parent.size() - 2));
    joined.append(relative);
    return joined;
}

std::vector<std::string> SplitNameMap(std::string_view block)
{
    std::vector<std::string> names;
    for (;;) {
        size_t end = block.find('\0');
        if (end == std::string_view::npos || end == 0) break;
        names.emplace_back(block.substr(0, end));
        block.remove_prefix(end + 1);
    }
    return names;
}

std::vector<std::u16string> SplitNameMapW(std::string_view block)
{
    std::vector<std::u16string> names;
    size_t units = block.size() / 2;
    std::u16string current;
    for (size_t i = 0; i < units; ++i) {
        auto unit = static_cast<char16_t>(static_cast<uint8_t>(block[2 * i]) |
                                          static_cast<uint8_t>(block[2 * i + 1]) << 8);
        if (unit != 0) {
            current.push_back(unit);
            continue;
        }
        if (current.empty()) break;
        names.push_back(std::move(current));
        current.clear();
    }
    return names;
}
