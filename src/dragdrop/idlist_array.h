// The shell's "Shell IDList Array" block and the file name maps that may come with it,
// read from bytes. A drop comes from another process: nothing here trusts a count, an
// offset or an element size, and nothing is read outside the block.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Appends the parent's list and then each item's list, each as its bytes with the
// terminator, to `store`. A block whose count, offsets or lists do not fit inside it is
// refused whole: false, and `store` is left as it was. True when the store then holds
// at least the parent and one item. The store is not emptied first.
[[nodiscard]] bool ParseIdListArray(std::string_view block, std::vector<std::string>& store);

// The absolute list of a relative one: the parent without its terminator (nothing of a
// parent of 2 bytes or fewer, the desktop), then the relative list whole.
std::string JoinIdLists(std::string_view parent, std::string_view relative);

// Consecutive zero-terminated names up to the first empty one. A name cut off by the
// end of the block ends the list without being taken.
std::vector<std::string> SplitNameMap(std::string_view block);
// The same for 16-bit units (UTF-16, little-endian as the block holds them).
std::vector<std::u16string> SplitNameMapW(std::string_view block);
