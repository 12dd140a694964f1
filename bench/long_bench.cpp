// Long use of the real program, driven only from outside as a user drives it, against what
// it holds. Three phases, after one unmeasured round of each (the first settings window,
// popup and quick-launch box are made once and kept):
//   settings: the window opened from a popup's "Settings...", 20 entries added to an empty
//             menu (16 typed into the item mask and added, 4 dropped from another process
//             as from the file manager) and removed again with "Remove", then OK;
//   popups:   a right click on a notification icon (two menus in turn), then Escape;
//   quick:    the quick-launch box opened by its hotkey, two letters typed, Escape.
// Before, halfway through and after each phase, once the program is idle: its private
// memory, GDI and USER objects and kernel handles, each from the system's own count where
// it gives one (Windows) and otherwise from what Wine does keep (see Sources below).
// Usage: long_bench [settings cycles] [popups] [quick boxes]
//        (under Wine, next to mgoldwk.exe and drag_source.exe, with a display)
#include "driver.h"
#include "wine_process.h"

#include "win/command_ids.h"
#include "win/handles.h"
#include "win/text_conversion.h"
#include "win/user_objects.h"

#include <commctrl.h>
#include <psapi.h>
#include <winternl.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr char IconClass[] = "MarigoldwickTrayIcon";
constexpr char BoxClass[] = "TQuickBox";
// Ctrl+Shift+F9 as the file stores it: key code, 8192 Shift, 16384 Ctrl.
constexpr int QuickHotkey = VK_F9 + 8192 + 16384;
constexpr int ScratchMenu = 2;
constexpr int TypedEntries = 16;
constexpr const char* DroppedNames[] = {"Editor.exe", "notes.txt", "setup.ini", "Sub Folder"};
constexpr int AddedPerCycle = TypedEntries + static_cast<int>(std::size(DroppedNames));
// Where the settings window's controls lie in its client area (96 DPI).
constexpr POINT MenuListPoint{7 + 8 + 20, 8 + 16 + 10};
constexpr POINT PathEditPoint{7 + 184 + 80, 128 + 32 + 12};
constexpr POINT DescriptionEditPoint{7 + 184 + 80, 128 + 32 + 207};

constexpr const char* Programs[] = {"C:\\windows\\notepad.exe", "C:\\windows\\regedit.exe",
                                    "C:\\windows\\system32\\cmd.exe", "C:\\windows\\explorer.exe",
                                    "C:\\windows\\system32\\winecfg.exe", "C:\\windows\\winhlp32.exe"};

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// ---- what the process holds ----

struct Figures {
    std::optional<double> privateKb;
    std::optional<double> gdi, user, handles;
};

struct Sources {
    const char *memory = "unknown", *gdi = "unknown", *user = "unknown", *handles = "unknown";
};

template <typename F>
F NtFunction(const char* name)
{
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), name)));
}

