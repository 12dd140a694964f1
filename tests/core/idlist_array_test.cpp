#include "dragdrop/idlist_array.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

// One element: its size field and `payload` bytes.
std::string Element(const std::string& payload)
{
    size_t cb = payload.size() + 2;
    return std::string{static_cast<char>(cb & 0xFF), static_cast<char>(cb >> 8)} + payload;
}
const std::string End = "\0\0"s;
const std::string Desktop = End;
const std::string Folder = Element("C:\\") + Element("Docs") + End;
const std::string FileA = Element("a.txt") + End;
const std::string FileB = Element("b.txt") + End;

std::string U32(uint32_t v)
{
    return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
}

// A block laid out as the shell lays it out: count, offsets, then the lists.
std::string Block(const std::vector<std::string>& lists)
{
    uint32_t offset = static_cast<uint32_t>(4 + 4 * lists.size());
    std::string head = U32(static_cast<uint32_t>(lists.size() - 1)), body;
    for (const std::string& list : lists) {
        head += U32(offset + static_cast<uint32_t>(body.size()));
        body += list;
    }
    return head + body;
}

TEST(IdListArray, JoinsParentAndRelativeLists)
{
    EXPECT_EQ(JoinIdLists(Folder, FileA), Element("C:\\") + Element("Docs") + Element("a.txt") + End);
    // The desktop's empty list adds nothing: the item's own list comes back unchanged.
    EXPECT_EQ(JoinIdLists(Desktop, FileA), FileA);
    EXPECT_EQ(JoinIdLists("", FileA), FileA);
    EXPECT_EQ(JoinIdLists(Folder, End), Folder);
}

TEST(IdListArray, ParsesParentThenItemsInOrder)
{
    std::vector<std::string> store{"kept"};
    ASSERT_TRUE(ParseIdListArray(Block({Folder, FileA, FileB}), store));
    EXPECT_EQ(store, (std::vector<std::string>{"kept", Folder, FileA, FileB}));

    // Lists may share bytes and come in any order in the block.
    std::string shared = U32(1) + U32(12) + U32(12) + Desktop;
    store.clear();
    EXPECT_FALSE(ParseIdListArray(U32(0) + U32(8) + Desktop, store));  // the parent alone is no drop
    EXPECT_EQ(store, std::vector<std::string>{Desktop});
    store.clear();
    ASSERT_TRUE(ParseIdListArray(shared, store));
    EXPECT_EQ(store, (std::vector<std::string>{Desktop, Desktop}));
}

TEST(IdListArray, RefusesBlocksThatDoNotHoldWhatTheyClaim)
{
    std::string good = Block({Folder, FileA});
    std::string badElement = good;
    badElement[12] = 0x7F;  // the parent's first element runs past the block
    std::string zeroSize = good;
    zeroSize[12] = 1;  // an element shorter than its size field would loop for ever
    zeroSize[13] = 0;
    const std::vector<std::pair<const char*, std::string>> cases{
        {"empty", ""},
        {"short count", "\1\0\0"s},
        {"negative count", U32(0xFFFFFFFF) + U32(8) + Desktop},
        {"count beyond the offsets", U32(5) + U32(8) + Desktop},
        {"huge count", U32(0x7FFFFFFF) + U32(8) + Desktop},
        {"offset at the end", U32(1) + U32(12) + U32(14) + Desktop},
        {"offset far out", U32(1) + U32(12) + U32(0xFFFFFFF0) + Desktop},
        {"missing terminator", good.substr(0, good.size() - 1)},
        {"element past the end", badElement},
        {"element too short", zeroSize},
    };
    for (const auto& [name, block] : cases) {
        std::vector<std::string> store{"kept"};
        EXPECT_FALSE(ParseIdListArray(block, store)) << name;
        EXPECT_EQ(store, std::vector<std::string>{"kept"}) << name;
    }
}

TEST(IdListArray, SplitsNameMapsUpToTheEmptyName)
{
    EXPECT_EQ(SplitNameMap("One.txt\0Two.txt\0\0Ignored\0"s), (std::vector<std::string>{"One.txt", "Two.txt"}));
    EXPECT_EQ(SplitNameMap("One\0Cut off"s), std::vector<std::string>{"One"});
    EXPECT_TRUE(SplitNameMap("").empty());

    std::string wide = "A\0b\0\0\0\xe4\0\0\0\0\0"s;  // "Ab", "ä", end
    EXPECT_EQ(SplitNameMapW(wide), (std::vector<std::u16string>{u"Ab", u"\u00e4"}));
    EXPECT_EQ(SplitNameMapW("A\0\0\0B\0C"s), std::vector<std::u16string>{u"A"});  // odd byte and no end
}

}  // namespace
