// Start-up of the real program with many entry icons, each case against the same 50 menus
// without entries, measured side by side in one run (the machine's load changes between
// runs; ratios and differences of neighbouring starts are steadier than absolute times):
//   system: 100 entries per menu whose icons come from the system folder's programs, plus
//           documents of five types and ten folders, mixed as real menus are (many
//           entries share a program or a type);
//   files:  100 entries per menu whose icons come from 5,000 distinct icon files;
//   catalog: no entries, but a quick-launch folder (depth 5, "*.lnk") of 20,000 shortcuts
//           in 200 subfolders, whose catalog the program builds on its worker after start-up.
// For each start: process start until the main window and until every notification icon
// exists; until every entry's picture is final; the Wine process's private memory
// (RssAnon of its Unix process) then. For catalog and empty also: until the process has
// gone idle for a second (the catalog is complete then), its processor time and RssAnon at
// that moment. Afterwards, how soon the first popup shows, with all its icons, while the
// entry icons are still being made compared with once they are.
// Usage: startup_bench [rounds] [popup runs]
//        (under Wine, next to mgoldwk.exe, with a display; prints times and ratios; the
//        shortcuts are made once and kept in the temporary folder, as catalog_bench keeps them)
#include <windows.h>
#include <shellapi.h>

#include "config/model.h"
#include "menus/icon_pixels_win.h"
#include "synthetic_links.h"
#include "wine_process.h"
#include "win/command_ids.h"
#include "win/handles.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int Menus = 50;
constexpr int EntriesPerMenu = 100;
constexpr int CatalogShortcuts = 20000;
constexpr int CatalogFolders = 200;
constexpr char IconClass[] = "MarigoldwickTrayIcon";
// The main window answers this message with the number of entries whose picture is not
// final yet; a program that never answers non-zero is judged by going idle instead.
constexpr UINT PicturesPendingMessage = WmPendingPictures;

double Millis(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

std::string FolderOfThisProgram()
{
    char path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof(path));
    std::string folder(path, n);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

bool WriteWholeFile(const std::string& path, const void* bytes, size_t size)
{
    UniqueHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.get(), bytes, static_cast<DWORD>(size), &written, nullptr) && written == size;
}

// A 32x32 true-colour icon file whose picture is unique to `n`, so that no cache can
// serve one file's icon for another's.
std::vector<unsigned char> IconFileBytes(unsigned n)
{
    constexpr uint32_t pixels = 32 * 32 * 4, mask = 32 * 4, image = 40 + pixels + mask;
    std::vector<unsigned char> b(6 + 16 + image, 0);
    auto put16 = [&](size_t at, uint32_t v) { b[at] = v & 0xFF; b[at + 1] = (v >> 8) & 0xFF; };
    auto put32 = [&](size_t at, uint32_t v) { put16(at, v & 0xFFFF); put16(at + 2, v >> 16); };
    put16(2, 1);  // an icon file
    put16(4, 1);  // one picture
    b[6] = 32;
    b[7] = 32;
    put16(6 + 4, 1);
    put16(6 + 6, 32);
    put32(6 + 8, image);
    put32(6 + 12, 22);
    put32(22, 40);
    put32(22 + 4, 32);
    put32(22 + 8, 64);  // colour and mask rows together
    put16(22 + 12, 1);
    put16(22 + 14, 32);
    put32(22 + 20, pixels + mask);
    for (uint32_t y = 0; y < 32; ++y)
        for (uint32_t x = 0; x < 32; ++x) {
            size_t at = 62 + (y * 32 + x) * 4;
            bool stripe = (n >> (x / 3 % 13)) & 1;
            b[at] = static_cast<unsigned char>(stripe ? 255 - (n & 0xFF) : n & 0xFF);
            b[at + 1] = static_cast<unsigned char>((n >> 8) * 40 + y * 4);
            b[at + 2] = static_cast<unsigned char>(stripe ? 0x30 : 0xC0);
            b[at + 3] = 0xFF;
        }
    return b;
}


// What one entry's icon comes from, as the configuration file holds it.
struct EntrySource {
    std::string Pfad;
    std::string IconPfad;
    int32_t IconNum = DefaultIconNum;
};

