// A folder menu's order: folders first, then files, by the passed comparison; hidden and
// system entries left out.
#include "menus/folder_listing.h"

#include <gtest/gtest.h>

#include <cctype>

namespace {

// Digit runs as numbers, other bytes without ASCII case: enough of the shell's order to
// tell it from plain byte order.
int Natural(std::string_view a, std::string_view b)
{
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (std::isdigit(static_cast<unsigned char>(a[i])) && std::isdigit(static_cast<unsigned char>(b[j]))) {
            size_t ei = i, ej = j;
            while (ei < a.size() && std::isdigit(static_cast<unsigned char>(a[ei]))) ++ei;
            while (ej < b.size() && std::isdigit(static_cast<unsigned char>(b[ej]))) ++ej;
            const unsigned long x = std::stoul(std::string(a.substr(i, ei - i)));
            const unsigned long y = std::stoul(std::string(b.substr(j, ej - j)));
            if (x != y) return x < y ? -1 : 1;
            i = ei, j = ej;
            continue;
        }
        const int x = std::tolower(static_cast<unsigned char>(a[i++]));
        const int y = std::tolower(static_cast<unsigned char>(b[j++]));
        if (x != y) return x < y ? -1 : 1;
    }
    return (a.size() - i > 0) - (b.size() - j > 0);
}

struct Found {
    const char* name;
    bool folder, hidden, system;
};

struct Case {
    const char* what;
    std::vector<Found> found;
    std::vector<std::string> shown;  // ShownName in order; a trailing "/" marks a folder, "@" a shortcut
};

const Case Cases[] = {
    {"folders before files, numbers as numbers",
     {{"file10.txt", 0, 0, 0}, {"Zeta", 1, 0, 0}, {"file2.txt", 0, 0, 0}, {"alpha", 1, 0, 0}, {"File1.txt", 0, 0, 0}},
     {"alpha/", "Zeta/", "File1.txt", "file2.txt", "file10.txt"}},
    {"hidden and system entries and the dots left out",
     {{".", 1, 0, 0}, {"..", 1, 0, 0}, {"desktop.ini", 0, 1, 1}, {"Secret", 1, 1, 0}, {"pagefile.sys", 0, 0, 1},
      {"kept.doc", 0, 0, 0}},
     {"kept.doc"}},
    {"shortcuts named without extension, folders never shortcuts",
     {{"Editor.LNK", 0, 0, 0}, {"Home page.url", 0, 0, 0}, {"old.pif", 0, 0, 0}, {"links.lnk", 1, 0, 0},
      {".lnk", 0, 0, 0}, {"readme.lnk.txt", 0, 0, 0}},
     {"links.lnk/", ".lnk", "Editor@", "Home page@", "old@", "readme.lnk.txt"}},
    {"Unicode names kept whole, names alike in a fixed order",
     {{"Журнал 12", 0, 0, 0}, {"Журнал 3", 0, 0, 0}, {"Ωmega", 1, 0, 0}, {"e\xCC\x81t\xC3\xA9", 0, 0, 0},
      {"B", 0, 0, 0}, {"b", 0, 0, 0}},
     {"Ωmega/", "B", "b", "e\xCC\x81t\xC3\xA9", "Журнал 3", "Журнал 12"}},
    {"nothing shown", {{"thumbs.db", 0, 1, 1}}, {}},
};

}  // namespace

TEST(FolderListing, OrdersFoldersFirstByTheGivenComparisonAndLeavesOutHiddenEntries)
{
    for (const Case& c : Cases) {
        FolderListing listing;
        for (const Found& f : c.found) listing.Add(f.name, f.folder, f.hidden, f.system);
        listing.Order(Natural);
        std::vector<std::string> shown;
        for (size_t k = 0; k < listing.Count(); ++k) {
            shown.emplace_back(listing.ShownName(k));
            if (listing.IsFolder(k)) shown.back() += '/';
            if (listing.IsShortcut(k)) shown.back() += '@';
            EXPECT_EQ(listing.Name(k).substr(0, listing.ShownName(k).size()), listing.ShownName(k)) << c.what;
        }
        EXPECT_EQ(shown, c.shown) << c.what;
        EXPECT_EQ(listing.State(), c.shown.empty() ? FolderState::Empty : FolderState::Listed) << c.what;
    }
}
