// Folder listings for folder menus: how long the worker takes to list folders of many
// files, how long a request for a kept listing holds the asking thread, and the private
// memory a kept listing adds per file.
// Usage: folder_bench [files...]   (under Wine; default 100 1000 5000; the folders are
// made once and kept in the temporary folder)
#include <windows.h>
#include <psapi.h>
#include <shlwapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "menus/folder_lister_win.h"
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
    return failed ? 1 : 0;
}