// `quickFolder`, when not empty, is the one quick-launch folder, searched five levels deep
// for shortcuts.
std::string IniText(const std::vector<EntrySource>& entries, const std::string& quickFolder = {})
{
    const int perMenu = entries.empty() ? 0 : EntriesPerMenu;
    std::string t = "[GLOBAL]\r\nSelfAutostart=0\r\nAskBeforeQuit=0\r\nUseToolsMenu=0\r\nIconSize=32\r\nMenuCount=" +
                    std::to_string(Menus) + "\r\n";
    if (!quickFolder.empty())
        t += "QuickFolderCount=1\r\nQuickFolder0=" + quickFolder +
             "\r\nQuickFolderDepth0=5\r\nQuickFolderMasks0=*.lnk\r\n";
    for (int m = 0; m < Menus; ++m) {
        char name[16];
        std::snprintf(name, sizeof(name), "Menu %02d", m);
        t += "[M" + std::to_string(m) + "]\r\nMenuName=" + name + "\r\nLCB=2\r\nHotkey=0\r\nItemCount=" +
             std::to_string(perMenu) + "\r\n";
        for (int i = 1; i <= perMenu; ++i) {
            const int n = m * EntriesPerMenu + i - 1;
            const EntrySource& e = entries[n];
            t += "[M" + std::to_string(m) + "I" + std::to_string(i) + "]\r\nPfad=" + e.Pfad +
                 "\r\nIsPIDL=0\r\nIconPfad=" + e.IconPfad + "\r\nIconNum=" + std::to_string(e.IconNum) +
                 "\r\nDescription=Entry number " + std::to_string(n) +
                 "\r\nParameters=\r\nAutostart=0\r\nStartmode=1\r\nAutoStartmode=1\r\n";
        }
    }
    return t;
}

std::vector<EntrySource> IconFileEntries(const std::string& iconFolder)
{
    std::vector<EntrySource> entries;
    for (int n = 0; n < Menus * EntriesPerMenu; ++n)
        entries.push_back({"C:\\Programs\\Tool " + std::to_string(n) + "\\tool.exe",
                           iconFolder + "icon" + std::to_string(n) + ".ico", 0});
    return entries;
}

bool HasIcons(const std::string& file) { return ExtractIconExA(file.c_str(), -1, nullptr, nullptr, 0) > 0; }

// Up to `wanted` programs of `folder` that carry icons.
void AddProgramsWithIcons(const std::string& folder, size_t wanted, std::vector<std::string>& programs)
{
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA((folder + "*.exe").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    ScopeGuard close([&] { FindClose(search); });
    do {
        std::string path = folder + found.cFileName;
        if (programs.size() < wanted && std::find(programs.begin(), programs.end(), path) == programs.end() &&
            HasIcons(path))
            programs.push_back(path);
    } while (FindNextFileA(search, &found));
}

constexpr int DistinctPrograms = 100;
constexpr const char* DocumentTypes[] = {".txt", ".ini", ".inf", ".wri", ".html"};
constexpr int Folders = 10;

// 80 of every 100 entries start a program (100 distinct ones, each in about 40 entries),
// 15 open a document of one of five types (each its own file), 5 open one of ten folders;
// in a fixed shuffled order. Where the system folder holds fewer than 100 programs with
// icons, the Windows folder's make up the rest, then icons of the system's libraries.
std::vector<EntrySource> SystemEntries(const std::string& scratch, std::string& described)
{
    char folder[MAX_PATH] = {};
    GetSystemDirectoryA(folder, sizeof(folder));
    std::vector<std::string> programs;
    AddProgramsWithIcons(std::string(folder) + "\\", DistinctPrograms, programs);
    const size_t fromSystem = programs.size();
    GetWindowsDirectoryA(folder, sizeof(folder));
    AddProgramsWithIcons(std::string(folder) + "\\", DistinctPrograms, programs);
    const size_t fromWindows = programs.size() - fromSystem;
    std::vector<EntrySource> sources;
    for (const std::string& p : programs) sources.push_back({p, "", DefaultIconNum});
    GetSystemDirectoryA(folder, sizeof(folder));
    const std::string library = std::string(folder) + "\\shell32.dll";
    const int libraryIcons = static_cast<int>(ExtractIconExA(library.c_str(), -1, nullptr, nullptr, 0));
    for (int k = 0; sources.size() < DistinctPrograms && k < libraryIcons; ++k)
        sources.push_back({programs.empty() ? library : programs[k % programs.size()], library, k});
    described = std::to_string(fromSystem) + " programs of the system folder, " + std::to_string(fromWindows) +
                " of the Windows folder, " + std::to_string(sources.size() - programs.size()) +
                " icons of shell32.dll";

    std::vector<EntrySource> entries;
    uint32_t state = 12345;
    auto next = [&] { return (state = state * 1664525u + 1013904223u) >> 8; };
    for (int n = 0; n < Menus * EntriesPerMenu; ++n) {
        const uint32_t kind = next() % 100, which = next();
        if (kind < 80 && !sources.empty()) {
            entries.push_back(sources[which % sources.size()]);
        } else if (kind < 95) {
            const char* type = DocumentTypes[which % std::size(DocumentTypes)];
            entries.push_back({scratch + "documents\\document " + std::to_string(n) + type, "", DefaultIconNum});
        } else {
            entries.push_back({scratch + "folder " + std::to_string(which % Folders), "", DefaultIconNum});
        }
    }
    return entries;
}

// The files and folders the entries name, so the shell finds them.
bool CreateEntryTargets(const std::string& scratch, const std::vector<EntrySource>& entries)
{
    if (!CreateDirectoryA((scratch + "documents").c_str(), nullptr)) return false;
    for (int f = 0; f < Folders; ++f)
        if (!CreateDirectoryA((scratch + "folder " + std::to_string(f)).c_str(), nullptr)) return false;
    for (const EntrySource& e : entries)
        if (e.Pfad.rfind(scratch + "documents\\", 0) == 0 &&
            !WriteWholeFile(e.Pfad, "text\r\n", 6))
            return false;
    return true;
}

struct ProcessWindows {
    DWORD process;
    int icons = 0;
    HWND main = nullptr, firstIcon = nullptr, popup = nullptr;
};

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM state)
{
    auto* w = reinterpret_cast<ProcessWindows*>(state);
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    if (process != w->process) return TRUE;
    char cls[64] = {}, text[64] = {};
    GetClassNameA(hwnd, cls, sizeof(cls));
    if (lstrcmpA(cls, IconClass) == 0) {
        ++w->icons;
        GetWindowTextA(hwnd, text, sizeof(text));
        if (lstrcmpA(text, "Menu 00") == 0) w->firstIcon = hwnd;
    } else if (lstrcmpA(cls, "THaupt") == 0) {
        w->main = hwnd;
    } else if (lstrcmpA(cls, "#32768") == 0 && IsWindowVisible(hwnd)) {
        w->popup = hwnd;
    }
    return TRUE;
}


