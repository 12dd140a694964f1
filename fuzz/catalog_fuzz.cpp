// Arbitrary text as file masks and as results: nothing may crash, a path's key keys the
// same way again and hashes as the path does, and every result kept reads back whole.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "quick/quick_catalog.h"
#include "quick/quick_history.h"

namespace {

void Check(bool condition)
{
    if (!condition) std::abort();
}

std::vector<std::string_view> Lines(std::string_view text)
{
    std::vector<std::string_view> lines;
    for (size_t end; (end = text.find('\n')) != std::string_view::npos; text.remove_prefix(end + 1))
        lines.push_back(text.substr(0, end));
    lines.push_back(text);
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<std::string_view> lines = Lines({reinterpret_cast<const char*>(data), size});
    QuickCatalog catalog;
    struct Kept {
        std::string_view name, path, target, menu;
    };
    std::vector<Kept> kept;
    for (size_t i = 1; i + 2 < lines.size(); i += 3) {
        const std::string_view name = lines[i], path = lines[i + 1], target = lines[i + 2];
        static_cast<void>(MatchesMasks(name, lines[0]));
        static_cast<void>(SkippedShortcut(name, target));
        const std::string key = TargetKey(path);
        Check(TargetKey(key) == key);
        Check(TargetHash(key) == TargetHash(path));
        // Runs of results in a folder menu named by the masks' line, between others in none.
        const std::string_view menu = (i / 6) % 2 ? lines[0] : std::string_view();
        static_cast<void>(ResultPlace(menu, path));
        const size_t before = catalog.Count();
        catalog.Add(name, path, target, menu);
        if (catalog.Count() > before)
            kept.push_back({name, path, target.empty() || target == path ? path : target, menu});
    }
    Check(catalog.Count() == kept.size());
    const QuickCatalog copy(catalog);
    for (size_t i = 0; i < kept.size(); ++i) {
        Check(copy.Name(i) == kept[i].name && copy.Path(i) == kept[i].path && copy.Target(i) == kept[i].target);
        Check(catalog.Name(i) == kept[i].name && catalog.Menu(i) == copy.Menu(i));
    }
    return 0;
}