// Wine keeps each process's GDI objects in a table of its own that the process's PEB
// points at (GdiSharedHandleTable, offset 0x94 of a 32-bit PEB); a used entry has a type.
std::optional<double> GdiTableEntries(HANDLE process)
{
    struct Entry {
        uint64_t object;
        uint32_t owner;
        uint16_t unique;
        uint8_t type, flags;
        uint64_t user;
    };
    static_assert(sizeof(Entry) == 24);
    using Query = NTSTATUS(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    auto query = NtFunction<Query>("NtQueryInformationProcess");
    PROCESS_BASIC_INFORMATION basic{};
    ULONG length = 0;
    if (!query || query(process, ProcessBasicInformation, &basic, sizeof(basic), &length) != 0) return std::nullopt;
    uint32_t table = 0;
    if (!ReadProcessMemory(process, static_cast<char*>(static_cast<void*>(basic.PebBaseAddress)) + 0x94, &table,
                           sizeof(table), nullptr) ||
        table == 0)
        return std::nullopt;
    std::vector<Entry> entries(0x10000);
    if (!ReadProcessMemory(process, reinterpret_cast<void*>(static_cast<uintptr_t>(table)), entries.data(),
                           entries.size() * sizeof(Entry), nullptr))
        return std::nullopt;
    return static_cast<double>(std::count_if(entries.begin(), entries.end(), [](const Entry& e) { return e.type; }));
}

// Every process's handles, as the system lists them (Wine's GetProcessHandleCount answers 0).
std::optional<double> HandlesInSystemList(DWORD processId)
{
    struct Entry {
        ULONG process;
        UCHAR type, flags;
        USHORT handle;
        PVOID object;
        ACCESS_MASK access;
    };
    using Query = NTSTATUS(NTAPI*)(ULONG, PVOID, ULONG, PULONG);
    auto query = NtFunction<Query>("NtQuerySystemInformation");
    constexpr ULONG SystemHandleInformation = 16;
    constexpr NTSTATUS InfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004);
    if (!query) return std::nullopt;
    std::vector<char> buffer(1 << 18);
    for (;;) {
        ULONG length = 0;
        NTSTATUS status = query(SystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &length);
        if (status == InfoLengthMismatch && buffer.size() < (1u << 26)) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (status != 0) return std::nullopt;
        break;
    }
    ULONG count = 0;
    std::memcpy(&count, buffer.data(), sizeof(count));
    const auto* first = reinterpret_cast<const Entry*>(buffer.data() + sizeof(ULONG_PTR));
    return static_cast<double>(
        std::count_if(first, first + count, [&](const Entry& e) { return e.process == processId; }));
}

class Observed {
public:
    Observed(DWORD id, std::string exe, HWND main)
        : process_(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id)), id_(id),
          exe_(std::move(exe)), main_(main)
    {
    }

    Figures Read(Sources& from)
    {
        Figures f;
        PROCESS_MEMORY_COUNTERS_EX memory{};
        memory.cb = sizeof(memory);
        if (GetProcessMemoryInfo(process_.get(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                                 sizeof(memory)) &&
            memory.PrivateUsage > 0) {
            f.privateKb = memory.PrivateUsage / 1024.0;
            from.memory = "PrivateUsage (GetProcessMemoryInfo)";
        } else {
            if (!unixPid_) unixPid_ = UnixProcessOf(exe_);
            if (unixPid_ && (f.privateKb = RssAnonKb(*unixPid_)))
                from.memory = "RssAnon of the Unix process (Wine reports no private bytes)";
        }
        if (DWORD n = GetGuiResources(process_.get(), GR_GDIOBJECTS)) {
            f.gdi = n;
            from.gdi = "GetGuiResources";
        } else if ((f.gdi = GdiTableEntries(process_.get()))) {
            from.gdi = "used entries of the process's GDI handle table, read from outside (GetGuiResources is a "
                       "stub answering 0)";
        }
        if (DWORD n = GetGuiResources(process_.get(), GR_USEROBJECTS)) {
            f.user = n;
            from.user = "GetGuiResources";
        } else {
            DWORD_PTR answer = 0;
            if (SendMessageTimeoutW(main_, WmCountUserObjects, 0, 0, SMTO_ABORTIFHUNG, 20000, &answer) && answer) {
                f.user = static_cast<double>(answer);
                from.user = "the program's own count of its windows, menus, icons/cursors and accelerator tables, "
                            "asked with the diagnostics variable set (GetGuiResources is a stub answering 0)";
            }
        }
        DWORD handles = 0;
        if (GetProcessHandleCount(process_.get(), &handles) && handles > 0) {
            f.handles = handles;
            from.handles = "GetProcessHandleCount";
        } else if ((f.handles = HandlesInSystemList(id_))) {
            from.handles = "the process's entries in the system's handle list (NtQuerySystemInformation; "
                           "GetProcessHandleCount answers 0)";
        }
        return f;
    }

private:
    UniqueHandle process_;
    DWORD id_;
    std::string exe_;
    HWND main_;
    std::optional<unsigned long> unixPid_;
};

