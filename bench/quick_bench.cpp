// The quick-launch box with many entries: the time from a typed key to the list drawn
// again (ranking plus the repaint of the rows in view), against one 16.7 ms frame.
// Usage: quick_bench [entries] [rounds]   (under Wine, on a display)
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

}  // namespace

int main(int argc, char** argv)
{
    const int entries = argc > 1 ? std::atoi(argv[1]) : 5000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;

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
    HWND edit = FindWindowExW(box->Handle(), nullptr, L"Edit", nullptr);
    HWND list = FindWindowExW(box->Handle(), nullptr, L"MgwQuickList", nullptr);
    // Typed words, each then taken back key by key: every keystroke ranks and repaints.
    const std::wstring words[] = {L"word", L"office writer", L"fire 12", L"gimp", L"msw3"};
    std::vector<double> keys;
    double openMs = 0, updateMs = 0;
    for (int round = 0; round < rounds; ++round) {
        auto start = std::chrono::steady_clock::now();
        box->Open();
        UpdateWindow(list);
        openMs = std::max(openMs, Ms(std::chrono::steady_clock::now() - start));
        for (const std::wstring& word : words) {
            std::wstring typed = word;
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
        box->Close();
    }
    // The ranking alone, on the same texts and keystrokes.
    QuickMatcher matcher;
    for (const auto& menu : MenuList)
        for (const auto& item : menu->Items) matcher.Add(item->Description, item->Pfad);
    std::vector<QuickHit> hits;
    double rankMs = 0;
    int rankings = 0;
    for (const std::wstring& word : words) {
        for (size_t k = 1; k <= word.size(); ++k, ++rankings) {
            const std::string typed(word.begin(), word.begin() + static_cast<std::ptrdiff_t>(k));
            const auto start = std::chrono::steady_clock::now();
            matcher.Rank(typed, hits);
            rankMs += Ms(std::chrono::steady_clock::now() - start);
        }
    }
    std::printf("  ranking alone (no narrowing from the last hits): mean %.2f ms\n", rankMs / rankings);
    service->Stop();
    std::sort(keys.begin(), keys.end());
    double sum = 0;
    for (double k : keys) sum += k;
    const double mean = sum / static_cast<double>(keys.size());
    const double median = keys[keys.size() / 2], worst = keys.back();
    std::printf("quick box, %d entries, %zu keystrokes: open %.1f ms; per keystroke mean %.2f ms, median %.2f ms, "
                "worst %.2f ms\n",
                entries, keys.size(), openMs, mean, median, worst);
    std::printf("  of that, the typed key until the list knows its rows: mean %.2f ms\n",
                updateMs / static_cast<double>(keys.size()));
    std::printf("  as a share of a 16.7 ms frame: mean %.2f, worst %.2f\n", mean / FrameMs, worst / FrameMs);
    ReleaseMenus(MenuList);
    NewMenuImages = nullptr;
    return 0;
}
