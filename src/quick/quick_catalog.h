// What the quick-launch box finds besides the menus' entries: the Start menu's shortcuts,
// the files of the folders the user names and those of the folders the menus show, each
// with the name the box shows, the file it starts and, for a shortcut, the file that
// starts. Platform-neutral.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/model.h"

// Whether a file name matches one of `masks` ("*.exe;*.lnk": `;`-separated, blanks around
// each passed over, `*` any run and `?` any one character, ASCII letters in any case).
// Empty masks match nothing.
bool MatchesMasks(std::string_view fileName, std::string_view masks);

// Uninstallers and help or read-me shortcuts, which nobody starts from the box: judged by
// the shortcut's name and the file name of its target.
bool SkippedShortcut(std::string_view name, std::string_view targetFileName);

// A path as two paths naming the same file compare: "/" as "\", ASCII letters folded, no
// trailing "\". For finding one file's second result and its history.
std::string TargetKey(std::string_view path);
// The same comparison as a number: equal for paths TargetKey makes equal; 0 for none.
uint64_t TargetHash(std::string_view path);

// A folder a menu shows as a submenu or as the whole menu, with the menu's name. The
// folder as configured: environment variables are expanded where it is read.
struct FolderMenuSource {
    std::string Menu;
    std::string Folder;
    bool operator==(const FolderMenuSource&) const = default;
};
// Every folder the menus show, each once, in the menus' order. A menu that follows a
// folder shows none of its own entries, so their folders are not among them.
std::vector<FolderMenuSource> FolderMenuSources(const TMenuList& menus);

// The text on the right of a result's row: the name of the folder it lies in and, for a
// file of a folder menu (`menu` not empty), the menu before it unless they are alike.
std::string ResultPlace(std::string_view menu, std::string_view path);

// Many results in little room: every text in one buffer, a few numbers per result.
// Filled on the catalog's worker, then read-only and shared with the box.
class QuickCatalog {
public:
    QuickCatalog() = default;
    // A copy holds exactly what its results need, however much room the original kept.
    QuickCatalog(const QuickCatalog& other);
    QuickCatalog& operator=(const QuickCatalog& other);
    QuickCatalog(QuickCatalog&&) noexcept = default;
    QuickCatalog& operator=(QuickCatalog&&) noexcept = default;
    // `path` is what starts (the shortcut itself); `target` the file a shortcut starts,
    // empty when it is the path or unknown. A second result with the TargetKey of an
    // earlier one's target (or path) is passed over: one result per target. `menu`: the
    // menu whose folder holds it, empty for none.
    void Add(std::string_view name, std::string_view path, std::string_view target = {}, std::string_view menu = {});
    size_t Count() const;
    std::string_view Name(size_t index) const;
    std::string_view Path(size_t index) const;
    // The target, or the path when there is none.
    std::string_view Target(size_t index) const;
    // The menu whose folder holds the result, or empty.
    std::string_view Menu(size_t index) const;
    // What the catalog holds in memory, for the benchmark.
    size_t MemoryBytes() const;

private:
    // A result's name, path and target lie one after the other in `texts_`, the name
    // left out when the path holds it.
    struct Record {
        uint32_t offset;
        uint16_t nameAt;  // where the name starts in the path, or NameApart
        uint16_t nameLength;
        uint16_t pathLength;
        uint16_t targetLength;  // 0: the path is the target
    };
    static constexpr uint16_t NameApart = 0xFFFF;
    static size_t PathAt(const Record& r);
    // False when the key was there already.
    bool Remember(uint64_t hash);
    bool Place(uint64_t hash);
    void Rehash(size_t slots);

    // Results of one folder are added one after another: a menu is noted once per run of
    // results, and its name once.
    struct MenuRun {
        uint32_t first;  // the run's first result
        uint32_t offset;  // the name in `texts_`
        uint16_t length;  // 0: no menu
    };
    std::string_view RunMenu(const MenuRun& run) const;

    std::string texts_;
    std::vector<Record> records_;
    std::vector<MenuRun> runs_;
    std::vector<uint64_t> keys_;  // hashes of the targets' keys; 0 is a free slot
};
