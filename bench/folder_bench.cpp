// Folder listings for folder menus: how long the worker takes to list folders of many
// files, how long a request for a kept listing holds the asking thread, and the private
// memory a kept listing adds per file; then the user-interface thread's time to open a
// folder entry's submenu once its folder is listed, from its filling through the system
// measuring every item to the submenu painted and the menu idle.
// Usage: folder_bench [files...]   (under Wine, on a display; default 100 1000 5000; the
// folders are made once and kept in the temporary folder)
#include <windows.h>
#include <psapi.h>
#include <shlwapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "config/model.h"
#include "menus/entry_picture_service_win.h"
#include "menus/folder_lister_win.h"
#include "menus/folder_popups_win.h"
#include "menus/menu_images_win.h"
#include "menus/menu_items_win.h"
#include "menus/menus_win.h"
#include "win/command_ids.h"
#include "wine_process.h"
#include "win/text_conversion.h"

namespace {

using Clock = std::chrono::steady_clock;
double Millis(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double PrivateBytes() { return OwnPrivateBytes("folder_bench.exe"); }

// A folder of `count` entries named as users name files: mixed types, numbers, a
// subfolder now and then.
std::wstring MadeFolder(const std::wstring& root, int count)
{
    const std::wstring folder = root + std::to_wstring(count) + L" files";
    const wchar_t* types[] = {L".txt", L".lnk", L".pdf", L".exe", L".url", L".docx", L".jpg"};
    CreateDirectoryW(folder.c_str(), nullptr);
    for (int k = count - 1; k >= 0; --k) {
        std::wstring name = folder + (k % 50 == 7 ? L"\\Project folder " + std::to_wstring(k)
                                                  : L"\\Document of the week " + std::to_wstring(k) + types[k % 7]);
        // Made last to first: once the first exists, the folder is whole.
        if (k == count - 1 && GetFileAttributesW((folder + L"\\Document of the week 0.txt").c_str()) !=
                                  INVALID_FILE_ATTRIBUTES)
            break;
        if (k % 50 == 7) {
            CreateDirectoryW(name.c_str(), nullptr);
            continue;
        }
        UniqueHandle file(
            CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return {};
    }
    return folder;
}

// Milliseconds from the request until the listing is in, or -1.
double ListedWithin(FolderLister& lister, HANDLE woken, const std::string& path,
                    std::shared_ptr<const FolderListing>& listing)
{
    const auto start = Clock::now();
    FolderAnswer answer = lister.Request(path);
    while (answer.state == FolderState::Loading) {
        if (WaitForSingleObject(woken, 60000) != WAIT_OBJECT_0) return -1;
        answer = lister.Listing(path);
    }
    listing = answer.listing;
    return answer.state == FolderState::Listed ? Millis(Clock::now() - start) : -1;
}

// ---- opening a folder submenu ----

// One opening of the submenu as the hidden owner window sees it, in ms from its
// WM_INITMENUPOPUP: filled (the popup's own work), the last WM_MEASUREITEM answered (the
// system sizing the menu), the first and last WM_DRAWITEM (its window made and shown,
// then painted), and the first WM_ENTERIDLE after it shows; with the time spent answering
// the WM_MEASUREITEMs and WM_DRAWITEMs.
struct Opening {
    double filled = 0, measuredUntil = 0, drawnFrom = 0, drawnUntil = 0, idle = 0;
    double measure = 0, draw = 0;
    int measured = 0, drawn = 0;
};

struct Owner {
    FolderPopups* popups = nullptr;
    EntryPictureService* pictures = nullptr;
    HMENU submenu = nullptr;
    bool timing = false;
    bool plain = false;  // the submenu's items are answered at once, as no real popup can
    Clock::time_point opened;
    Opening now;
    double Since(Clock::time_point t) const { return Millis(t - opened); }
};
Owner owner;

LRESULT CALLBACK OwnerProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!owner.popups) return DefWindowProcW(window, msg, wParam, lParam);
    const auto start = Clock::now();
    Opening& now = owner.now;
    switch (msg) {
    case WM_INITMENUPOPUP:
        if (reinterpret_cast<HMENU>(wParam) == owner.submenu) {
            owner.timing = true;
            owner.opened = start;
        }
        owner.popups->Opened(reinterpret_cast<HMENU>(wParam));
        if (owner.timing) now.filled = owner.Since(Clock::now());
        return 0;
    case WM_MEASUREITEM: {
        auto& measure = *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (owner.plain) {
            measure.itemWidth = 200;
            measure.itemHeight = 36;
        }
        const bool done = owner.plain || owner.popups->Measure(measure) ||
                          WMMeasureItem(measure, 0, MenuList, Konfig, MenuDpi()) || MeasureFixedItem(measure);
        if (owner.timing) {
            now.measuredUntil = owner.Since(Clock::now());
            now.measure += Millis(Clock::now() - start);
            ++now.measured;
        }
        return done;
    }
    case WM_DRAWITEM: {
        const auto& draw = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (owner.plain) FillRect(draw.hDC, &draw.rcItem, GetSysColorBrush(COLOR_MENU));
        const bool done = owner.plain || owner.popups->Draw(draw) ||
                          WMDrawItem(draw, 0, MenuList, Konfig, MenuFont(), MenuDpi()) || DrawFixedItem(draw);
        if (owner.timing) {
            if (!now.drawn++) now.drawnFrom = owner.Since(start);
            now.drawnUntil = owner.Since(Clock::now());
            now.draw += Millis(Clock::now() - start);
        }
        return done;
    }
    case WM_ENTERIDLE:
        // Also when the submenu never opened: the opening then reads as none.
        if (owner.timing) now.idle = owner.Since(start);
        owner.timing = false;
        EndMenu();
        return 0;
    case WmFolderListed:
        owner.popups->Listed();
        return 0;
    case WmEntryPicturesReady:
        owner.pictures->PlaceFinished();
        return 0;
    default:
        return DefWindowProcW(window, msg, wParam, lParam);
    }
}

void Pump(DWORD millis)
{
    const DWORD until = GetTickCount() + millis;
    for (DWORD now = GetTickCount(); static_cast<LONG>(until - now) > 0; now = GetTickCount()) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, until - now, QS_ALLINPUT);
    }
}

