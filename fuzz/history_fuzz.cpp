// Arbitrary bytes as a history file: nothing may crash, and what was read must come back
// record for record once written and read again, and then save to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "quick/quick_history.h"
#include "text/code_page.h"

namespace {

void Check(bool condition)
{
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const Windows1252 codePage;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const QuickHistory first = ReadHistory(bytes, codePage);
    const std::string written = WriteHistory(first);
    const QuickHistory second = ReadHistory(written, codePage);
    Check(second.Records() == first.Records());
    Check(WriteHistory(second) == written);
    static_cast<void>(first.Recent());
    return 0;
}
