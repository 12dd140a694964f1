// Loading and saving the configuration: the project's one-pass engine against the
// system's per-key profile functions, on the same model and the same file.
// Usage: config_bench [menus] [entries]   (under Wine; prints times and ratios)
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "config/config_file.h"
#include "config/config_win.h"
#include "config/model.h"
#include "config/system_profile_win.h"

namespace {

void MakeModel(int menus, int entries)
{
    ReleaseMenus(MenuList);
    Konfig = TKonfig{32, true, false, true, true, 31, true};
    for (int i = 0; i < menus; ++i) {
        TOneMenu& menu = NewMenu(MenuList);
        menu.MenuName = "Menu number " + std::to_string(i);
        menu.IconPfad = "C:\\Program Files\\Marigoldwick\\mgoldwk.exe";
        for (int j = 0; j < entries; ++j) {
            auto item = std::make_unique<TOneItem>();
            if (j % 10 == 3) {
                item->IsPIDL = true;
                item->Pfad = std::string("\x14\x00\x1f\x50\xe0\x4f\xd0\x20\xea\x3a\x69\x10\xa2\xd8\x08\x00"
                                         "\x2b\x30\x30\x9d\x00\x00", 22);
            } else {
                item->Pfad = "C:\\Program Files\\Some Vendor\\Application " + std::to_string(j) + "\\app.exe";
            }
            item->Description = "Application number " + std::to_string(j) + " of menu " + std::to_string(i);
            item->Parameters = "/open \"C:\\Users\\Public\\Documents\\file.txt\"";
            item->Startmode = 1;
            AddItem(menu, std::move(item));
        }
    }
}

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

template <typename F>
double Time(F&& f)
{
    auto start = std::chrono::steady_clock::now();
    f();
    return Seconds(std::chrono::steady_clock::now() - start);
}

// Best of a few runs: the machines are noisy.
template <typename F>
double BestOf(int runs, F&& f)
{
    double best = 1e9;
    for (int i = 0; i < runs; ++i) best = std::min(best, Time(f));
    return best;
}

size_t FileSize(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    return GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ? data.nFileSizeLow : 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const int menus = argc > 1 ? std::atoi(argv[1]) : 10;
    const int entries = argc > 2 ? std::atoi(argv[2]) : 100;
    const bool perKey = argc <= 3 || std::string(argv[3]) != "engine-only";

    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string dir = std::string(temp) + "mgw-bench-" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(dir.c_str(), nullptr);
    IniFile = dir + "mgoldwk.ini";
    const std::string systemFile = dir + "system.ini";

    MakeModel(menus, entries);
    double engineSave = BestOf(10, [] {
        DeleteFileA(IniFile.c_str());
        if (!SaveConfig()) std::puts("engine save failed");
    });
    double engineLoad = BestOf(10, [] {
        ReleaseMenus(MenuList);
        if (!LoadConfig()) std::puts("engine load failed");
    });
    double inMemory = BestOf(10, [] {
        ProfileFile file;
        WriteConfig(file, Konfig, MenuList);
        if (file.Bytes().empty()) std::puts("nothing written");
    });
    std::printf("%d menus x %d entries, file %zu bytes\n", menus, entries, FileSize(IniFile));
    std::printf("engine:  in-memory write %.4f s\n", inMemory);
    std::printf("engine:  save %.4f s, load %.4f s\n", engineSave, engineLoad);

    if (perKey) {
        MakeModel(menus, entries);
        DeleteFileA(systemFile.c_str());
        SystemSink sink(systemFile);
        double systemSave = Time([&] { WriteConfig(sink, Konfig, MenuList); });
        ReleaseMenus(MenuList);
        TKonfig k;
        double systemLoad = Time([&] {
            if (!ReadConfig(SystemSource(systemFile), k, MenuList, {})) std::puts("per-key load failed");
        });
        std::printf("per-key: save %.4f s, load %.4f s\n", systemSave, systemLoad);
        std::printf("ratio:   save %.0fx, load %.0fx faster with the engine\n", systemSave / engineSave,
                    systemLoad / engineLoad);
    }
    ReleaseMenus(MenuList);
    DeleteFileA(IniFile.c_str());
    DeleteFileA(systemFile.c_str());
    RemoveDirectoryA(dir.c_str());
    return 0;
}
