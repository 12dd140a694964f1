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
#include "wine_process.h"
#include "win/text_conversion.h"

namespace {

constexpr const char* Digits = "00000";

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Anonymous resident memory of this process's Unix side (Wine reports no private bytes of
// its own; Z:\\proc\\self would be the server's), else PrivateUsage.
double PrivateBytes()
{
    static const std::optional<unsigned long> unixPid = UnixProcessOf("catalog_bench.exe");
    if (unixPid)
        if (std::optional<double> kb = RssAnonKb(*unixPid)) return *kb * 1024;
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof(memory);
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof(memory));
    return static_cast<double>(memory.PrivateUsage);
}

bool WriteBytes(const std::wstring& file, const std::string& bytes)
{
    UniqueHandle handle(
        CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return handle && WriteFile(handle.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

// One shortcut made by the shell, whose every "00000" (in its 8-bit and its wide texts)
// is then replaced by each shortcut's number: making thousands through the link object
// takes minutes under Wine, and each copy still starts a program of its own.
std::string TemplateLink(const std::wstring& folder)
{
    ComPtr<IShellLinkW> link;
    ComPtr<IPersistFile> file;
    const std::wstring target =
        L"C:\\Program Files\\Bench Vendor " + Wide(Digits) + L"\\Bench App " + Wide(Digits) + L".exe";
    const std::wstring path = folder + L"template.lnk";
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(link.GetAddressOf()))) ||
        FAILED(link->SetPath(target.c_str())) || FAILED(link.As(&file)) || FAILED(file->Save(path.c_str(), TRUE)))
        return {};
    std::string bytes = ReadWholeFile(Utf8(path));
    DeleteFileW(path.c_str());
    return bytes;
}

void Patch(std::string& bytes, const std::string& from, const std::string& to)
{
    for (size_t at = bytes.find(from); at != std::string::npos; at = bytes.find(from, at + to.size()))
        bytes.replace(at, to.size(), to);
}

std::string WideBytes(const std::string& ascii)
{
    std::string wide;
    for (char c : ascii) wide += {c, '\0'};
    return wide;
}

// The folder of shortcuts, made when it is not there yet.
std::wstring Shortcuts(int count, int folders)
{
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring root = std::wstring(temp) + L"mgw-catalog-bench-" + std::to_wstring(count) + L"-" +
                              std::to_wstring(folders) + L"\\";
    const std::wstring done = root + L"complete";
    if (GetFileAttributesW(done.c_str()) != INVALID_FILE_ATTRIBUTES) return root;
    CreateDirectoryW(root.c_str(), nullptr);
    const auto start = std::chrono::steady_clock::now();
    const std::string bytes = TemplateLink(root);
    if (bytes.find(Digits) == std::string::npos) return {};
    const int perFolder = (count + folders - 1) / folders;
    for (int n = 0; n < count; ++n) {
        char number[8];
        std::snprintf(number, sizeof(number), "%05d", n);
        const std::wstring folder = root + L"Vendor " + std::to_wstring(n / perFolder) + L"\\";
        if (n % perFolder == 0) CreateDirectoryW(folder.c_str(), nullptr);
        std::string link = bytes;
        Patch(link, Digits, number);
        Patch(link, WideBytes(Digits), WideBytes(number));
        if (!WriteBytes(folder + L"Bench App " + Wide(number) + L".lnk", link)) return {};
    }
    if (!WriteBytes(done, "")) return {};
    std::printf("  made %d shortcuts in %d folders in %.1f s\n", count, folders,
                Seconds(std::chrono::steady_clock::now() - start));
    return root;
}

}  // namespace

int main(int argc, char** argv)
{
    const int count = argc > 1 ? std::atoi(argv[1]) : 20000;
    const int folders = argc > 2 ? std::atoi(argv[2]) : 200;
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    const std::wstring root = Shortcuts(count, folders);
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
