// Arbitrary bytes as a dropped "Shell IDList Array" block: parsing must stay inside the
// block, refuse without touching the store, and hand out only complete lists.
#include "dragdrop/idlist_array.h"
#include "shell/idlist_bytes.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

void Check(bool condition)
{
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // An exact-size copy, so the sanitizers see any read past the block.
    std::vector<char> copy(data, data + size);
    std::string_view block(copy.data(), copy.size());
    std::vector<std::string> store{"kept"};
    bool ok = ParseIdListArray(block, store);
    Check(!store.empty() && store[0] == "kept");
    if (!ok) Check(store.size() == 1 || store.size() == 2);
    for (size_t i = 1; i < store.size(); ++i) Check(IsCompleteIdList(store[i]));
    if (store.size() >= 3) Check(IsCompleteIdList(JoinIdLists(store[1], store[2])));
    SplitNameMap(block);
    SplitNameMapW(block);
    return 0;
}