// ---- driving the program ----

void Fail(const std::string& what)
{
    std::fprintf(stderr, "long_bench: %s\n", what.c_str());
    std::fflush(stderr);
}

LRESULT Ask(HWND window, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0)
{
    DWORD_PTR answer = 0;
    return SendMessageTimeoutW(window, msg, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &answer)
               ? static_cast<LRESULT>(answer)
               : -1;
}

// A click on a button found once: its parent gets BN_CLICKED, as ClickButton sends it,
// without looking the button up by its caption among all controls each time.
bool Click(HWND button)
{
    return button && IsWindowEnabled(button) &&
           Post(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                reinterpret_cast<LPARAM>(button));
}

void PostKey(HWND window, WORD key)
{
    static_cast<void>(Post(window, WM_KEYDOWN, key, 1));
    static_cast<void>(Post(window, WM_KEYUP, key, 0xC0000001));
}

class Session {
public:
    Session(MgwSandbox& sandbox, AppProcess& app, HWND main) : sandbox_(sandbox), app_(app), main_(main) {}

    // Until no entry picture is pending, then a moment for timers and deferred work.
    void Settle() const
    {
        WaitUntil([&] { return Ask(main_, WmPendingPictures) == 0; }, 60000, 50);
        Sleep(1500);
    }

