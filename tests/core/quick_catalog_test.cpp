// The quick-launch catalog's rules: file masks, skipped shortcuts, target keys, and the
// catalog keeping one result per target.
#include "quick/quick_catalog.h"

#include <gtest/gtest.h>

TEST(QuickCatalog, MasksMatchWildcardsInAnyCaseAndSkipBlanks)
{
    const struct { const char* file; const char* masks; bool matches; } cases[] = {
        {"Tool.EXE", "*.exe;*.lnk", true},     {"Tool.lnk", " *.exe ; *.lnk ", true},
        {"Tool.exe.txt", "*.exe", false},      {"a.b.exe", "*.exe", true},
        {"report1.pdf", "report?.pdf", true},  {"report12.pdf", "report?.pdf", false},
        {"x", "", false},                      {"x", " ; ", false},
        {"Setup-x64.msi", "set*-*.MSI", true}, {"abcabd", "*abd", true},
        {"Ärger.exe", "ä*.exe", false},        {"Ärger.exe", "Ä*.exe", true},
        {"noext", "*.*", false},               {"anything", "*", true},
    };
    for (const auto& c : cases) EXPECT_EQ(MatchesMasks(c.file, c.masks), c.matches) << c.file << " " << c.masks;
}

TEST(QuickCatalog, UninstallersAndReadingMatterAreSkippedByNameOrTarget)
{
    const struct { const char* name; const char* target; bool skipped; } cases[] = {
        {"Uninstall Foo", "foo.exe", true},       {"Foo Uninstaller", "foo.exe", true},
        {"Foo", "unins000.exe", true},            {"Foo", "Uninstall.exe", true},
        {"Remove Foo", "x.exe", true},            {"Foo Help", "foo.exe", true},
        {"Foo", "foo.chm", true},                 {"Read me", "x.exe", true},
        {"Foo", "README", true},                  {"Release Notes", "foo.exe", true},
        {"Foo on the Web", "", true},             {"Foo Website", "", true},
        {"Foo", "Manual.PDF", true},              {"Foo", "index.html", true},
        {"Foo", "foo.exe", false},                {"HelpNDoc", "helpndoc.exe", false},
        {"Removal Tool", "rt.exe", false},        {"Webster", "webster.exe", false},
        {"Paint", "", false},                     {"Ménage", "menage.exe", false},
    };
    for (const auto& c : cases) EXPECT_EQ(SkippedShortcut(c.name, c.target), c.skipped) << c.name << " " << c.target;
}

TEST(QuickCatalog, KeepsOneResultPerTargetWithItsTextsIntact)
{
    EXPECT_EQ(TargetKey("C:/Program Files/Foo/"), "c:\\program files\\foo");
    EXPECT_EQ(TargetKey("D:\\ÄBC\\x.EXE"), "d:\\Äbc\\x.exe");

    QuickCatalog catalog;
    const struct { const char* name; const char* path; const char* target; bool kept; const char* menu = ""; } adds[] = {
        {"Foo", "C:\\sm\\Foo.lnk", "C:\\Apps\\foo.exe", true},
        {"Foo again", "C:\\sm\\Foo2.lnk", "c:/apps/FOO.exe", false, "Tools"},
        {"foo.exe", "C:\\Apps\\foo.exe", "", false},
        {"Редактор", "C:\\sm\\Редактор.lnk", "C:\\Apps\\редактор.exe", true, "Инструменты"},
        {"редактор", "C:\\Apps\\редактор.exe", "", false},
        {"Site", "C:\\sm\\Site.url", "", true},
        {"Site", "C:\\sm\\Site.url\\", "", false},
        {"Bar", "C:\\Apps\\bar.exe", "C:\\Apps\\bar.exe", true},
        {"x.bat", "C:\\w\\x.bat", "", true, "Инструменты"},
    };
    std::vector<size_t> kept;
    for (size_t k = 0; k < std::size(adds); ++k) {
        const size_t before = catalog.Count();
        catalog.Add(adds[k].name, adds[k].path, adds[k].target, adds[k].menu);
        EXPECT_EQ(catalog.Count() > before, adds[k].kept) << adds[k].name;
        if (catalog.Count() > before) kept.push_back(k);
    }
    // Many more, to make the key table grow and keep what it held.
    for (int n = 0; n < 3000; ++n) catalog.Add("n", "C:\\many\\" + std::to_string(n % 2000) + ".exe");
    ASSERT_EQ(catalog.Count(), kept.size() + 2000);
    catalog.Add("Foo third", "C:\\x.lnk", "C:\\APPS\\foo.exe");
    EXPECT_EQ(catalog.Count(), kept.size() + 2000);

    for (size_t r = 0; r < kept.size(); ++r) {
        const auto& a = adds[kept[r]];
        EXPECT_EQ(catalog.Name(r), a.name);
        EXPECT_EQ(catalog.Path(r), a.path);
        EXPECT_EQ(catalog.Target(r), *a.target ? a.target : a.path);
        EXPECT_EQ(catalog.Menu(r), a.menu);
    }
    EXPECT_EQ(catalog.Path(kept.size() + 1999), "C:\\many\\1999.exe");
    const QuickCatalog copy = catalog;
    EXPECT_EQ(copy.Name(3), "Bar");
    EXPECT_EQ(copy.Menu(4), "Инструменты");
    EXPECT_LT(copy.MemoryBytes(), 2010u * 60);
}

TEST(QuickCatalog, FolderMenusAreFoundOncePerFolderAndNoneBehindAMenuThatFollowsAFolder)
{
    TMenuList menus;
    for (const auto& [name, folder, item, shows] : {std::tuple{"Tools", "", "C:\\Work\\", true},
         {"Notes", "", "C:\\Notes", false}, {"Docs", "%DOCS%", "C:\\Hidden", true}, {"Again", "", "c:/work", true}}) {
        TOneMenu& menu = NewMenu(menus, nullptr);
        menu.MenuName = name, menu.MenuFolder = folder;
        menu.Items.push_back(std::make_unique<TOneItem>(TOneItem{item}));
        menu.Items.back()->FolderMenu = shows;
    }
    EXPECT_EQ(FolderMenuSources(menus), (std::vector<FolderMenuSource>{{"Tools", "C:\\Work\\"}, {"Docs", "%DOCS%"}}));
    EXPECT_EQ(ResultPlace("Диск", "D:\\файл.txt"), "Диск \u203A D:\\") << "a drive's root has no name of its own";
}
