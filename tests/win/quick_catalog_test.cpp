// The quick-launch catalog built on its worker from real shortcuts, kept current as the
// folders change, and ended at once.
#include "driver.h"
#include "drop_support.h"
#include "quick/quick_catalog_win.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>

namespace {

using Results = std::map<std::string, std::string>;  // name: target, and " in " its menu if any

Results ResultsOf(const CatalogService& service)
{
    Results results;
    const auto catalog = service.Now();
    for (size_t k = 0; k < catalog->Count(); ++k)
        results[std::string(catalog->Name(k))] =
            std::string(catalog->Target(k)).append(catalog->Menu(k).empty() ? "" : " in ").append(catalog->Menu(k));
    return results;
}

// Milliseconds until the catalog holds `wanted`, or -1 after 10 s.
long WaitFor(const CatalogService& service, const Results& wanted)
{
    const auto start = std::chrono::steady_clock::now();
    for (int k = 0; k < 500; ++k) {
        if (ResultsOf(service) == wanted)
            return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                         std::chrono::steady_clock::now() - start).count());
        Sleep(20);
    }
    std::string held;
    for (const auto& [name, target] : ResultsOf(service)) held += "\n  " + name + ": " + target;
    ADD_FAILURE() << "the catalog still holds" << held;
    return -1;
}

}  // namespace

TEST(QuickCatalogService, FindsProgramsOnceSkipsReadingMatterAndFollowsTheFolders)
{
    auto folder = TempFolder::Create();
    ASSERT_TRUE(folder);
    const std::string sm = folder->File("sm\\"), apps = folder->File("apps\\"), user = folder->File("user\\");
    for (const char* dir : {"sm", "sm\\Sub", "sm\\Sub\\Deeper", "apps", "user", "user\\a", "user\\a\\b", "extra"})
        ASSERT_TRUE(CreateDirectoryW(Wide(folder->File(dir)).c_str(), nullptr)) << dir;
    for (const char* file : {"apps\\alpha.exe", "apps\\beta.exe", "apps\\unins000.exe", "apps\\guide.chm",
                             "apps\\Редактор.exe", "apps\\delta.exe", "sm\\Gamma.exe", "sm\\notes.txt",
                             "user\\tool.exe", "user\\a\\deep.exe", "user\\a\\b\\deeper.exe", "user\\doc.pdf",
                             "user\\x.txt", "user\\unins001.exe", "extra\\extra.exe"})
        ASSERT_TRUE(folder->Write(file, "MZ")) << file;
    ASSERT_TRUE(folder->Write("sm\\Home page.url", "[InternetShortcut]\r\nURL=http://example.com/\r\n"));
    const std::pair<const char*, const char*> links[] = {
        {"Alpha", "alpha.exe"},   {"Sub\\Beta", "beta.exe"},    {"Uninstall Alpha", "unins000.exe"},
        {"Alpha Guide", "guide.chm"}, {"Sub\\Alpha again", "alpha.exe"}, {"Редактор", "Редактор.exe"}};
    for (const auto& [link, target] : links)
        ASSERT_TRUE(MakeLink(sm + link + ".lnk", {apps + target})) << link;

    Results wanted = {{"Alpha", apps + "alpha.exe"},     {"Beta", apps + "beta.exe"},
                      {"Редактор", apps + "Редактор.exe"}, {"Home page", sm + "Home page.url"},
                      {"Gamma", sm + "Gamma.exe"},       {"tool", user + "tool.exe"},
                      {"deep", user + "a\\deep.exe"},    {"doc", user + "doc.pdf"},
                      {"extra", folder->File("extra\\extra.exe")}};
    // A folder that is not there is passed over.
    const QuickFolder missing{folder->File("missing"), 1, "*.exe"}, extra{folder->File("extra"), 0, "*.exe"};
    std::atomic<int> wakes{0};
    auto service = std::make_unique<CatalogService>(std::vector<std::string>{sm},
                                                    std::vector<QuickFolder>{{user, 1, "*.exe; *.PDF"}, missing, extra},
                                                    [&] { ++wakes; });
    EXPECT_GE(WaitFor(*service, wanted), 0);
    EXPECT_GT(wakes.load(), 0);

    // A new shortcut deep down, one taken away: both seen within a few seconds.
    ASSERT_TRUE(MakeLink(sm + "Sub\\Deeper\\Delta.lnk", {apps + "delta.exe"}));
    ASSERT_TRUE(DeleteFileW(Wide(sm + "Sub\\Beta.lnk").c_str()));
    wanted["Delta"] = apps + "delta.exe";
    wanted.erase("Beta");
    const long seen = WaitFor(*service, wanted);
    EXPECT_GE(seen, 0);
    EXPECT_LT(seen, 5000);

    // Other folder settings: deeper down, other masks; the folders kept keep their results.
    service->SetFolders({extra, missing, {user, 2, "*.exe"}});
    wanted.erase("doc");
    wanted["deeper"] = user + "a\\b\\deeper.exe";
    EXPECT_GE(WaitFor(*service, wanted), 0);
    // The kept folder is still watched as the folder it now is.
    ASSERT_TRUE(folder->Write("extra\\more.exe", "MZ"));
    wanted["more"] = folder->File("extra\\more.exe");
    EXPECT_GE(WaitFor(*service, wanted), 0);

    // A menu shows the programs' folder: every file of it not found before, then renamed.
    for (const char* menu : {"Папки", "Bins"}) {
        service->SetFolderMenus({{menu, apps}});
        for (const char* file : {"beta.exe", "unins000.exe", "guide.chm"}) wanted[file] = apps + file + " in " + menu;
        EXPECT_GE(WaitFor(*service, wanted), 0);
    }

    const auto start = std::chrono::steady_clock::now();
    service.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
    EXPECT_FALSE(CatalogService::AnyLeftRunning());

    // The prefix's own Start menu: the user's and all users' Programs folders.
    const std::vector<std::string> startMenu = StartMenuFolders();
    EXPECT_EQ(startMenu.size(), 2u);
    for (const std::string& programs : startMenu) EXPECT_NE(programs.find("Programs"), std::string::npos) << programs;
}
