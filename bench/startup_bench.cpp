// Start-up of the real program with many entry icons: the time from process start until
// every notification icon of 50 menus exists, with 100 entries per menu whose icons
// come from 5,000 distinct files against the same menus without entries; and how soon
// the first popup shows, with all its icons, while the entry icons are still loading
// compared with once they are all loaded.
// Usage: startup_bench [start-up runs] [popup runs]
//        (under Wine, next to mgoldwk.exe, with a display; prints times and ratios)
#include <windows.h>
#include <shellapi.h>

#include "win/handles.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int Menus = 50;
constexpr int EntriesPerMenu = 100;
constexpr char IconClass[] = "MarigoldwickTrayIcon";
constexpr UINT MenuIconMessage = 1027;

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

std::string IniText(const std::string& iconFolder, bool withEntries)
{
    std::string t = "[GLOBAL]\r\nSelfAutostart=0\r\nAskBeforeQuit=0\r\nUseToolsMenu=0\r\nMenuCount=" +
                    std::to_string(Menus) + "\r\n";
    for (int m = 0; m < Menus; ++m) {
        char name[16];
        std::snprintf(name, sizeof(name), "Menu %02d", m);
        const int entries = withEntries ? EntriesPerMenu : 0;
        t += "[M" + std::to_string(m) + "]\r\nMenuName=" + name + "\r\nLCB=2\r\nHotkey=0\r\nItemCount=" +
             std::to_string(entries) + "\r\n";
        for (int i = 1; i <= entries; ++i) {
            const int n = m * EntriesPerMenu + i - 1;
            t += "[M" + std::to_string(m) + "I" + std::to_string(i) + "]\r\nPfad=C:\\Programs\\Tool " +
                 std::to_string(n) + "\\tool.exe\r\nIsPIDL=0\r\nIconPfad=" + iconFolder + "icon" +
                 std::to_string(n) + ".ico\r\nIconNum=0\r\nDescription=Tool number " + std::to_string(n) +
                 "\r\nParameters=\r\nAutostart=0\r\nStartmode=1\r\nAutoStartmode=1\r\n";
        }
    }
    return t;
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
        return Program(UniqueHandle(pi.hProcess), pi.dwProcessId, started);
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
    // Once the process has used almost no processor time for a while, every entry icon
    // is loaded: loading runs whenever the queue is otherwise empty.
    std::optional<Clock::time_point> WaitUntilQuiet(DWORD timeoutMs = 120000) const
    {
        Clock::time_point limit = Clock::now() + std::chrono::milliseconds(timeoutMs);
        uint64_t last = CpuTime();
        Clock::time_point lastBusy = Clock::now();
        while (Clock::now() < limit) {
            Sleep(100);
            uint64_t now = CpuTime();
            if (now - last > 20000) lastBusy = Clock::now();  // over 2 ms in 100 ms
            last = now;
            if (Clock::now() - lastBusy > std::chrono::milliseconds(500)) return lastBusy;
        }
        return std::nullopt;
    }
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
    Program(UniqueHandle process, DWORD id, Clock::time_point started)
        : process_(std::move(process)), id_(id), started_(started)
    {
    }
    uint64_t CpuTime() const
    {
        FILETIME created, exited, kernel, user;
        if (!GetProcessTimes(process_.get(), &created, &exited, &kernel, &user)) return 0;
        auto v = [](FILETIME f) { return (uint64_t(f.dwHighDateTime) << 32) | f.dwLowDateTime; };
        return v(kernel) + v(user);
    }
    UniqueHandle process_;
    DWORD id_;
    Clock::time_point started_;
};

bool OtherCopyRuns() { return static_cast<bool>(UniqueHandle(OpenMutexA(SYNCHRONIZE, FALSE, "Marigoldwick"))); }

struct StartupTiming {
    double mainWindowMs = 0;  // process start until the main window exists (Wine's share is most of it)
    double iconsMs = 0;       // process start until every icon window exists
};

std::optional<StartupTiming> TimeStartup(const std::string& exe, const std::string& folder)
{
    std::optional<Program> p = Program::Start(exe, folder);
    if (!p) return std::nullopt;
    auto main = p->WaitFor([](const ProcessWindows& w) { return w.main != nullptr; });
    auto icons = main ? p->WaitFor([](const ProcessWindows& w) { return w.icons == Menus; }) : std::nullopt;
    std::optional<StartupTiming> t;
    if (icons) t = StartupTiming{Millis(*main - p->Started()), Millis(*icons - p->Started())};
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
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
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
};