    bool SettingsCycle(int cycle)
    {
        if (!ChooseMenuCommand(main_, ScratchMenu, CmdSettings)) return Failed("settings: no popup command", cycle);
        HWND settings = app_.WaitForSettings();
        if (!settings) return Failed("settings: the window did not show", cycle);
        HWND menus = ChildAt(settings, MenuListPoint, "SysListView32");
        HWND items = ChildAt(settings, {MenuListPoint.x, 128 + 33 + 20}, "SysListView32");
        HWND path = ChildAt(settings, PathEditPoint, "Edit");
        HWND description = ChildAt(settings, DescriptionEditPoint, "Edit");
        HWND add = FindChild(settings, "Button", "&Add"), remove = FindChild(settings, "Button", "&Remove");
        if (!menus || !items || !path || !description || !add || !remove)
            return Failed("settings: controls not found", cycle);
        auto count = [&] { return Ask(items, LVM_GETITEMCOUNT); };
        auto selectedMenu = [&] { return Ask(menus, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED); };
        if (!WaitUntil([&] { return selectedMenu() == ScratchMenu && IsWindowEnabled(add) && count() == 0; }))
            return Failed("settings: the empty menu is not the chosen one", cycle);

        for (int i = 0; i < TypedEntries; ++i) {
            const LRESULT before = count();
            const std::string target = Programs[(cycle + i) % std::size(Programs)];
            const std::string text = "Entry " + std::to_string(cycle) + "." + std::to_string(i);
            SendMessageW(path, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(target).c_str()));
            SendMessageW(description, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(text).c_str()));
            if (!Click(add) || !WaitUntil([&] { return count() == before + 1; }, 5000, 5))
                return Failed("settings: an entry was not added", cycle);
        }
        if (!Drop(items) || !WaitUntil([&] { return count() == AddedPerCycle; }, 5000, 5))
            return Failed("settings: the dropped entries did not arrive (" + std::to_string(count()) + ")", cycle);

        for (LRESULT left = count(); left > 0; --left) {
            if (Ask(items, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED) < 0) {
                PostKey(items, VK_END);
                WaitUntil([&] { return Ask(items, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED) >= 0; },
                          2000, 5);
            }
            if (!Click(remove) || !WaitUntil([&] { return count() == left - 1; }, 5000, 5))
                return Failed("settings: an entry was not removed", cycle);
        }
        if (!ClickButton(settings, "&OK - Minimize") || !WaitUntil([&] { return !IsWindowVisible(settings); }))
            return Failed("settings: OK did not close the window", cycle);
        // The icons come back once the window has closed.
        if (!WaitUntil([&] { return IconWindow(0) && IconWindow(1); }, 5000))
            return Failed("settings: the icons did not come back", cycle);
        return true;
    }

    bool PopupCycle(int cycle)
    {
        const int menu = cycle % 2;
        HWND icon = IconWindow(menu);
        if (!icon) return Failed("popup: no icon", cycle);
        SetCursorPos(300 + 40 * menu, 200);
        if (!Post(icon, WmMenuIconFirst + menu, 0, WM_RBUTTONUP) || !app_.WaitForPopup())
            return Failed("popup: it did not open", cycle);
        // A key can arrive before the menu's loop reads the keyboard: pressed again then.
        for (int press = 0; press < 5; ++press) {
            PressKeys({VK_ESCAPE});
            if (app_.WaitForPopupGone(press == 0 ? 1000 : 2000)) {
                repeatedKeys_ += press;
                return true;
            }
        }
        return Failed("popup: Escape did not close it", cycle);
    }

    bool QuickCycle(int cycle)
    {
        // The hotkey again, as a user presses it, when the box did not show or did not get
        // the keyboard (the hotkey opens the box afresh).
        HWND box = nullptr;
        bool focused = false;
        for (int press = 0; press < 5 && !focused; ++press) {
            PressKeys({VK_CONTROL, VK_SHIFT, VK_F9});
            box = app_.WaitForWindow({BoxClass, "", true}, 1500);
            focused = box && WaitUntil([&] { return GetForegroundWindow() == box; }, 1500);
            repeatedKeys_ += press > 0;
        }
        if (!focused)
            return Failed(std::string("quick launch: the box ") + (box ? "showed without the keyboard, which " : "") +
                              "the foreground window \"" + WindowClass(GetForegroundWindow()) + "\" kept",
                          cycle);
        HWND edit = FindWindowExW(box, nullptr, L"Edit", nullptr);
        static constexpr const char* Typed[] = {"NO", "RE", "CM", "EX", "WI", "QZ"};
        const std::string typed = Typed[cycle % std::size(Typed)];
        PressKeys({static_cast<WORD>(typed[0])});
        PressKeys({static_cast<WORD>(typed[1])});
        if (!WaitUntil([&] { return lstrcmpiA(WindowText(edit).c_str(), typed.c_str()) == 0; }, 3000))
            return Failed("quick launch: typing did not arrive (" + WindowText(edit) + ")", cycle);
        for (int press = 0; press < 5; ++press) {
            PressKeys({VK_ESCAPE});
            if (WaitUntil([&] { return !IsWindowVisible(box); }, 1500)) {
                repeatedKeys_ += press;
                return true;
            }
        }
        return Failed("quick launch: Escape did not close the box", cycle);
    }

    int RepeatedKeys() const { return repeatedKeys_; }

private:
    bool Failed(const std::string& what, int cycle) const
    {
        Fail(what + " in cycle " + std::to_string(cycle));
        return false;
    }

    HWND IconWindow(int menu) const
    {
        return app_.FindTopWindow({IconClass, menu == 0 ? "Programs" : "Documents", false});
    }

    // The four files and folder dragged from another process onto the item list's middle.
    bool Drop(HWND items) const
    {
        RECT r{};
        GetWindowRect(items, &r);
        auto quoted = [](const std::string& text) { return std::string(1, '"').append(text).append(1, '"'); };
        std::string arguments = quoted(sandbox_.Folder().File("drag.txt"));
        arguments.append(" ").append(std::to_string((r.left + r.right) / 2));
        arguments.append(" ").append(std::to_string((r.top + r.bottom) / 2));
        for (const char* name : DroppedNames)
            arguments.append(" ").append(quoted(sandbox_.Folder().File("Drops\\") + name));
        std::unique_ptr<AppProcess> drag = AppProcess::Start(BesideTestProgram("drag_source.exe"), arguments);
        return drag && drag->WaitForExit(20000) == 0u;
    }

    MgwSandbox& sandbox_;
    AppProcess& app_;
    HWND main_;
    int repeatedKeys_ = 0;
};

