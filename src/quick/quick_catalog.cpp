#include "quick/quick_catalog.h"

#include "shell/path_text.h"

#include <algorithm>
#include <array>
#include <limits>
#include <utility>

namespace {

char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// `*` and `?` against one name; a `*` that failed is widened by one character at a time,
// which is linear enough for file names.
bool MatchesMask(std::string_view name, std::string_view mask)
{
    size_t n = 0, m = 0;
    size_t starMask = std::string_view::npos, starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == '?' || FoldAscii(mask[m]) == FoldAscii(name[n]))) {
            ++n;
            ++m;
        } else if (m < mask.size() && mask[m] == '*') {
            starMask = m++;
            starName = n;
        } else if (starMask != std::string_view::npos) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*') ++m;
    return m == mask.size();
}

// The name's words in lower case, ASCII letters and digits forming words and every
// other byte of a multi-byte character too, so "Désinstaller" stays one word.
std::vector<std::string> LowerWords(std::string_view text)
{
    std::vector<std::string> words;
    std::string word;
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if ((c >= '0' && c <= '9') || (FoldAscii(c) >= 'a' && FoldAscii(c) <= 'z') || u >= 0x80) {
            word += FoldAscii(c);
        } else if (!word.empty()) {
            words.push_back(std::move(word));
            word.clear();
        }
    }
    if (!word.empty()) words.push_back(std::move(word));
    return words;
}

struct SkippedWords {
    std::array<const char*, 3> words;  // in a row; unused ones null
    bool prefix;                       // the last word may go on ("Uninstaller")
};

// Shortcuts that a setup puts beside the program: taking it away, reading about it.
constexpr SkippedWords SkippedNames[] = {
    {{"uninstall"}, true},   {{"deinstall"}, true},       {{"remove"}, false},
    {{"help"}, false},       {{"readme"}, false},         {{"read", "me"}, false},
    {{"manual"}, false},     {{"documentation"}, false},  {{"license"}, false},
    {{"licence"}, false},    {{"release", "notes"}, false}, {{"website"}, false},
    {{"on", "the", "web"}, false},
};

constexpr std::string_view SkippedTargets = "unins*.exe;deinst*.exe;*.chm;*.hlp;*.txt;*.pdf;*.htm;*.html;readme*";

bool WordsAt(const std::vector<std::string>& words, size_t at, const SkippedWords& skipped)
{
    size_t count = 0;
    while (count < skipped.words.size() && skipped.words[count]) ++count;
    if (at + count > words.size()) return false;
    for (size_t k = 0; k < count; ++k) {
        const std::string_view want = skipped.words[k];
        const std::string& word = words[at + k];
        const bool last = k + 1 == count;
        if (last && skipped.prefix ? word.compare(0, want.size(), want) != 0 : word != want) return false;
    }
    return true;
}

}  // namespace

bool MatchesMasks(std::string_view fileName, std::string_view masks)
{
    while (!masks.empty()) {
        const size_t semicolon = masks.find(';');
        std::string_view mask = masks.substr(0, semicolon);
        masks = semicolon == std::string_view::npos ? std::string_view() : masks.substr(semicolon + 1);
        while (!mask.empty() && IsBlank(mask.front())) mask.remove_prefix(1);
        while (!mask.empty() && IsBlank(mask.back())) mask.remove_suffix(1);
        if (!mask.empty() && MatchesMask(fileName, mask)) return true;
    }
    return false;
}

bool SkippedShortcut(std::string_view name, std::string_view targetFileName)
{
    if (!targetFileName.empty() && MatchesMasks(targetFileName, SkippedTargets)) return true;
    const std::vector<std::string> words = LowerWords(name);
    for (size_t at = 0; at < words.size(); ++at)
        for (const SkippedWords& skipped : SkippedNames)
            if (WordsAt(words, at, skipped)) return true;
    return false;
}

uint64_t TargetHash(std::string_view path)
{
    while (!path.empty() && (path.back() == '\\' || path.back() == '/')) path.remove_suffix(1);
    if (path.empty()) return 0;
    uint64_t hash = 14695981039346656037ull;
    for (char c : path) hash = (hash ^ static_cast<unsigned char>(c == '/' ? '\\' : FoldAscii(c))) * 1099511628211ull;
    return hash ? hash : 1;
}

std::string TargetKey(std::string_view path)
{
    while (!path.empty() && (path.back() == '\\' || path.back() == '/')) path.remove_suffix(1);
    std::string key(path);
    for (char& c : key) c = c == '/' ? '\\' : FoldAscii(c);
    return key;
}

std::vector<FolderMenuSource> FolderMenuSources(const TMenuList& menus)
{
    std::vector<FolderMenuSource> sources;
    const auto add = [&](const std::string& menu, const std::string& folder) {
        const bool again = std::any_of(sources.begin(), sources.end(), [&](const FolderMenuSource& s) {
            return TargetHash(s.Folder) == TargetHash(folder);
        });
        if (!again && TargetHash(folder)) sources.push_back({menu, folder});
    };
    for (const auto& menu : menus) {
        if (!menu->MenuFolder.empty()) {
            add(menu->MenuName, menu->MenuFolder);
            continue;
        }
        for (const auto& item : menu->Items)
            if (item->FolderMenu && !item->IsPIDL && !item->IsSeparator()) add(menu->MenuName, item->Pfad);
    }
    return sources;
}

