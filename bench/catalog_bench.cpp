// The quick-launch catalog over many real shortcuts: the time its worker takes until the
// last catalog is out, and the private memory the catalog adds while it is kept.
// Usage: catalog_bench [shortcuts] [folders]   (under Wine; the shortcuts are made once
// and kept in the temporary folder)
#include <windows.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "quick/quick_catalog_win.h"
#include "synthetic_links.h"
#include "wine_process.h"
#include "win/text_conversion.h"

namespace {

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

double PrivateBytes() { return OwnPrivateBytes("catalog_bench.exe"); }

}  // namespace

int main(int argc, char** argv)
{
    const int count = argc > 1 ? std::atoi(argv[1]) : 20000;
    const int folders = argc > 2 ? std::atoi(argv[2]) : 200;
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    const std::wstring root = synthetic_links::Shortcuts(count, folders);
    if (root.empty()) {
        std::fprintf(stderr, "the shortcuts could not be made\n");
        return 1;
    }
    UniqueHandle woken(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    // Once over a small folder first, so that the shell's libraries and COM are loaded
    // before memory is measured, as they are in the running program.
    {
        CatalogService warm({Utf8(root) + "Vendor 0"}, {}, [] {});
        for (int k = 0; k < 200 && warm.Now()->Count() == 0; ++k) Sleep(10);
    }
    // What a worker costs with nothing to find: its thread, its COM apartment, a watch.
    double emptyKb = 0;
    {
        const double bare = PrivateBytes();
        CreateDirectoryW((root + L"empty").c_str(), nullptr);
        CatalogService empty({Utf8(root) + "empty"}, {}, [] {});
        Sleep(500);
        emptyKb = (PrivateBytes() - bare) / 1024;
    }
    const double before = PrivateBytes();
    const auto start = std::chrono::steady_clock::now();
    int snapshots = 0;
    double firstSeconds = 0;
    auto service = std::make_unique<CatalogService>(std::vector<std::string>{Utf8(root)}, std::vector<QuickFolder>{},
                                                    [&] { SetEvent(woken.get()); });
    std::shared_ptr<const QuickCatalog> catalog = service->Now();
    while (catalog->Count() < static_cast<size_t>(count)) {
        if (WaitForSingleObject(woken.get(), 600000) != WAIT_OBJECT_0) break;
        catalog = service->Now();
        if (!snapshots++) firstSeconds = Seconds(std::chrono::steady_clock::now() - start);
    }
    const double seconds = Seconds(std::chrono::steady_clock::now() - start);
    // The worker lets go of what it built the catalog in just after handing it over.
    Sleep(500);
    const double after = PrivateBytes();
    const auto stopping = std::chrono::steady_clock::now();
    service.reset();
    const double stopMs = Seconds(std::chrono::steady_clock::now() - stopping) * 1000;
    const double kept = PrivateBytes();
    const size_t resultCount = catalog->Count(), ownBytes = catalog->MemoryBytes();
    catalog.reset();
    const double released = PrivateBytes();
    // Ended in the middle of a walk.
    auto interrupted =
        std::make_unique<CatalogService>(std::vector<std::string>{Utf8(root)}, std::vector<QuickFolder>{}, [] {});
    Sleep(1000);
    const size_t found = interrupted->Now()->Count();
    const auto interrupting = std::chrono::steady_clock::now();
    interrupted.reset();
    const double interruptMs = Seconds(std::chrono::steady_clock::now() - interrupting) * 1000;
    const double results = static_cast<double>(resultCount);
    std::printf("catalog of %d shortcuts in %d folders: %zu results in %.2f s (first of %d catalogs after %.2f s)\n",
                count, folders, resultCount, seconds, snapshots, firstSeconds);
    std::printf("  private memory added %.0f KB, %.0f bytes per result; the catalog's own count %.0f bytes per "
                "result\n",
                (after - before) / 1024, (after - before) / results, static_cast<double>(ownBytes) / results);
    std::printf("  a worker with nothing to find adds %.0f KB; beyond that, %.0f bytes per result\n", emptyKb,
                (after - before - emptyKb * 1024) / results);
    std::printf("  the worker ended in %.0f ms; with only the catalog kept %.0f bytes per result, without it %.0f\n",
                stopMs, (kept - before) / results, (released - before) / results);
    std::printf("  ended in the middle of a walk (%zu results found) in %.0f ms\n", found, interruptMs);
    CoUninitialize();
    return resultCount == static_cast<size_t>(count) ? 0 : 1;
}