// ---- the run ----

std::string IniText()
{
    std::string t = Ini({"[GLOBAL]", "SelfAutostart=0", "AskBeforeQuit=0", "UseToolsMenu=0", "IconSize=32",
                         "QuickLaunchHotkey=" + std::to_string(QuickHotkey), "MenuCount=3"});
    auto menu = [&](int m, const char* name, const std::vector<std::string>& paths) {
        t += Ini({"[M" + std::to_string(m) + "]", "MenuName=" + std::string(name), "LCB=2",
                  "ItemCount=" + std::to_string(paths.size())});
        for (size_t i = 0; i < paths.size(); ++i)
            t += Ini({"[M" + std::to_string(m) + "I" + std::to_string(i + 1) + "]", "Pfad=" + paths[i], "IsPIDL=0",
                      "IconNum=-99", "Description=" + std::string(name) + " " + std::to_string(i + 1)});
    };
    menu(0, "Programs", std::vector<std::string>(std::begin(Programs), std::end(Programs)));
    menu(1, "Documents", {"C:\\windows\\win.ini", "C:\\windows\\system.ini", "C:\\windows\\system32",
                          "C:\\windows\\notepad.exe"});
    menu(ScratchMenu, "Scratch", {});
    return t;
}

struct Point {
    std::string name;
    Figures figures;
};

std::string Cell(const std::optional<double>& v, int width)
{
    char text[32];
    if (v)
        std::snprintf(text, sizeof(text), "%*.0f", width, *v);
    else
        std::snprintf(text, sizeof(text), "%*s", width, "?");
    return text;
}

std::optional<double> Growth(const std::optional<double>& from, const std::optional<double>& to)
{
    if (!from || !to || *from <= 0) return std::nullopt;
    return (*to - *from) / *from * 100;
}

std::string Percent(const std::optional<double>& g)
{
    char text[32];
    if (g)
        std::snprintf(text, sizeof(text), "%+11.2f%%", *g);
    else
        std::snprintf(text, sizeof(text), "%12s", "?");
    return text;
}

using Field = std::optional<double> Figures::*;
constexpr Field Fields[] = {&Figures::privateKb, &Figures::gdi, &Figures::user, &Figures::handles};
constexpr const char* FieldNames[] = {"private kB", "GDI", "USER", "handles"};

void PrintTable(const std::vector<Point>& points)
{
    std::printf("%-20s", "");
    for (const char* name : FieldNames) std::printf("%12s", name);
    std::printf("\n");
    for (const Point& p : points) {
        std::printf("%-20s", p.name.c_str());
        for (Field f : Fields) std::printf("%s", Cell(p.figures.*f, 12).c_str());
        std::printf("\n");
    }
}

}  // namespace