// Processor time (user and system) of the Unix process, in milliseconds.
std::optional<double> UnixCpuMs(unsigned long unixPid)
{
    std::string stat = ReadWholeFile("Z:\\proc\\" + std::to_string(unixPid) + "\\stat");
    size_t at = stat.rfind(')');
    if (at == std::string::npos) return std::nullopt;
    // After the name: state, then fields 4 to 13, then utime and stime, in clock ticks.
    const char* p = stat.c_str() + at + 2;
    for (int field = 3; field < 14 && p; ++field)
        if ((p = std::strchr(p, ' '))) ++p;
    if (!p) return std::nullopt;
    char* end = nullptr;
    const double user = std::strtod(p, &end);
    if (end == p) return std::nullopt;
    const double system = std::strtod(end, nullptr);
    return (user + system) * 10.0;  // USER_HZ is 100 on Linux
}

class Program {
public:
    static std::optional<Program> Start(const std::string& exe, const std::string& folder)
    {
        STARTUPINFOA si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        std::string commandLine = "\"" + exe + "\"";
        Clock::time_point started = Clock::now();
        if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si,
                            &pi))
            return std::nullopt;
        CloseHandle(pi.hThread);
        return Program(UniqueHandle(pi.hProcess), pi.dwProcessId, exe, started);
    }
    Program(Program&&) = default;
    ~Program() { End(); }

    ProcessWindows Look() const
    {
        ProcessWindows w{id_};
        EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&w));
        return w;
    }
    // Polls until `pred` holds for the process's windows; the moment it first did.
    template <typename P>
    std::optional<Clock::time_point> WaitFor(P pred, DWORD timeoutMs = 60000) const
    {
        Clock::time_point limit = Clock::now() + std::chrono::milliseconds(timeoutMs);
        while (Clock::now() < limit) {
            if (pred(Look())) return Clock::now();
            Sleep(2);
        }
        return std::nullopt;
    }

    // The moment every entry's picture was final. Where the program answers the pending
    // pictures message (a non-zero answer, once, proves it does: the system's default
    // answer is 0), the first answer 0 after that; otherwise the last moment the process
    // was busy before a second of idleness: pictures are made whenever nothing else runs.
    std::optional<Clock::time_point> WaitUntilPicturesFinal(bool& programAnswers, DWORD timeoutMs = 120000)
    {
        const Clock::time_point limit = Clock::now() + std::chrono::milliseconds(timeoutMs);
        HWND main = Look().main;
        Idleness idle = WatchIdleness();
        while (Clock::now() < limit) {
            Sleep(10);
            if (PicturesPendingMessage != 0 && main) {
                DWORD_PTR pending = 0;
                if (SendMessageTimeoutA(main, PicturesPendingMessage, 0, 0, SMTO_ABORTIFHUNG, 5000, &pending)) {
                    if (pending != 0) programAnswers = true;
                    if (programAnswers && pending == 0) return Clock::now();
                }
            }
            if (QuietNow(idle) && !programAnswers) return idle.lastBusy;
        }
        return std::nullopt;
    }

    // The last moment the process was busy before a second of idleness. The catalog's
    // worker keeps the process busy until the catalog is complete, then waits for changes.
    std::optional<Clock::time_point> WaitUntilIdle(DWORD timeoutMs = 180000)
    {
        const Clock::time_point limit = Clock::now() + std::chrono::milliseconds(timeoutMs);
        Idleness idle = WatchIdleness();
        while (Clock::now() < limit) {
            Sleep(10);
            if (QuietNow(idle)) return idle.lastBusy;
        }
        return std::nullopt;
    }

    std::optional<double> PrivateKb() { return UnixPid() ? RssAnonKb(*unixPid_) : std::nullopt; }
    Clock::time_point Started() const { return started_; }

    void End()
    {
        if (!process_ || WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0) return;
        if (HWND main = Look().main) {
            PostMessageA(main, WM_CANCELMODE, 0, 0);
            PostMessageA(main, WM_CLOSE, 0, 0);
        }
        if (WaitForSingleObject(process_.get(), 10000) != WAIT_OBJECT_0) {
            TerminateProcess(process_.get(), 99);
            WaitForSingleObject(process_.get(), 10000);
        }
    }

