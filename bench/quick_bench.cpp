// The quick-launch box with many entries: the time from a typed key to the list drawn
// again (ranking plus the repaint of the rows in view), against one 16.7 ms frame; then
// the same with a catalog of shortcuts and a learned history beside the entries.
// Usage: quick_bench [entries] [rounds] [catalog]   (under Wine, on a display)
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "config/model.h"
#include "menus/menu_images_win.h"
#include "quick/quick_box_win.h"
#include "quick/quick_history_win.h"
#include "win/text_conversion.h"

namespace {

constexpr double FrameMs = 1000.0 / 60;

// Names built from words, so that letters recur the way they do in real menus.
void MakeModel(int entries)
{
    static const char* const vendors[] = {"Adobe", "Microsoft", "Mozilla", "GNU", "Oracle", "Valve", "Corel", "Sun"};
    static const char* const products[] = {"Word", "Excel", "Photo Editor", "Firefox", "Image Manipulation",
                                           "Virtual Box", "Steam", "Draw", "Office Writer", "Terminal"};
    ReleaseMenus(MenuList);
    const int perMenu = 1000;
    for (int at = 0; at < entries; at += perMenu) {
        TOneMenu& menu = NewMenu(MenuList);
        menu.MenuName = "Menu " + std::to_string(at / perMenu + 1);
        for (int j = 0; j < perMenu && at + j < entries; ++j) {
            const int n = at + j;
            auto item = std::make_unique<TOneItem>();
            item->Description = std::string(vendors[n % 8]) + " " + products[(n / 8) % 10] + " " + std::to_string(n);
            item->Pfad = "C:\\Program Files\\" + std::string(vendors[n % 8]) + "\\app" + std::to_string(n) + ".exe";
            AddItem(menu, std::move(item));
        }
    }
}

double Ms(std::chrono::steady_clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

std::string ToolPath(int n) { return "C:\\Program Files\\Vendor " + std::to_string(n / 100) + "\\tool" + std::to_string(n) + ".exe"; }

// Shortcuts named like programs, in folders like a Start menu's, each starting its own file.
std::shared_ptr<const QuickCatalog> MakeCatalog(int results)
{
    static const char* const words[] = {"Report", "Studio", "Viewer", "Editor", "Manager", "Player", "Console",
                                        "Monitor", "Designer", "Converter", "Backup", "Browser", "Mail"};
    auto catalog = std::make_shared<QuickCatalog>();
    for (int n = 0; n < results; ++n) {
        const std::string name = std::string(words[n % 13]) + " " + words[(n / 13) % 13] + " " + std::to_string(n);
        const std::string folder =
            "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Vendor " + std::to_string(n / 100) + "\\";
        catalog->Add(name, folder + name + ".lnk", ToolPath(n));
    }
    return catalog;
}

struct Figures {
    double openMs = 0, mean = 0, median = 0, worst = 0, update = 0;
    size_t keystrokes = 0;
};

// Typed words, each then taken back key by key: every keystroke ranks and repaints.
Figures Measure(QuickBox& box, int rounds)
{
    HWND edit = FindWindowExW(box.Handle(), nullptr, L"Edit", nullptr);
    HWND list = FindWindowExW(box.Handle(), nullptr, L"MgwQuickList", nullptr);
    const std::wstring words[] = {L"word", L"office writer", L"fire 12", L"gimp", L"msw3", L"rep", L"stud vi"};
    std::vector<double> keys;
    Figures f;
    double updateMs = 0;
    for (int round = 0; round < rounds; ++round) {
        auto start = std::chrono::steady_clock::now();
        box.Open();
        UpdateWindow(list);
        f.openMs = std::max(f.openMs, Ms(std::chrono::steady_clock::now() - start));
        for (const std::wstring& word : words) {
            for (size_t k = 0; k < 2 * word.size(); ++k) {
                const wchar_t c = k < word.size() ? word[k] : L'\b';
                start = std::chrono::steady_clock::now();
                SendMessageW(edit, WM_CHAR, c, 1);
                const auto ranked = std::chrono::steady_clock::now();
                UpdateWindow(list);
                keys.push_back(Ms(std::chrono::steady_clock::now() - start));
                updateMs += Ms(ranked - start);
            }
        }
        box.Close();
    }
    std::sort(keys.begin(), keys.end());
    double sum = 0;
    for (double k : keys) sum += k;
    f.keystrokes = keys.size();
    f.mean = sum / static_cast<double>(keys.size());
    f.median = keys[keys.size() / 2];
    f.worst = keys.back();
    f.update = updateMs / static_cast<double>(keys.size());
    return f;
}

void Print(const std::string& what, const Figures& f)
{
    std::printf("%s, %zu keystrokes: open %.1f ms; per keystroke mean %.2f ms, median %.2f ms, worst %.2f ms\n",
                what.c_str(), f.keystrokes, f.openMs, f.mean, f.median, f.worst);
    std::printf("  of that, the typed key until the list knows its rows: mean %.2f ms\n", f.update);
    std::printf("  as a share of a 16.7 ms frame: mean %.2f, worst %.2f\n", f.mean / FrameMs, f.worst / FrameMs);
}

}  // namespace

int main(int argc, char** argv)
{
    const int entries = argc > 1 ? std::atoi(argv[1]) : 5000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
    const int results = argc > 3 ? std::atoi(argv[3]) : 20000;

    // The entries' pictures come from the program's store, as in the running program;
    // rows not made yet show the placeholder.
    auto pictures = std::make_shared<EntryPictures>();
    pictures->ImgIconLeer.reset(CopyIcon(LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION))));
    pictures->ImgIconSeparator.reset(CopyIcon(LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION))));
    auto service = std::make_shared<EntryPictureService>(pictures, ProgramPictureSource(), [] { return true; });
    NewMenuImages = MakeMenuImagesFactory(service);
    MakeModel(entries);

    std::unique_ptr<QuickBox> box = QuickBox::Create(nullptr, [](int, int, bool) {});
    if (!box) {
        std::fprintf(stderr, "the box could not be made\n");
        return 1;
    }
    const Figures menusOnly = Measure(*box, rounds);

    // The same box finding a catalog too, with starts learned.
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::string historyFile = Utf8(temp) + "quick_bench-history.ini";
    DeleteFileW(Wide(historyFile).c_str());
    auto history = std::make_unique<HistoryStore>(historyFile, AsciiCaseFold);
    const auto catalog = MakeCatalog(results);
    // As people pick: the name's first letters or its initials, for a thousand results.
    for (int n = 0; n < 2000; ++n) {
        const size_t r = static_cast<size_t>(n / 2 * 19 % results);
        const std::string name(catalog->Name(r));
        const std::string typed = n % 2 ? name.substr(0, 3) : std::string{name[0], name[name.find(' ') + 1]};
        history->Record(typed, TargetKey(catalog->Target(r)));
    }
    QuickBox::Services services;
    services.history = history.get();
    services.catalog = [catalog] { return catalog; };
    services.pictures = service;
    box->SetServices(std::move(services));
    const Figures withCatalog = Measure(*box, rounds);

    // The ranking alone, on the same texts and keystrokes.
    QuickMatcher matcher;
    for (const auto& menu : MenuList)
        for (const auto& item : menu->Items) matcher.Add(item->Description, item->Pfad);
    std::vector<QuickHit> hits;
    double rankMs = 0;
    int rankings = 0;
    for (const std::wstring word : {L"word", L"office writer", L"fire 12", L"gimp", L"msw3"}) {
        for (size_t k = 1; k <= word.size(); ++k, ++rankings) {
            const std::string typed(word.begin(), word.begin() + static_cast<std::ptrdiff_t>(k));
            const auto start = std::chrono::steady_clock::now();
            matcher.Rank(typed, hits);
            rankMs += Ms(std::chrono::steady_clock::now() - start);
        }
    }
    std::printf("  ranking alone (no narrowing from the last hits): mean %.2f ms\n", rankMs / rankings);
    const std::string menus = "quick box, " + std::to_string(entries) + " entries";
    Print(menus, menusOnly);
    Print(menus + " + " + std::to_string(results) + " catalog results, 2000 learned starts", withCatalog);
    std::printf("  catalog and history against entries alone: mean %.2fx, worst %.2fx, open %.2fx\n",
                withCatalog.mean / menusOnly.mean, withCatalog.worst / menusOnly.worst,
                withCatalog.openMs / menusOnly.openMs);
    box.reset();
    history.reset();
    DeleteFileW(Wide(historyFile).c_str());
    service->Stop();
    ReleaseMenus(MenuList);
    NewMenuImages = nullptr;
    return 0;
}