int main(int argc, char** argv)
{
    const int settingsCycles = argc > 1 ? std::max(2, std::atoi(argv[1])) : 200;
    const int popups = argc > 2 ? std::max(2, std::atoi(argv[2])) : 1000;
    const int quickBoxes = argc > 3 ? std::max(2, std::atoi(argv[3])) : 200;
    if (MarigoldwickRunning()) {
        Fail("another copy of the program runs; end it first");
        return 2;
    }
    // The sandbox copies the program from beside this one unless told otherwise.
    if (BinFolder().empty()) SetEnvironmentVariableW(L"MGW_BIN", Wide(BesideTestProgram("")).c_str());
    SetEnvironmentVariableW(Wide(DiagnosticsVariable).c_str(), L"1");
    std::optional<MgwSandbox> sandbox = MgwSandbox::Create();
    if (!sandbox || !sandbox->WriteIni(IniText()) ||
        !CreateDirectoryA(sandbox->Folder().File("Drops").c_str(), nullptr) ||
        !CreateDirectoryA(sandbox->Folder().File("Drops\\Sub Folder").c_str(), nullptr) ||
        !CopyFileA("C:\\windows\\notepad.exe", sandbox->Folder().File("Drops\\Editor.exe").c_str(), FALSE) ||
        !sandbox->Folder().Write("Drops\\notes.txt", "notes\r\n") ||
        !sandbox->Folder().Write("Drops\\setup.ini", "[setup]\r\n")) {
        Fail("cannot set up the sandbox next to " + BinFolder());
        return 1;
    }
    std::unique_ptr<AppProcess> app = sandbox->Start();
    HWND main = app ? app->WaitForMainWindow() : nullptr;
    if (!main) {
        Fail("the program did not start");
        return 1;
    }
    ScopeGuard end([&] {
        static_cast<void>(Post(main, WM_CANCELMODE));
        static_cast<void>(Post(main, WM_CLOSE));
        if (!app->WaitForExit(10000)) app->Kill();
    });
    Session session(*sandbox, *app, main);
    Observed observed(app->Id(), sandbox->ExePath(), main);
    Sources sources;

    std::printf("== long use: %d settings sessions (%d entries added and removed each), %d popups, %d quick-launch "
                "boxes\n",
                settingsCycles, AddedPerCycle, popups, quickBoxes);
    std::fflush(stdout);
    // One round of each first: what is made once and kept is not growth.
    if (!session.SettingsCycle(0) || !session.PopupCycle(0) || !session.PopupCycle(1) || !session.QuickCycle(0))
        return 1;
    std::vector<Point> points;
    auto measure = [&](const std::string& name) {
        session.Settle();
        points.push_back({name, observed.Read(sources)});
    };
    measure("start");

    struct Phase {
        const char* name;
        int cycles;
        bool (Session::*cycle)(int);
    };
    const Phase phases[] = {{"settings", settingsCycles, &Session::SettingsCycle},
                            {"popups", popups, &Session::PopupCycle},
                            {"quick", quickBoxes, &Session::QuickCycle}};
    const Clock::time_point runStart = Clock::now();
    for (const Phase& phase : phases) {
        const Clock::time_point phaseStart = Clock::now();
        for (int c = 1; c <= phase.cycles; ++c) {
            if (!(session.*phase.cycle)(c)) {
                PrintTable(points);
                return 1;
            }
            if (c == phase.cycles / 2 || c == phase.cycles) measure(std::string(phase.name) + " " + std::to_string(c));
        }
        std::printf("  %-8s %5d cycles in %6.1f s (%.0f ms each, measuring included)\n", phase.name, phase.cycles,
                    Seconds(Clock::now() - phaseStart), Seconds(Clock::now() - phaseStart) * 1000 / phase.cycles);
        std::fflush(stdout);
    }
    std::printf("  whole run %.1f s; keys pressed again because the first was early: %d\n",
                Seconds(Clock::now() - runStart), session.RepeatedKeys());

    std::printf("Sources:\n  private memory: %s\n  GDI objects: %s\n  USER objects: %s\n  kernel handles: %s\n",
                sources.memory, sources.gdi, sources.user, sources.handles);
    PrintTable(points);
    // Whole run: the last point against the start; last half: each phase's end against its middle.
    bool flat = true;
    auto row = [&](const std::string& name, size_t from, size_t to, bool lastHalf) {
        std::printf("%-20s", name.c_str());
        for (Field f : Fields) {
            std::optional<double> g = Growth(points[from].figures.*f, points[to].figures.*f);
            std::printf("%s", Percent(g).c_str());
            if (!g || (lastHalf ? *g > 0 : *g >= 2)) flat = false;
        }
        std::printf("\n");
    };
    row("growth, whole run", 0, points.size() - 1, false);
    for (size_t p = 0; p < std::size(phases); ++p)
        row(std::string("last half, ") + phases[p].name, 1 + 2 * p, 2 + 2 * p, true);
    std::printf("  target: each figure grows by less than 2 %% over the run and not at all in any last half: %s\n",
                flat ? "met" : "NOT met");
    return 0;
}
