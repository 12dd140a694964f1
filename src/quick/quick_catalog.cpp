// TEMPORARY local stand-in, never committed
#include "quick/quick_catalog.h"
bool MatchesMasks(std::string_view, std::string_view) { return true; }
bool SkippedShortcut(std::string_view, std::string_view) { return false; }
std::string TargetKey(std::string_view path)
{
    std::string k(path);
    for (char& c : k) { if (c == '/') c = '\\'; if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a'); }
    while (!k.empty() && k.back() == '\\') k.pop_back();
    return k;
}
void QuickCatalog::Add(std::string_view n, std::string_view p, std::string_view t)
{ t_.emplace_back(n); t_.emplace_back(p); t_.emplace_back(t.empty() ? p : t); }
size_t QuickCatalog::Count() const { return t_.size() / 3; }
std::string_view QuickCatalog::Name(size_t i) const { return t_[3 * i]; }
std::string_view QuickCatalog::Path(size_t i) const { return t_[3 * i + 1]; }
std::string_view QuickCatalog::Target(size_t i) const { return t_[3 * i + 2]; }
size_t QuickCatalog::MemoryBytes() const { return 0; }