std::string ResultPlace(std::string_view menu, std::string_view path)
{
    std::string_view folder = FolderPart(path);
    if (!folder.empty()) folder.remove_suffix(1);
    std::string_view name = FileNamePart(folder);
    if (menu.empty()) return std::string(name);
    // A drive's root has no name of its own.
    if (name.empty()) name = FolderPart(path);
    if (TargetKey(name) == TargetKey(menu)) return std::string(menu);
    return std::string(menu).append(" \xE2\x80\xBA ").append(name);  // U+203A
}

void QuickCatalog::Add(std::string_view name, std::string_view path, std::string_view target, std::string_view menu)
{
    if (target == path) target = {};
    constexpr size_t MaxLength = std::numeric_limits<uint16_t>::max() - 1;
    if (name.size() > MaxLength || path.size() > MaxLength || target.size() > MaxLength) return;
    if (menu.size() > MaxLength) return;
    if (texts_.size() + name.size() + path.size() + target.size() + menu.size() > std::numeric_limits<uint32_t>::max())
        return;
    // 0 marks a free slot.
    if (!Remember(std::max<uint64_t>(TargetHash(target.empty() ? path : target), 1))) return;
    // Most names are the file's own name without its extension: read from the path.
    const size_t fileAt = path.find_last_of("\\/") + 1;
    const bool inPath = path.compare(fileAt, name.size(), name) == 0;
    records_.push_back({static_cast<uint32_t>(texts_.size()), static_cast<uint16_t>(inPath ? fileAt : NameApart),
                        static_cast<uint16_t>(name.size()), static_cast<uint16_t>(path.size()),
                        static_cast<uint16_t>(target.size())});
    if (!inPath) texts_.append(name);
    texts_.append(path).append(target);
    if ((runs_.empty() ? std::string_view() : RunMenu(runs_.back())) == menu) return;
    const auto first = static_cast<uint32_t>(records_.size() - 1);
    const auto same = std::find_if(runs_.begin(), runs_.end(), [&](const MenuRun& run) { return RunMenu(run) == menu; });
    if (same != runs_.end()) {
        runs_.push_back({first, same->offset, same->length});
        return;
    }
    runs_.push_back({first, static_cast<uint32_t>(texts_.size()), static_cast<uint16_t>(menu.size())});
    texts_.append(menu);
}

std::string_view QuickCatalog::RunMenu(const MenuRun& run) const
{
    return std::string_view(texts_).substr(run.offset, run.length);
}

std::string_view QuickCatalog::Menu(size_t index) const
{
    (void)records_.at(index);
    const auto after = std::upper_bound(runs_.begin(), runs_.end(), index,
                                        [](size_t k, const MenuRun& run) { return k < run.first; });
    return after == runs_.begin() ? std::string_view() : RunMenu(*std::prev(after));
}

QuickCatalog::QuickCatalog(const QuickCatalog& other)
    : texts_(other.texts_), records_(other.records_), runs_(other.runs_)
{
    size_t slots = 64;
    while (records_.size() * 4 > slots * 3) slots *= 2;
    keys_.assign(slots, 0);
    for (size_t k = 0; k < records_.size(); ++k) Place(std::max<uint64_t>(TargetHash(Target(k)), 1));
}

QuickCatalog& QuickCatalog::operator=(const QuickCatalog& other)
{
    if (this != &other) *this = QuickCatalog(other);
    return *this;
}

void QuickCatalog::Rehash(size_t slots)
{
    const std::vector<uint64_t> old = std::exchange(keys_, std::vector<uint64_t>(slots, 0));
    for (uint64_t key : old)
        if (key) Place(key);
}

bool QuickCatalog::Remember(uint64_t hash)
{
    // Open addressing, at most three quarters full.
    if ((records_.size() + 1) * 4 > keys_.size() * 3) Rehash(keys_.empty() ? 64 : keys_.size() * 2);
    return Place(hash);
}

bool QuickCatalog::Place(uint64_t hash)
{
    const size_t mask = keys_.size() - 1;
    for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        if (keys_[slot] == hash) return false;
        if (!keys_[slot]) {
            keys_[slot] = hash;
            return true;
        }
    }
}

size_t QuickCatalog::Count() const { return records_.size(); }

std::string_view QuickCatalog::Name(size_t index) const
{
    const Record& r = records_.at(index);
    const size_t at = r.nameAt == NameApart ? r.offset : r.offset + r.nameAt;
    return std::string_view(texts_).substr(at, r.nameLength);
}

std::string_view QuickCatalog::Path(size_t index) const
{
    const Record& r = records_.at(index);
    return std::string_view(texts_).substr(PathAt(r), r.pathLength);
}

std::string_view QuickCatalog::Target(size_t index) const
{
    const Record& r = records_.at(index);
    if (!r.targetLength) return Path(index);
    return std::string_view(texts_).substr(PathAt(r) + r.pathLength, r.targetLength);
}

size_t QuickCatalog::PathAt(const Record& r) { return r.offset + (r.nameAt == NameApart ? r.nameLength : 0); }

size_t QuickCatalog::MemoryBytes() const
{
    return sizeof(*this) + texts_.capacity() + records_.capacity() * sizeof(Record) +
           keys_.capacity() * sizeof(uint64_t) + runs_.capacity() * sizeof(MenuRun);
}