private:
    Program(UniqueHandle process, DWORD id, std::string exe, Clock::time_point started)
        : process_(std::move(process)), id_(id), exe_(std::move(exe)), started_(started)
    {
    }
    const std::optional<unsigned long>& UnixPid()
    {
        if (!unixPid_) unixPid_ = UnixProcessOf(exe_);
        return unixPid_;
    }
public:
    // Processor time: the Unix process's own count where Z:\proc can be read, Wine's otherwise.
    std::optional<double> CpuMs()
    {
        if (UnixPid()) return UnixCpuMs(*unixPid_);
        FILETIME created, exited, kernel, user;
        if (!GetProcessTimes(process_.get(), &created, &exited, &kernel, &user)) return std::nullopt;
        auto v = [](FILETIME f) { return (uint64_t(f.dwHighDateTime) << 32) | f.dwLowDateTime; };
        return (v(kernel) + v(user)) / 10000.0;
    }

private:
    struct Idleness {
        std::optional<double> lastCpu;
        Clock::time_point lastBusy, lastSample;
    };
    Idleness WatchIdleness()
    {
        const Clock::time_point now = Clock::now();
        return {CpuMs(), now, now};
    }
    // Takes a sample of the processor time every 100 ms (busy: more than 10 ms of it); true
    // once the process has been quiet for a second since `idle.lastBusy`.
    bool QuietNow(Idleness& idle)
    {
        const Clock::time_point now = Clock::now();
        if (now - idle.lastSample < std::chrono::milliseconds(100)) return false;
        idle.lastSample = now;
        std::optional<double> cpu = CpuMs();
        if (!cpu || !idle.lastCpu || *cpu - *idle.lastCpu > 10) idle.lastBusy = now;
        idle.lastCpu = cpu;
        return now - idle.lastBusy > std::chrono::seconds(1);
    }

    UniqueHandle process_;
    DWORD id_;
    std::string exe_;
    Clock::time_point started_;
    std::optional<unsigned long> unixPid_;
};

bool OtherCopyRuns() { return static_cast<bool>(UniqueHandle(OpenMutexA(SYNCHRONIZE, FALSE, "Marigoldwick"))); }

struct StartupFigures {
    double mainWindowMs = 0;  // process start until the main window exists (Wine's share is most of it)
    double iconsMs = 0;       // process start until every notification icon exists
    double finalMs = 0;       // process start until every entry's picture is final
    std::optional<double> privateKb;  // RssAnon then
    // Where asked: process start until it has gone idle (its last busy moment before a
    // second without work), its processor time and RssAnon then.
    double idleMs = 0;
    std::optional<double> idleCpuMs, idleKb;
};