// Pops up menu 0 as a right click on its icon does and times it; closes it again.
std::optional<PopupTiming> TimePopup(const Program& p)
{
    ProcessWindows w = p.Look();
    if (!w.firstIcon || !w.main) return std::nullopt;
    SetCursorPos(40, 40);
    Clock::time_point asked = Clock::now();
    PostMessageA(w.firstIcon, MenuIconMessage, 0, WM_RBUTTONUP);
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
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const int popupRuns = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    const std::string product = FolderOfThisProgram() + "mgoldwk.exe";
    if (OtherCopyRuns()) {
        std::fprintf(stderr, "another copy of the program runs; end it first\n");
        return 2;
    }
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof(temp), temp);
    ScratchFolder root{std::string(temp) + "mgw-startup-" + std::to_string(GetCurrentProcessId()) + "\\"};
    const std::string rich = root.path + "rich\\", bare = root.path + "bare\\", icons = root.path + "icons\\";
    for (const std::string& f : {root.path, rich, bare, icons})
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
    for (const auto& [folder, withEntries] : {std::pair{rich, true}, std::pair{bare, false}}) {
        std::string ini = IniText(icons, withEntries);
        if (!CopyFileA(product.c_str(), (folder + "mgoldwk.exe").c_str(), FALSE) ||
            !WriteWholeFile(folder + "mgoldwk.ini", ini.data(), ini.size())) {
            std::fprintf(stderr, "cannot set up %s from %s\n", folder.c_str(), product.c_str());
            return 1;
        }
    }

    std::printf("== start-up until all %d icons exist: %d menus x %d entries (distinct icon files) "
                "against %d empty menus, %d runs each after a warm-up, alternating\n",
                Menus, Menus, EntriesPerMenu, Menus, runs);
    std::vector<double> withEntries, withoutEntries, mainWith, mainWithout;
    // One start of each first, unmeasured, so that every measured start finds the files cached.
    for (const std::string& folder : {rich, bare}) TimeStartup(folder + "mgoldwk.exe", folder);
    for (int r = 0; r < runs; ++r) {
        for (bool entries : {true, false}) {
            const std::string& folder = entries ? rich : bare;
            std::optional<StartupTiming> t = TimeStartup(folder + "mgoldwk.exe", folder);
            if (!t) {
                std::fprintf(stderr, "the icons did not all appear\n");
                return 1;
            }
            (entries ? withEntries : withoutEntries).push_back(t->iconsMs);
            (entries ? mainWith : mainWithout).push_back(t->mainWindowMs);
            std::printf("  run %d %-8s icons %7.1f ms  (main window %7.1f ms)\n", r + 1,
                        entries ? "entries" : "empty", t->iconsMs, t->mainWindowMs);
        }
    }
    const double bestWith = *std::min_element(withEntries.begin(), withEntries.end());
    const double bestWithout = *std::min_element(withoutEntries.begin(), withoutEntries.end());
    const double medWith = Median(withEntries), medWithout = Median(withoutEntries);
    std::printf("  with entries:    best %7.1f ms  median %7.1f ms  (main window median %7.1f ms)\n", bestWith,
                medWith, Median(mainWith));
    std::printf("  without entries: best %7.1f ms  median %7.1f ms  (main window median %7.1f ms)\n", bestWithout,
                medWithout, Median(mainWithout));
    // Runs side by side share the machine's load of the moment: their ratios are steadier.
    std::vector<double> pairs;
    for (size_t r = 0; r < withEntries.size(); ++r) pairs.push_back(withEntries[r] / withoutEntries[r]);
    std::printf("  ratio with/without: best %.2f  median %.2f  median of run pairs %.2f  (limit 2.00)\n",
                bestWith / bestWithout, medWith / medWithout, Median(pairs));

    std::printf("== popup of menu 0 (%d entries) right after start-up against once all entry icons are loaded, "
                "%d runs\n",
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
        std::optional<Clock::time_point> quiet = p->WaitUntilQuiet();
        std::optional<PopupTiming> late = quiet ? TimePopup(*p) : std::nullopt;
        if (!early || !late) {
            std::fprintf(stderr, "the popup did not show\n");
            return 1;
        }
        std::printf("  run %d: all %d entry icons loaded %.0f ms after the start\n", r + 1, Menus * EntriesPerMenu,
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