// Tracks the popup of the menu whose one entry shows the folder, and opens that entry's
// submenu by keys queued before the menu loop takes them: the first WM_ENTERIDLE then
// comes once the submenu is shown and painted.
Opening OpenOnce(HWND window, HMENU popup, FolderPopups& popups)
{
    owner.now = {};
    popups.BeginTracking();
    for (WORD key : {VK_DOWN, VK_RIGHT}) {
        PostMessageW(window, WM_KEYDOWN, key, 1);
        PostMessageW(window, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
    }
    TrackPopupMenuEx(popup, 0, 100, 100, window, nullptr);
    return owner.now;
}

// Opens the submenu `rounds` times, each time after `before`; the median opening, or
// nothing when the submenu did not open.
template <class Before>
std::optional<Opening> Median(HWND window, int rounds, Before before)
{
    std::vector<Opening> openings;
    for (int round = 0; round < rounds; ++round) {
        HMENU popup = before();
        openings.push_back(OpenOnce(window, popup, *owner.popups));
        if (openings.back().idle <= 0) return std::nullopt;
        Pump(50);
    }
    std::sort(openings.begin(), openings.end(), [](const Opening& a, const Opening& b) { return a.idle < b.idle; });
    return openings[openings.size() / 2];
}

// The popup menu of the model's one menu, made again: its folder entry's submenu is
// filled afresh when it opens.
HMENU BuiltPopup()
{
    BuildPopupMenus(MenuDpi());
    owner.submenu = TrayEntryList[0].Folders.at(0).popup;
    return PopupMenuOf(0);
}

// The median openings of the submenu of a folder entry listing `folder`, after the listing
// and the pictures in view are made: the first opening of a popup menu made afresh, and
// another opening of the same; or nothing when it never shows `shown` items.
std::optional<std::pair<Opening, Opening>> MedianOpenings(HWND window, const std::string& folder, size_t shown,
                                                          int rounds)
{
    ReleaseMenus(MenuList);
    TOneMenu& menu = NewMenu(MenuList);
    menu.MenuName = "Folders";
    auto item = std::make_unique<TOneItem>();
    item->Pfad = folder;
    item->Description = "Documents";
    item->FolderMenu = true;
    AddItem(menu, std::move(item));
    TrayEntryList.resize(MenuList.size());
    HMENU popup = BuiltPopup();
    // Filled with "Loading…" until the worker has listed the folder; then the pictures in
    // view are made and placed before anything is timed.
    bool listed = false;
    for (int tries = 0; tries < 50 && !listed; ++tries) {
        (void)OpenOnce(window, popup, *owner.popups);
        // "Open folder", a separator, the first page and, for a larger folder, "More".
        const size_t page = std::min(shown, FolderPopups::PageSize) + (shown > FolderPopups::PageSize ? 1 : 0);
        listed = static_cast<size_t>(GetMenuItemCount(owner.submenu)) == page + 2;
        Pump(listed ? 1000 : 200);
    }
    std::optional<Opening> first, again;
    if (listed) first = Median(window, rounds, BuiltPopup);
    if (first) again = Median(window, rounds, [] { return PopupMenuOf(0); });
    DestroyMenus();
    if (!again) return std::nullopt;
    return std::pair{*first, *again};
}

// The system's own share: the same opening of a submenu of `count` owner-drawn items that
// are sized and painted at once.
std::optional<Opening> PlainOpening(HWND window, int count, int rounds)
{
    const UniqueMenu popup(CreatePopupMenu());
    HMENU plain = CreatePopupMenu();
    for (int k = 0; k < count; ++k) AppendMenuW(plain, MF_OWNERDRAW, static_cast<UINT_PTR>(k + 1), nullptr);
    AppendMenuW(popup.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(plain), L"Plain");
    owner.submenu = plain;
    owner.plain = true;
    const std::optional<Opening> median = Median(window, rounds, [&] { return popup.get(); });
    owner.plain = false;
    return median;
}

struct Listed {
    int count;
    std::string path;
    size_t shown;
};

// Prints the openings of the listed folders' submenus; returns how many did not open.
int OpenSubmenus(const std::vector<Listed>& listedFolders)
{
    // The submenus as the program shows them with its default options, in its popups.
    Konfig.IconSize = 32;
    Konfig.MenuBreakIfPossible = true;
    WNDCLASSW type{};
    type.lpfnWndProc = OwnerProc;
    type.hInstance = GetModuleHandleW(nullptr);
    type.lpszClassName = L"MgwFolderBenchOwner";
    RegisterClassW(&type);
    const UniqueWindow window(
        CreateWindowExW(0, type.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, type.hInstance, nullptr));
    auto pictures = std::make_shared<EntryPictures>();
    pictures->ImgIconLeer.reset(CopyIcon(LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION))));
    pictures->ImgIconSeparator.reset(CopyIcon(LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION))));
    auto service = std::make_shared<EntryPictureService>(pictures, ProgramPictureSource(), [w = window.get()] {
        return PostMessageW(w, WmEntryPicturesReady, 0, 0) != FALSE;
    });
    NewMenuImages = MakeMenuImagesFactory(service);
    std::vector<std::pair<int, Opening>> opened;
    int failed = 0;
    const auto asking = Clock::now();
    for (int k = 0; k < 1000; ++k) (void)GetSystemMetrics(SM_CXSCREEN);
    std::printf("one GetSystemMetrics call takes %.1f us here\n", Millis(Clock::now() - asking));
    {
        FolderPopups popups(FolderPopups::Host{window.get(), service, {}, {}});
        owner.popups = &popups;
        owner.pictures = service.get();
        for (const Listed& folder : listedFolders) {
            const auto o = MedianOpenings(window.get(), folder.path, folder.shown, 7);
            const std::optional<Opening> floor = PlainOpening(window.get(), static_cast<int>(folder.shown) + 2, 7);
            if (!o || !floor) {
                std::printf("%5d files: the submenu did not open with the listing\n", folder.count);
                ++failed;
                continue;
            }
            opened.push_back({folder.count, o->first});
            std::printf("%5d files: submenu opened in %.1f ms of the UI thread (median of 7), opened again %.1f; a "
                        "plain submenu of as many owner-drawn items %.1f (sized by the system %.1f)\n",
                        folder.count, o->first.idle, o->second.idle, floor->idle, floor->measuredUntil - floor->filled);
            for (const Opening* p : {&o->first, &o->second})
                std::printf("             %s: filled %.1f; sized by the system %.1f (%d WM_MEASUREITEM answered in "
                            "%.1f); shown %.1f; painted %.1f (%d WM_DRAWITEM answered in %.1f); idle after %.1f\n",
                            p == &o->first ? "first" : "again", p->filled, p->measuredUntil - p->filled, p->measured,
                            p->measure, p->drawnFrom - p->measuredUntil, p->drawnUntil - p->drawnFrom, p->drawn,
                            p->draw, p->idle - p->drawnUntil);
        }
        owner.popups = nullptr;
    }
    for (size_t k = 1; k < opened.size(); ++k)
        std::printf("             %d files take %.1fx the time of %d\n", opened[k].first,
                    opened[k].second.idle / opened[0].second.idle, opened[0].first);
    ReleaseMenus(MenuList);
    service->Stop();
    NewMenuImages = nullptr;
    return failed;
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<int> counts;
    for (int k = 1; k < argc; ++k) counts.push_back(std::atoi(argv[k]));
    if (counts.empty()) counts = {100, 1000, 5000};
    std::wstring root(MAX_PATH, L'\0');
    root.resize(GetTempPathW(MAX_PATH, root.data()));
    root += L"mgw-folder-bench\\";
    CreateDirectoryW(root.c_str(), nullptr);
    CreateDirectoryW((root + L"empty").c_str(), nullptr);
    const UniqueHandle woken(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    int failed = 0;
    std::vector<Listed> listedFolders;
    for (int count : counts) {
        const std::wstring folder = MadeFolder(root, count);
        if (folder.empty()) {
            std::fprintf(stderr, "the folder of %d files could not be made\n", count);
            return 1;
        }
        const std::string path = Utf8(folder);
        std::vector<double> times;
        std::shared_ptr<const FolderListing> listing;
        double perFile = 0, ownPerFile = 0, requestMicros = 0;
        for (int round = 0; round < 5; ++round) {
            FolderLister lister([&] { SetEvent(woken.get()); });
            // An empty folder first: the worker, its reading thread and the libraries are in
            // place before memory is measured.
            std::shared_ptr<const FolderListing> none;
            (void)ListedWithin(lister, woken.get(), Utf8(root) + "empty", none);
            Sleep(100);
            const double before = PrivateBytes();
            const double ms = ListedWithin(lister, woken.get(), path, listing);
            if (ms < 0) {
                ++failed;
                break;
            }
            times.push_back(ms);
            Sleep(100);
            perFile = (PrivateBytes() - before) / static_cast<double>(listing->Count());
            ownPerFile = static_cast<double>(listing->Bytes()) / static_cast<double>(listing->Count());
            const auto asking = Clock::now();
            for (int k = 0; k < 1000; ++k) (void)lister.Request(path);
            requestMicros = Millis(Clock::now() - asking);
        }
        if (times.empty()) {
            std::printf("%5d files: not listed\n", count);
            continue;
        }
        listedFolders.push_back({count, path, listing->Count()});
        // The ordering alone, from the reverse of the shown order.
        FolderListing reversed;
        for (size_t k = listing->Count(); k-- > 0;) reversed.Add(listing->Name(k), listing->IsFolder(k), false, false);
        const auto ordering = Clock::now();
        reversed.Order(ShellOrder);
        const double orderMs = Millis(Clock::now() - ordering);
        // Skipping the names' shared beginnings must not change the order StrCmpLogicalW gives.
        size_t misplaced = 0;
        for (size_t k = 1; k < listing->Count(); ++k)
            if (listing->IsFolder(k - 1) == listing->IsFolder(k) &&
                StrCmpLogicalW(Wide(listing->Name(k - 1)).c_str(), Wide(listing->Name(k)).c_str()) > 0)
                ++misplaced;
        failed += misplaced > 0;
        std::sort(times.begin(), times.end());
        std::printf("%5d files: listed in %.1f ms (median of %zu; fastest %.1f, slowest %.1f), %zu shown\n", count,
                    times[times.size() / 2], times.size(), times.front(), times.back(), listing->Count());
        std::printf("             of which putting them in the shell's order %.1f ms (%zu out of order)\n", orderMs,
                    misplaced);
        std::printf("             private memory %.0f bytes per file (the listing's own %.0f); a kept listing "
                    "answers a request in %.1f us\n",
                    perFile, ownPerFile, requestMicros);
    }
    failed += OpenSubmenus(listedFolders);
    return failed ? 1 : 0;
}