std::optional<StartupFigures> MeasureStartup(const std::string& exe, const std::string& folder, bool& programAnswers,
                                             bool untilIdle)
{
    std::optional<Program> p = Program::Start(exe, folder);
    if (!p) return std::nullopt;
    auto main = p->WaitFor([](const ProcessWindows& w) { return w.main != nullptr; });
    auto icons = main ? p->WaitFor([](const ProcessWindows& w) { return w.icons == Menus; }) : std::nullopt;
    auto final = icons ? p->WaitUntilPicturesFinal(programAnswers) : std::nullopt;
    std::optional<StartupFigures> t;
    if (final)
        t = StartupFigures{Millis(*main - p->Started()), Millis(*icons - p->Started()),
                           Millis(std::max(*final, *icons) - p->Started()), p->PrivateKb()};
    if (t && untilIdle) {
        if (auto idle = p->WaitUntilIdle()) {
            t->idleMs = Millis(std::max(*idle, *icons) - p->Started());
            t->idleCpuMs = p->CpuMs();
            t->idleKb = p->PrivateKb();
        } else {
            t.reset();
        }
    }
    p.reset();
    // The shell is still taking the ended copy's icons down: not into the next start.
    Sleep(500);
    return t;
}

// The popup's pixels as the screen shows them.
std::vector<unsigned char> Capture(HWND popup)
{
    RECT r{};
    if (!GetWindowRect(popup, &r)) return {};
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return {};
    const BITMAPINFO bi = TopDownDib32(w, h);
    void* bits = nullptr;
    UniqueGdiObject dib(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    UniqueMemoryDC dc(CreateCompatibleDC(nullptr));
    HDC screen = GetDC(nullptr);
    if (!screen) return {};
    ScopeGuard release([&] { ReleaseDC(nullptr, screen); });
    if (!dib || !dc) return {};
    HGDIOBJ old = SelectObject(dc.get(), dib.get());
    BitBlt(dc.get(), 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(dc.get(), old);
    GdiFlush();
    const auto* p = static_cast<const unsigned char*>(bits);
    return std::vector<unsigned char>(p, p + size_t(w) * h * 4);
}

struct PopupTiming {
    double visibleMs = 0;  // request until the popup window is visible
    double settledMs = 0;  // request until its picture stops changing
    int changes = 0;       // times the picture changed after it first showed
    std::vector<unsigned char> picture;
    int width = 0, height = 0;
};

// Where two captures of the popup differ, for telling a late picture from a moved
// highlight or a different size.
std::string Difference(const PopupTiming& a, const PopupTiming& b)
{
    if (a.width != b.width || a.height != b.height)
        return "sizes differ: " + std::to_string(a.width) + "x" + std::to_string(a.height) + " against " +
               std::to_string(b.width) + "x" + std::to_string(b.height);
    if (a.picture.size() != static_cast<size_t>(a.width) * a.height * 4 || b.picture.size() != a.picture.size())
        return "not comparable";
    int left = a.width, top = a.height, right = -1, bottom = -1, count = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            const size_t at = (static_cast<size_t>(y) * a.width + x) * 4;
            if (std::memcmp(&a.picture[at], &b.picture[at], 3) == 0) continue;
            ++count;
            left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
        }
    if (count == 0) return "the same";
    return std::to_string(count) + " pixels differ within x " + std::to_string(left) + ".." + std::to_string(right) +
           ", y " + std::to_string(top) + ".." + std::to_string(bottom) + " of " + std::to_string(a.width) + "x" +
           std::to_string(a.height);
}

// Pops up menu 0 as a right click on its icon does and times it; closes it again.
std::optional<PopupTiming> TimePopup(const Program& p)
{
    ProcessWindows w = p.Look();
    if (!w.firstIcon || !w.main) return std::nullopt;
    SetCursorPos(40, 40);
    Clock::time_point asked = Clock::now();
    PostMessageA(w.firstIcon, WmMenuIconFirst, 0, WM_RBUTTONUP);
    auto visible = p.WaitFor([](const ProcessWindows& x) { return x.popup != nullptr; }, 20000);
    if (!visible) return std::nullopt;
    PopupTiming t;
    t.visibleMs = Millis(*visible - asked);
    HWND popup = p.Look().popup;
    // Settled: the same picture over 200 ms.
    std::vector<unsigned char> previous = Capture(popup);
    Clock::time_point since = Clock::now();
    Clock::time_point limit = since + std::chrono::seconds(20);
    while (Clock::now() < limit) {
        Sleep(20);
        std::vector<unsigned char> now = Capture(popup);
        if (now != previous) {
            previous = std::move(now);
            since = Clock::now();
            ++t.changes;
        } else if (Clock::now() - since > std::chrono::milliseconds(200)) {
            break;
        }
    }
    t.settledMs = Millis(since - asked);
    t.picture = std::move(previous);
    RECT r{};
    GetWindowRect(popup, &r);
    t.width = r.right - r.left;
    t.height = r.bottom - r.top;
    PostMessageA(w.main, WM_CANCELMODE, 0, 0);
    p.WaitFor([](const ProcessWindows& x) { return x.popup == nullptr; }, 5000);
    return t;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

struct ScratchFolder {
    std::string path;  // ends in a backslash
    ~ScratchFolder()
    {
        // Double zero-terminated, as SHFileOperation wants it.
        std::string from = path.substr(0, path.size() - 1) + std::string(2, '\0');
        SHFILEOPSTRUCTA op{};
        op.wFunc = FO_DELETE;
        op.pFrom = from.c_str();
        op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
        SHFileOperationA(&op);
    }
};

}  // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const int popupRuns = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    const std::string product = FolderOfThisProgram() + "mgoldwk.exe";
    if (OtherCopyRuns()) {
        std::fprintf(stderr, "another copy of the program runs; end it first\n");
        return 2;
    }
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof(temp), temp);
    ScratchFolder root{std::string(temp) + "mgw-startup-" + std::to_string(GetCurrentProcessId()) + "\\"};
    const std::string icons = root.path + "icons\\";
    for (const std::string& f : {root.path, icons})
        if (!CreateDirectoryA(f.c_str(), nullptr)) {
            std::fprintf(stderr, "cannot create %s\n", f.c_str());
            return 1;
        }
    for (unsigned n = 0; n < Menus * EntriesPerMenu; ++n) {
        std::vector<unsigned char> bytes = IconFileBytes(n);
        if (!WriteWholeFile(icons + "icon" + std::to_string(n) + ".ico", bytes.data(), bytes.size())) {
            std::fprintf(stderr, "cannot write the icon files\n");
            return 1;
        }
    }
    // The shortcuts are kept for later runs, as the catalog benchmark keeps them.
    const bool com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    const std::wstring shortcuts = com ? synthetic_links::Shortcuts(CatalogShortcuts, CatalogFolders) : L"";
    if (com) CoUninitialize();
    if (shortcuts.empty()) {
        std::fprintf(stderr, "cannot make the shortcuts\n");
        return 1;
    }
    std::string systemMix;
    const std::vector<EntrySource> systemEntries = SystemEntries(root.path, systemMix);
    if (!CreateEntryTargets(root.path, systemEntries)) {
        std::fprintf(stderr, "cannot create the documents and folders\n");
        return 1;
    }
    struct Case {
        const char* name;
        std::string folder;
        std::vector<EntrySource> entries;
        std::string quickFolder;
        std::vector<StartupFigures> runs;
    };
    // The catalog right after empty: two light starts side by side.
    std::vector<Case> cases{{"system", root.path + "system\\", systemEntries, {}, {}},
                            {"files", root.path + "files\\", IconFileEntries(icons), {}, {}},
                            {"empty", root.path + "empty\\", {}, {}, {}},
                            {"catalog", root.path + "catalog\\", {}, Utf8(shortcuts), {}}};
    const Case& empty = cases[2];
    const Case& catalog = cases[3];
    for (const Case& c : cases) {
        std::string ini = IniText(c.entries, c.quickFolder);
        if (!CreateDirectoryA(c.folder.c_str(), nullptr) ||
            !CopyFileA(product.c_str(), (c.folder + "mgoldwk.exe").c_str(), FALSE) ||
            !WriteWholeFile(c.folder + "mgoldwk.ini", ini.data(), ini.size())) {
            std::fprintf(stderr, "cannot set up %s from %s\n", c.folder.c_str(), product.c_str());
            return 1;
        }
    }

    std::printf("== start-up of %d menus x %d entries against %d empty menus, %d rounds after a warm-up:\n"
                "   system: %s (80%%), documents of %d types (15%%), %d folders (5%%)\n"
                "   files:  5000 distinct icon files\n"
                "   catalog: empty menus and a quick-launch folder of %d shortcuts in %d folders\n",
                Menus, EntriesPerMenu, Menus, rounds, systemMix.c_str(), static_cast<int>(std::size(DocumentTypes)), Folders,
                CatalogShortcuts, CatalogFolders);
    bool programAnswers = false;
    // One start of each first, unmeasured, so that every measured start finds the files cached
    // (and the first start with entries tells whether the program answers the pending message).
    for (int r = 0; r <= rounds; ++r)
        for (Case& c : cases) {
            const bool untilIdle = &c == &empty || &c == &catalog;
            std::optional<StartupFigures> t =
                MeasureStartup(c.folder + "mgoldwk.exe", c.folder, programAnswers, untilIdle);
            if (!t) {
                std::fprintf(stderr, "%s: the icons did not all appear or the pictures never became final\n", c.name);
                return 1;
            }
            if (r == 0) continue;
            c.runs.push_back(*t);
            auto kb = [](const std::optional<double>& v) {
                return v ? std::to_string(static_cast<long>(*v)) + " kB" : std::string("unknown");
            };
            std::printf("  round %d %-7s  tray icons %7.1f ms  pictures final %7.1f ms  main window %6.1f ms  "
                        "RssAnon %s\n",
                        r, c.name, t->iconsMs, t->finalMs, t->mainWindowMs, kb(t->privateKb).c_str());
            if (untilIdle)
                std::printf("                   idle after %7.1f ms  processor time then %6.0f ms  RssAnon then %s\n",
                            t->idleMs, t->idleCpuMs.value_or(0), kb(t->idleKb).c_str());
        }
    std::printf("  pictures final read from %s\n",
                programAnswers ? "the program's answer to the pending pictures message"
                               : "the process going idle (no answer to the pending pictures message)");
    // Each round's starts share the machine's load of the moment: compare within rounds.
    auto median = [](const Case& c, auto field) {
        std::vector<double> v;
        for (const StartupFigures& t : c.runs) v.push_back(field(t));
        return Median(v);
    };
    auto pairs = [&](const Case& c, auto combine) {
        std::vector<double> v;
        for (size_t r = 0; r < c.runs.size(); ++r) v.push_back(combine(c.runs[r], empty.runs[r]));
        return Median(v);
    };
    bool memoryKnown = true;
    for (const Case& c : cases)
        for (const StartupFigures& t : c.runs) memoryKnown = memoryKnown && t.privateKb.has_value();
    for (const Case& c : cases) {
        if (&c == &empty || &c == &catalog) continue;
        const double finalMs = median(c, [](const StartupFigures& t) { return t.finalMs; });
        const double emptyFinalMs = median(empty, [](const StartupFigures& t) { return t.finalMs; });
        std::printf("case %s: pictures final %.2f s vs empty %.2f s (%+.2f s, median of rounds %+.2f s)", c.name,
                    finalMs / 1000, emptyFinalMs / 1000, (finalMs - emptyFinalMs) / 1000,
                    pairs(c, [](const StartupFigures& a, const StartupFigures& b) { return a.finalMs - b.finalMs; }) /
                        1000);
        if (memoryKnown)
            std::printf("; RssAnon %.1f MB vs %.1f MB (%+.1f MB)",
                        median(c, [](const StartupFigures& t) { return *t.privateKb; }) / 1024,
                        median(empty, [](const StartupFigures& t) { return *t.privateKb; }) / 1024,
                        pairs(c, [](const StartupFigures& a, const StartupFigures& b) {
                            return *a.privateKb - *b.privateKb;
                        }) / 1024);
        else
            std::printf("; RssAnon unknown (Z:\\proc not readable)");
        std::printf("\n  tray icons %.0f ms vs empty %.0f ms: ratio %.2f (median of rounds %.2f, limit 1.20)\n",
                    median(c, [](const StartupFigures& t) { return t.iconsMs; }),
                    median(empty, [](const StartupFigures& t) { return t.iconsMs; }),
                    median(c, [](const StartupFigures& t) { return t.iconsMs; }) /
                        median(empty, [](const StartupFigures& t) { return t.iconsMs; }),
                    pairs(c, [](const StartupFigures& a, const StartupFigures& b) { return a.iconsMs / b.iconsMs; }));
    }
    std::printf("   targets: system +1.5 s and +3 MB at most; files no slower than before and +25 MB at most\n");

    // The catalog's worker starts once the tray icons are up: it must not hold them back.
    const double catalogIcons = median(catalog, [](const StartupFigures& t) { return t.iconsMs; });
    const double emptyIcons = median(empty, [](const StartupFigures& t) { return t.iconsMs; });
    std::printf("case catalog: tray icons %.0f ms vs empty %.0f ms: ratio %.2f (median of rounds %.2f, limit 1.20)\n",
                catalogIcons, emptyIcons, catalogIcons / emptyIcons,
                pairs(catalog, [](const StartupFigures& a, const StartupFigures& b) { return a.iconsMs / b.iconsMs; }));
    std::printf("  idle (the catalog complete) %.2f s after the start vs empty %.2f s (median of rounds %+.2f s); "
                "processor time then %.0f ms vs %.0f ms (%+.0f ms)\n",
                median(catalog, [](const StartupFigures& t) { return t.idleMs; }) / 1000,
                median(empty, [](const StartupFigures& t) { return t.idleMs; }) / 1000,
                pairs(catalog, [](const StartupFigures& a, const StartupFigures& b) { return a.idleMs - b.idleMs; }) /
                    1000,
                median(catalog, [](const StartupFigures& t) { return t.idleCpuMs.value_or(0); }),
                median(empty, [](const StartupFigures& t) { return t.idleCpuMs.value_or(0); }),
                pairs(catalog, [](const StartupFigures& a, const StartupFigures& b) {
                    return a.idleCpuMs.value_or(0) - b.idleCpuMs.value_or(0);
                }));
    bool idleMemoryKnown = true;
    for (const Case* c : {&empty, &catalog})
        for (const StartupFigures& t : c->runs) idleMemoryKnown = idleMemoryKnown && t.idleKb.has_value();
    if (idleMemoryKnown) {
        const double catalogKb = median(catalog, [](const StartupFigures& t) { return *t.idleKb; });
        const double emptyKb = median(empty, [](const StartupFigures& t) { return *t.idleKb; });
        const double addedKb =
            pairs(catalog, [](const StartupFigures& a, const StartupFigures& b) { return *a.idleKb - *b.idleKb; });
        std::printf("  RssAnon then %.1f MB vs %.1f MB: ratio %.2f (median of rounds %+.1f MB, %.0f bytes per "
                    "shortcut)\n",
                    catalogKb / 1024, emptyKb / 1024, catalogKb / emptyKb, addedKb / 1024,
                    addedKb * 1024 / CatalogShortcuts);
    } else {
        std::printf("  RssAnon unknown (Z:\\proc not readable)\n");
    }

    const std::string& rich = cases[1].folder;
    std::printf("== popup of menu 0 (%d entries, distinct icon files) right after start-up against once all entry "
                "pictures are final, %d runs\n",
                EntriesPerMenu, popupRuns);
    std::vector<double> earlyVisible, earlySettled, lateVisible, lateSettled;
    int same = 0, compared = 0;
    for (int r = 0; r < popupRuns; ++r) {
        std::optional<Program> p = Program::Start(rich + "mgoldwk.exe", rich);
        if (!p || !p->WaitFor([](const ProcessWindows& w) { return w.icons == Menus && w.firstIcon; })) {
            std::fprintf(stderr, "the program did not start\n");
            return 1;
        }
        std::optional<PopupTiming> early = TimePopup(*p);
        std::optional<Clock::time_point> quiet = p->WaitUntilPicturesFinal(programAnswers);
        std::optional<PopupTiming> late = quiet ? TimePopup(*p) : std::nullopt;
        if (!early || !late) {
            std::fprintf(stderr, "the popup did not show\n");
            return 1;
        }
        std::printf("  run %d: all %d entry pictures final %.0f ms after the start\n", r + 1, Menus * EntriesPerMenu,
                    Millis(*quiet - p->Started()));
        for (const auto& [name, t] : {std::pair{"early", &*early}, std::pair{"late ", &*late}})
            std::printf("    %s: visible after %6.1f ms, final picture after %6.1f ms (%d changes on screen)\n", name,
                        t->visibleMs, t->settledMs, t->changes);
        earlyVisible.push_back(early->visibleMs);
        earlySettled.push_back(early->settledMs);
        lateVisible.push_back(late->visibleMs);
        lateSettled.push_back(late->settledMs);
        if (!early->picture.empty()) {
            ++compared;
            if (early->picture == late->picture) ++same;
            else std::printf("    early and late pictures: %s\n", Difference(*early, *late).c_str());
        }
    }
    std::printf("  median early: visible %6.1f ms, final picture %6.1f ms\n", Median(earlyVisible), Median(earlySettled));
    std::printf("  median late:  visible %6.1f ms, final picture %6.1f ms\n", Median(lateVisible), Median(lateSettled));
    std::printf("  ratio early/late of the medians: visible %.2f  final picture %.2f\n",
                Median(earlyVisible) / Median(lateVisible), Median(earlySettled) / Median(lateSettled));
    if (compared == 0)
        std::printf("  the screen could not be read: pictures not compared\n");
    else
        std::printf("  early popup's final picture equals the late one in %d of %d runs\n", same, compared);
    return 0;
}
